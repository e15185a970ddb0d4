// What the quick look and the verify need of the files the program put in
// the game folder: their size and last-write time as the file system keeps
// them, and the SHA-256 of their bytes. Paths are relative to the game
// folder ("Media\Bricks.mdc"). The Win32 adapter reads them with the wide
// functions and hashes with the system's SHA-256 on a worker thread; tests
// keep the files in memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/GameFiles.h"

namespace gsd {

struct FileFacts {
    std::uint64_t size = 0;
    // The last-write time in the system's own units (100 ns since 1601 on
    // Windows); only ever compared for equality.
    std::uint64_t lastWrite = 0;
};

enum class FileState {
    Present,
    // No such file (nor folder on its way).
    Missing,
    // There, but the system would not tell (no rights, held by another
    // program): nothing is judged from it.
    Unreadable,
};

struct FileLook {
    FileState state = FileState::Missing;
    FileFacts facts;
};

// Told of the bytes a digest has read, on the thread that asked for the
// digest, every little while.
class DigestProgress {
public:
    virtual ~DigestProgress() = default;

    // `bytes` more were read since the last call. False stops the reading:
    // the digest then has no result.
    virtual bool BytesRead(std::uint64_t bytes) = 0;
};

class InstalledFiles {
public:
    virtual ~InstalledFiles() = default;

    // Size and last-write time of `relative`, without reading its bytes.
    virtual FileLook Look(std::string_view relative) = 0;

    // The SHA-256 of every byte of `relative`; nullopt when it cannot be
    // opened or read to its end, or `progress` (may be null) stopped it. The
    // file is only read: never changed, moved or deleted.
    virtual std::optional<FileDigest> Digest(std::string_view relative, DigestProgress* progress) = 0;

    // The digests of every file of `relatives`, in that order, each as
    // Digest gives it; several may be read at once, and `progress` hears of
    // the bytes read of them all. When it says stop, every reading stops and
    // the digests not finished are nullopt.
    virtual std::vector<std::optional<FileDigest>> Digests(
        const std::vector<std::string>& relatives, DigestProgress* progress)
        = 0;
};

} // namespace gsd
