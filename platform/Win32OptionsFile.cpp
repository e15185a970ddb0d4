#include "platform/Win32OptionsFile.h"

#include <windows.h>

#include "platform/Handles.h"

namespace gsd {

std::optional<std::string> Win32OptionsFile::ReadFirstBytes(std::size_t count)
{
    // The game may have the file open; share it both ways.
    const unique_file file(::CreateFileW(L"Options.zss", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(count - filled), &read, nullptr)) {
            return std::nullopt;
        }
        if (read == 0) {
            break;
        }
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace gsd
