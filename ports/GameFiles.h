// The files the download writes, moves and deletes, named relative to the
// game folder (the current directory): "Temp\Download.tmp",
// "Media\Bricks.mdc". The Win32 adapter forms the full paths by the rules of
// catalogue/GameFolderPath.h; tests keep the files in memory.
#pragma once

#include <array>
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

// The SHA-256 of a file's bytes.
using FileDigest = std::array<std::uint8_t, 32>;

// The file a transfer writes, held open by this program from its creation
// until it has been moved into its place (and, for an installer, started)
// or deleted: meanwhile others may read it, but nobody else can write,
// rename or delete it, and this program never opens it by name again, so
// the bytes received are the bytes installed or started. A held file
// destroyed before MoveTo succeeded is deleted.
class HeldFile {
public:
    virtual ~HeldFile() = default;

    // Appends `bytes`; nullopt on success.
    virtual std::optional<FileFailure> Write(std::string_view bytes) = 0;

    // Writes out what was accepted and flushes the file to disk; nullopt on
    // success. Nothing is written after. The file stays held.
    virtual std::optional<FileFailure> Finish() = 0;

    // The SHA-256 of every byte written, taken from the system's hash as the
    // bytes went to the file; meaningful once Finish has succeeded.
    [[nodiscard]] virtual FileDigest WrittenDigest() const = 0;

    // Lets go of this program's own right to write while still holding the
    // file, since the system starts no program file that anyone holds open
    // for writing; nullopt on success. On the way others could open the
    // file: a check that reads it after this sees what they changed. Fails
    // when someone opened it meanwhile to write or delete it and still has
    // it open; the file then stays open for reading only, others may still
    // open it, and the next call tries again from there. Let go in that
    // state, the file is deleted by its name.
    virtual std::optional<FileFailure> HoldForStart() = 0;

    // Gives the held file the name `relative` (relative to the game folder),
    // replacing a file of that name, in one step, and keeps holding it.
    // nullopt on success; otherwise the file keeps its name.
    virtual std::optional<FileFailure> MoveTo(std::string_view relative) = 0;
};

class GameFiles {
public:
    virtual ~GameFiles() = default;

    // Creates `relative` anew, or empties it when it exists, and holds it
    // for writing in binary. Null with `failure` set when that fails (a
    // missing folder, a full disk, no rights, a file held by another
    // program); the folder is not created.
    virtual std::unique_ptr<HeldFile> CreateEmpty(std::string_view relative, FileFailure& failure) = 0;

    // Deletes `relative`; nullopt on success, otherwise the system's failure
    // (also when there was nothing to delete).
    virtual std::optional<FileFailure> Delete(std::string_view relative) = 0;

    // Gives the file `from` the name `to` (both relative to the game
    // folder), unless a file already has that name: nothing is replaced.
    // nullopt on success; otherwise the system's failure, naming `from`.
    // Another program that holds `from` open refuses it unless it shares
    // deleting; a running program's file can be renamed.
    virtual std::optional<FileFailure> Rename(std::string_view from, std::string_view to) = 0;

    // Whether `name`, text in the system's ANSI code page (a server's file
    // name), can name a file: false when the code page maps some of its
    // bytes to no character, so that any file it named would be a guess.
    virtual bool CanName(std::string_view name) = 0;

    // The bytes this program may still write on the drive that holds the
    // folder `relative`; nullopt when the system cannot tell.
    virtual std::optional<std::uint64_t> FreeBytes(std::string_view relative) = 0;
};

} // namespace gsd
