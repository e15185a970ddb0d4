// The game's Media folder as the catalogue sees it: the names of its media
// files, as a directory search returns them.
#pragma once

#include <string>
#include <vector>

namespace gsd {

struct MediaListing {
    // The names (with extension, no folder) of the entries that match
    // "*.mdc", in the order of the directory search: no sorting, no
    // filtering, except that a name the system's code page cannot spell
    // (which the engine could not open) is left out. Empty when there are none or the folder does not exist.
    std::vector<std::string> Names;

    // Set when the folder could not be searched at all (its path cannot be
    // formed or is refused by the system): a message for the user. Names is
    // then empty.
    std::string Problem;
    // The path the message is about, as named on disk (UTF-8), shown on a
    // line of its own after it; empty when it names none.
    std::string ProblemPath;
};

class MediaFolder {
public:
    virtual ~MediaFolder() = default;

    // Searches the folder afresh on every call.
    virtual MediaListing ListMediaFiles() = 0;
};

} // namespace gsd
