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

    // Reads the file (opened for reading, shared only with other readers,
    // so nobody changes it meanwhile) in large pieces on a worker thread.
    // The calling thread handles its messages throughout and tells
    // `progress` of the bytes read about every 100 ms; when it says stop, the
    // worker stops at its next piece.
    std::optional<FileDigest> Digest(std::string_view relative, DigestProgress* progress) override;

private:
    MessagePump& pump_;
};

} // namespace gsd
