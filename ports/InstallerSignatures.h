// Who signed a received installer, found out by the system's code-signature
// check. The Win32 adapter uses WinVerifyTrust and the signer's certificate;
// tests script the findings. Deciding whether the installer may run is the
// core's (download/InstallerTrust.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace gsd {

// What the signature check found, from the file alone.
enum class SignatureVerdict {
    // The signature is intact and its certificate chains to a root this
    // machine trusts.
    Trusted,
    // The signature is intact, but its chain does not reach a trusted root.
    UntrustedChain,
    // The file carries no signature the system recognises.
    NotSigned,
    // The file was changed after it was signed (its digest no longer matches).
    AlteredAfterSigning,
    // The file could not be opened or its signature could not be checked.
    Unreadable,
};

struct SignatureFindings {
    SignatureVerdict verdict = SignatureVerdict::Unreadable;
    // The SHA-256 of the signer certificate's DER SubjectPublicKeyInfo, in
    // lower-case hex; empty unless the verdict is Trusted or UntrustedChain.
    std::string signerKey;
};

// The checked file, open for reading and shared for reading only: while this
// object lives nobody can write, rename or delete the file, so what was
// checked is what is started. Closed on destruction.
class HeldInstaller {
public:
    virtual ~HeldInstaller() = default;
};

class InstallerSignatures {
public:
    virtual ~InstallerSignatures() = default;

    // Opens `relative` (relative to the game folder) and checks its
    // signature without asking anything over the network and without any
    // window of the system's. Returns the open file (null when it could not
    // be opened: then the verdict is Unreadable) and sets `findings`.
    virtual std::unique_ptr<HeldInstaller> Check(std::string_view relative, SignatureFindings& findings) = 0;
};

} // namespace gsd
