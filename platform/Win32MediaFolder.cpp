#include "platform/Win32MediaFolder.h"

#include <windows.h>

#include <string>

#include "platform/GamePaths.h"
#include "platform/Handles.h"

namespace gsd {

MediaListing Win32MediaFolder::ListMediaFiles()
{
    const GamePath pattern = GameFolderPath("Media\\*.mdc");
    if (!pattern.Problem.empty()) {
        return { {}, pattern.Problem };
    }
    WIN32_FIND_DATAA found {};
    const unique_hfind search(::FindFirstFileA(pattern.Path.c_str(), &found));
    if (!search) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
            return {};
        }
        if (IsPathTooLongError(error)) {
            return { {}, PathTooLongText(pattern.Path) };
        }
        return { {},
            "The game's Media folder could not be searched (error " + std::to_string(error) + "):\r\n" + pattern.Path };
    }
    MediaListing listing;
    do {
        listing.Names.emplace_back(found.cFileName);
    } while (::FindNextFileA(search.get(), &found));
    return listing;
}

} // namespace gsd
