// What the system's code-signature check and the signer's certificate say
// about a received installer. The Win32 adapter uses WinVerifyTrust, the
// signer's certificate and the core's layout parser (download/
// SignatureLayout.h); tests script the findings. Whether the installer may
// run is the core's decision (download/InstallerTrust.h): the findings are
// facts, never a verdict.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/GameFiles.h"
#include "ports/MessagePump.h"

namespace gsd {

// How the file keeps its embedded signature.
enum class SignatureLayout {
    // One certificate of the expected kind, filling the table to the end of
    // the file.
    Sound,
    // A program without a certificate table (or no program at all).
    NoSignature,
    // A table that holds more or other than one signature, or that does not
    // end where the file ends.
    Altered,
};

// What the system's check of the signature itself said.
enum class SystemCheck {
    // The file's digest matches the signed one and the signature verifies
    // with the signer's certificate (whatever became of its chain).
    Verified,
    // The system found no signature it recognises.
    NoSignature,
    // The file's digest does not match the signed one.
    DigestMismatch,
    // Anything else: the check itself failed.
    Failed,
};

struct SignatureFindings {
    // Whether the file could be opened and its headers read; when false,
    // nothing else here is meaningful.
    bool readable = false;
    SignatureLayout layout = SignatureLayout::NoSignature;
    SystemCheck check = SystemCheck::Failed;
    // The rest is known only when `check` is Verified.
    // The SHA-256 of the signer certificate's DER SubjectPublicKeyInfo, in
    // lower-case hex; empty when it could not be read.
    std::string signerKey;
    // Whether the certificate chains to a root this machine trusts.
    bool chainTrusted = false;
    // Whether the certificate's extended key usage includes code signing.
    bool codeSigningUsage = false;
    // The certificate's validity period, seconds since 1970-01-01 UTC.
    std::int64_t validFrom = 0;
    std::int64_t validUntil = 0;
    // The time of a timestamp countersignature the system verified; none
    // when the signature carries none the system vouches for.
    std::optional<std::int64_t> timestamp;
    // When the check ran, seconds since 1970-01-01 UTC.
    std::int64_t checkedAt = 0;
    // The object identifiers of the algorithms the signature rests on: the
    // file digest's, the signer's digest's and the signature's.
    std::vector<std::string> digestAlgorithms;
};

class InstallerSignatures {
public:
    virtual ~InstallerSignatures() = default;

    // Checks the signature of the held `file` through its hold, without
    // opening it by name, asking anything over the network or showing any
    // window of the system's; while the check runs, `pump` keeps the
    // thread's windows answering. Sets `findings` and returns the SHA-256 of
    // the file's bytes as the check read them; nullopt when the file could
    // not be read whole (then `findings.readable` is false).
    virtual std::optional<FileDigest> Check(HeldFile& file, MessagePump& pump, SignatureFindings& findings) = 0;
};

} // namespace gsd
