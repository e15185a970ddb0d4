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
    // CreateFileW with CREATE_ALWAYS, GENERIC_READ | GENERIC_WRITE | DELETE,
    // shared for reading only; the file is a Win32FileHold. Write gathers
    // pieces of under 64 KB and hands them to WriteFile 64 KB at a time (a
    // larger span at once, as often as it takes), so a failure to write may
    // be reported by a later Write or by Finish; every byte WriteFile took
    // goes into the system's SHA-256 (BCrypt). Finish writes what is
    // gathered and flushes the file to disk (FlushFileBuffers).
    // HoldForStart reopens the file from its handle (ReOpenFile) for reading
    // with every sharing, closes the writing handle, then reopens that for
    // GENERIC_READ | DELETE shared for reading only; it fails with the
    // system's sharing violation when another program opened the file for
    // writing or deleting in between and still has it open, keeping the
    // reading handle, so that the next call makes only the second reopen.
    // A file dropped with that handle is deleted by name. MoveTo renames
    // through the handle (SetFileInformationByHandle, FileRenameInfo,
    // replacing), and flushes when the hold may still write. A file dropped
    // unmoved is deleted through its handle (FileDispositionInfo).
    std::unique_ptr<HeldFile> CreateEmpty(std::string_view relative, FileFailure& failure) override;

    // MoveFileExW without flags: never replacing, never copying.
    std::optional<FileFailure> Rename(std::string_view from, std::string_view to) override;

    // DeleteFileW.
    std::optional<FileFailure> Delete(std::string_view relative) override;

    // MultiByteToWideChar(CP_ACP) with MB_ERR_INVALID_CHARS succeeds.
    bool CanName(std::string_view name) override;

    // GetDiskFreeSpaceExW's bytes free to the caller (quotas counted).
    std::optional<std::uint64_t> FreeBytes(std::string_view relative) override;
};

} // namespace gsd
