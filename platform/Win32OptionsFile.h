// The OptionsFile port over the game's "Options.zss".
#pragma once

#include "ports/OptionsFile.h"

namespace gsd {

class Win32OptionsFile final : public OptionsFile {
public:
    // Opens "Options.zss" by that relative name, so the system looks for it
    // in the current directory (the game folder) with no path of ours to
    // cut short; creates it empty with normal attributes when it is missing.
    std::optional<std::string> ReadFirstBytes(std::size_t count) override;
};

} // namespace gsd
