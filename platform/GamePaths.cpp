#include "platform/GamePaths.h"

#include <windows.h>

namespace gsd {

std::optional<std::string> CurrentDirectory()
{
    // The first call tells the size the directory needs, its NUL included;
    // the directory may change in between, so ask again until it fits.
    DWORD size = ::GetCurrentDirectoryA(0, nullptr);
    while (size != 0) {
        std::string directory(size, '\0');
        const DWORD length = ::GetCurrentDirectoryA(size, directory.data());
        if (length == 0) {
            break;
        }
        if (length < size) {
            directory.resize(length);
            return directory;
        }
        size = length;
    }
    return std::nullopt;
}

GamePath GameFolderPath(std::string_view relative)
{
    const std::optional<std::string> folder = CurrentDirectory();
    return FormGamePath(folder ? *folder : std::string(), relative);
}

bool IsPathTooLongError(unsigned long lastError)
{
    return lastError == ERROR_FILENAME_EXCED_RANGE;
}

} // namespace gsd
