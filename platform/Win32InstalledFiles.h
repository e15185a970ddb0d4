// The InstalledFiles port over the files of the game folder, their bytes
// hashed with the system's SHA-256 on a worker thread while the window
// thread handles its messages.
#pragma once

#include "ports/InstalledFiles.h"
#include "ports/MessagePump.h"

namespace gsd {

class Win32InstalledFiles final : public InstalledFiles {
public:
    // `pump` handles the calling thread's messages while a digest is read;
    // it must outlive this object.
    explicit Win32InstalledFiles(MessagePump& pump);

    // GetFileAttributesExW: size and ftLastWriteTime. A file or folder on
    // its way that is not there is Missing; a folder where the file should
    // be, or any other failure, Unreadable.
    FileLook Look(std::string_view relative) override;

    // Digests(), of the one file.
    std::optional<FileDigest> Digest(std::string_view relative, DigestProgress* progress) override;

    // Reads the files (each opened for reading, shared only with other
    // readers, so nobody changes it meanwhile) in large pieces on worker
    // threads, one per processor and at most four, each taking the next
    // file not yet taken. The calling thread handles its messages
    // throughout and tells `progress` of the bytes read about every 100 ms;
    // when it says stop, every worker stops at its next piece, and then no
    // file has a digest, even one finished.
    std::vector<std::optional<FileDigest>> Digests(
        const std::vector<std::string>& relatives, DigestProgress* progress) override;

private:
    MessagePump& pump_;
};

} // namespace gsd
