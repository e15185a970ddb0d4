// The InstallerSignatures port over the system's Authenticode check.
#pragma once

#include "ports/InstallerSignatures.h"

namespace gsd {

// Check reads the file through the handle of its hold (a Win32FileHold;
// any other file counts as unreadable) on a worker thread
// (RunOnWorker), the calling thread handling its windows'
// messages meanwhile: first the whole file, for its SHA-256 (BCrypt), then
// the signature's layout (download/SignatureLayout.h: the headers and the
// certificate table, with ReadFile) and, for a sound one only, the system's
// facts (platform/Win32SignatureFacts.h), given the same handle.
class Win32InstallerSignatures final : public InstallerSignatures {
public:
    std::optional<FileDigest> Check(HeldFile& file, MessagePump& pump, SignatureFindings& findings) override;
};

} // namespace gsd
