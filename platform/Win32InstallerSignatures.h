// The InstallerSignatures port over the system's Authenticode check.
#pragma once

#include "ports/InstallerSignatures.h"

namespace gsd {

// Check opens the file (GameFolderPath) with CreateFileW, GENERIC_READ and
// DELETE, shared for reading only, and keeps it open in the returned object,
// whose MoveTo renames it through that handle (SetFileInformationByHandle,
// FileRenameInfo). A worker thread (RunWhileHandlingMessages) reads through
// that handle the signature's layout (download/SignatureLayout.h: the headers and
// the certificate table, with ReadFile) and, for a sound one only, the
// system's facts (platform/Win32SignatureFacts.h); the calling thread
// handles its windows' messages meanwhile.
class Win32InstallerSignatures final : public InstallerSignatures {
public:
    std::unique_ptr<HeldInstaller> Check(
        std::string_view relative, MessagePump& pump, SignatureFindings& findings) override;
};

} // namespace gsd
