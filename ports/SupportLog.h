// The support log: one line per event of a run, for a support desk to read
// when something failed. The Win32 adapter appends to
// "Temp\SecureDownload.log" in the game folder; tests collect the lines.
#pragma once

#include <string_view>

namespace gsd {

class SupportLog {
public:
    virtual ~SupportLog() = default;

    // Appends `event` (one line of UTF-8, no line break, as the functions of
    // shell/SupportLogLines.h build it) with the local time in front. Never
    // fails its caller: a line that cannot be written is lost.
    virtual void Write(std::string_view event) = 0;
};

} // namespace gsd
