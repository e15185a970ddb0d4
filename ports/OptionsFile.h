// The game's options file "Options.zss" as the program sees it: only its
// first bytes, as stored. Read through this port so that the text-mode
// reading rules stay in the core.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace gsd {

class OptionsFile {
public:
    virtual ~OptionsFile() = default;

    // Opens "Options.zss" in the game folder for reading, creating it empty
    // (and not read-only) when it does not exist, and returns up to
    // `count` of its first bytes exactly as stored; fewer when the file is
    // shorter. nullopt when the file can be neither opened nor created. The
    // file is closed again before this returns; nothing is written into it.
    virtual std::optional<std::string> ReadFirstBytes(std::size_t count) = 0;
};

} // namespace gsd
