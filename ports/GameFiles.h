// The files the download writes, moves and deletes, named relative to the
// game folder (the current directory): "Temp\Download.tmp",
// "Media\Bricks.mdc". The Win32 adapter forms the full paths by the rules of
// catalogue/GameFolderPath.h; tests keep the files in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace gsd {

// A failed file operation, as the system reports it.
struct FileFailure {
    // The system's error code.
    std::uint32_t code = 0;
    // The system's description of the code (in the ANSI code page); empty
    // when it has none.
    std::string description;
    // The full path the operation used (for a move, its source), as named on
    // disk (UTF-8): only to be shown, never to name a file.
    std::string path;
};

// A file open for writing; closed on destruction.
class FileWriter {
public:
    virtual ~FileWriter() = default;

    // Appends `bytes`; nullopt on success.
    virtual std::optional<FileFailure> Write(std::string_view bytes) = 0;

    // Flushes and closes; nullopt on success. Later calls do nothing.
    virtual std::optional<FileFailure> Close() = 0;
};

class GameFiles {
public:
    virtual ~GameFiles() = default;

    // Creates `relative` anew, or empties it when it exists, open for
    // writing in binary. Null with `failure` set when that fails (a missing
    // folder, a full disk, no rights); the folder is not created.
    virtual std::unique_ptr<FileWriter> CreateEmpty(std::string_view relative, FileFailure& failure) = 0;

    // Moves `from` to `to` in one step, replacing a file `to` when there is
    // one: `to` stays as it was until the new file is complete and in place.
    // nullopt on success.
    virtual std::optional<FileFailure> MoveReplacing(std::string_view from, std::string_view to) = 0;

    // Deletes `relative`; false when there was nothing to delete or the
    // system refused.
    virtual bool Delete(std::string_view relative) = 0;

    // Whether `name`, text in the system's ANSI code page (a server's file
    // name), can name a file: false when the code page maps some of its
    // bytes to no character, so that any file it named would be a guess.
    virtual bool CanName(std::string_view name) = 0;

    // The bytes this program may still write on the drive that holds the
    // folder `relative`; nullopt when the system cannot tell.
    virtual std::optional<std::uint64_t> FreeBytes(std::string_view relative) = 0;
};

} // namespace gsd
