// The GameFiles port over the files of the game folder (the current
// directory).
#pragma once

#include "ports/GameFiles.h"

namespace gsd {

// Every path is formed with GameFolderPath. A path that cannot be formed
// fails with code 0, the refusal as the description and the refused path,
// else the relative name, as the path; a path the system refuses as too
// long fails with the system's code and PathTooLongText; any other failure
// carries the system's code (GetLastError) and its text (SystemErrorText).
// Paths in failures are as ShownPath gives them.
class Win32GameFiles final : public GameFiles {
public:
    // CreateFileW with CREATE_ALWAYS and GENERIC_WRITE (others may read).
    // Write gathers pieces of under 64 KB and hands them to WriteFile 64 KB
    // at a time (a larger span at once, as often as it takes), so a failure
    // to write may be reported by a later Write or by Close; Close writes
    // what is gathered and flushes the file to disk (FlushFileBuffers)
    // before closing it. A writer dropped without Close still writes what
    // it has gathered.
    std::unique_ptr<FileWriter> CreateEmpty(std::string_view relative, FileFailure& failure) override;

    // MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH:
    // one step on the same volume, and on disk when it returns.
    std::optional<FileFailure> MoveReplacing(std::string_view from, std::string_view to) override;

    // DeleteFileW.
    bool Delete(std::string_view relative) override;

    // MultiByteToWideChar(CP_ACP) with MB_ERR_INVALID_CHARS succeeds.
    bool CanName(std::string_view name) override;

    // GetDiskFreeSpaceExW's bytes free to the caller (quotas counted).
    std::optional<std::uint64_t> FreeBytes(std::string_view relative) override;
};

} // namespace gsd
