// The SupportLog port over "Temp\SecureDownload.log" in the game folder.
#pragma once

#include <cstdint>
#include <string_view>

#include "ports/SupportLog.h"

namespace gsd {

// The log's file, its previous generation, and the size at which a new
// file begins.
inline constexpr std::string_view SupportLogPath = "Temp\\SecureDownload.log";
inline constexpr std::string_view OldSupportLogPath = "Temp\\SecureDownload.old.log";
inline constexpr std::uint64_t SupportLogLimitBytes = 1024 * 1024;

// Each line is appended on its own (CreateFileW with FILE_APPEND_DATA, then
// closed), so the lines written before a crash are on disk. A line that
// would find the file past SupportLogLimitBytes first renames it to
// OldSupportLogPath (replacing an older one). Every failure is ignored.
class Win32SupportLog final : public SupportLog {
public:
    void Write(std::string_view event) override;
};

// The version of this program from its version resource, as its About box
// gives it ("1.0", "1.0.4": ProgramVersionText of the file version); "?"
// when it has none.
std::string ProgramVersion();

} // namespace gsd
