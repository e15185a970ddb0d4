// The MediaFolder port over a directory search of the game's Media folder.
#pragma once

#include "ports/MediaFolder.h"

namespace gsd {

class Win32MediaFolder final : public MediaFolder {
public:
    // Searches "<game folder>\Media\*.mdc" with FindFirstFileW/FindNextFileW
    // and returns the names in the order found, in the ANSI code page; a
    // name the code page cannot spell is left out. No folder or no match is an
    // empty listing; a game folder whose path cannot be formed or is refused
    // as too long, or any other failure of the search, is a Problem.
    MediaListing ListMediaFiles() override;
};

} // namespace gsd
