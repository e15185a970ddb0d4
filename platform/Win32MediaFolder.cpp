#include "platform/Win32MediaFolder.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/GamePaths.h"
#include "platform/Handles.h"

namespace gsd {

MediaListing Win32MediaFolder::ListMediaFiles()
{
    const WideGamePath pattern = GameFolderPath("Media\\*.mdc");
    if (!pattern.Problem.empty()) {
        return { {}, pattern.Problem, pattern.ProblemPath };
    }
    WIN32_FIND_DATAW found {};
    const unique_hfind search(::FindFirstFileW(pattern.Path.c_str(), &found));
    if (!search) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
            return {};
        }
        if (IsPathTooLongError(error)) {
            return { {}, PathTooLongText(), ShownPath(pattern.Path) };
        }
        return { {}, "The game's Media folder could not be searched (error " + std::to_string(error) + "):",
            ShownPath(pattern.Path) };
    }
    MediaListing listing;
    do {
        // The engine opens a pack by its name in the code page: a name the
        // code page cannot spell names no file there, so it is not listed.
        if (std::optional<std::string> name = NarrowedName(found.cFileName)) {
            listing.Names.push_back(std::move(*name));
        }
    } while (::FindNextFileW(search.get(), &found));
    return listing;
}

} // namespace gsd
