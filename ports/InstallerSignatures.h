// What the system's code-signature check and the signer's certificate say
// about a received installer. The Win32 adapter uses WinVerifyTrust, the
// signer's certificate and the core's layout parser (download/
// SignatureLayout.h); tests script the findings. Whether the installer may
// run is the core's decision (download/InstallerTrust.h): the findings are
// facts, never a verdict.
#pragma once

#include <cstddef>
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

// Which chain uses a certificate that a signature carries.
enum class CertificateUse {
    SignerChain,
    TimestampChain,
    // Neither: nothing the check relies on reads it.
    Unused,
};

// Whether a certificate of the signer's chain is known to be revoked, from
// what the machine already holds (nothing is fetched).
enum class RevocationStatus {
    NotRevoked,
    // The machine holds nothing that says either way.
    Unknown,
    Revoked,
};

struct NestedSignature;
struct TimestampSignature;

// What a signed message (the signature, or one nested in it) holds beside
// what its signer's signature covers: every byte of it is either read by
// the check or a place to carry something unsigned.
struct SignedMessageContents {
    // How many signers the message has.
    std::size_t signers = 0;
    // The object identifier of each value of each unauthenticated attribute
    // of the first signer, in order.
    std::vector<std::string> unauthenticatedAttributes;
    // Each certificate the message carries, in order: which chain uses it.
    std::vector<CertificateUse> certificates;
    // How many certificate revocation lists the message carries.
    std::size_t revocationLists = 0;
    // Each value of a nested-signature attribute, in order.
    std::vector<NestedSignature> nested;
    // Each value of a timestamp attribute (a countersignature or an RFC 3161
    // timestamp), in order.
    std::vector<TimestampSignature> timestamps;
};

// A timestamp in an unauthenticated attribute, as examined apart from the
// system's own check (which lists none under Wine).
struct TimestampSignature {
    // Whether it was decoded and its signer's certificate found; when false,
    // nothing else here is meaningful.
    bool readable = false;
    // Whether its signature verifies with that certificate and covers what
    // it stamps (a countersignature: the signer's signature; an RFC 3161
    // timestamp: its own content).
    bool verified = false;
    // Whether that certificate chains to a root this machine trusts, is
    // neither distrusted nor known to be revoked, and whether it is issued
    // for time stamping.
    bool chainTrusted = false;
    bool timeStampingUsage = false;
    // What it holds beside its signature: an RFC 3161 timestamp is a signed
    // message of its own; a countersignature has one signer and its own
    // unauthenticated attributes (its certificates travel in the outer
    // message's set).
    SignedMessageContents contents;
};

// A signature nested in an unauthenticated attribute of another.
struct NestedSignature {
    // Whether it was decoded as a signed message whose signer's certificate
    // it carries; when false, nothing else here is meaningful.
    bool readable = false;
    // Whether its signer's signature verifies with that certificate and
    // covers its content.
    bool verified = false;
    // As SignatureFindings::signerKey and chainTrusted, for its signer.
    std::string signerKey;
    bool chainTrusted = false;
    SignedMessageContents contents;
};

// A timestamp countersignature the system verified.
struct TimestampFacts {
    // The time it vouches for, seconds since 1970-01-01 UTC.
    std::int64_t time = 0;
    // Whether its countersigner's certificate chains to a root this machine
    // trusts.
    bool chainTrusted = false;
    // Whether that certificate's extended key usage includes time stamping.
    bool timeStampingUsage = false;
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
    // Whether the certificate chains to a root this machine trusts (its
    // dates and usage aside: those are facts of their own).
    bool chainTrusted = false;
    // Whether the certificate or one of its chain is in a store of
    // certificates the machine or its user distrusts, or the system said so.
    bool distrusted = false;
    RevocationStatus revocation = RevocationStatus::Unknown;
    // Whether the certificate's extended key usage includes code signing.
    bool codeSigningUsage = false;
    // The certificate's validity period, seconds since 1970-01-01 UTC.
    std::int64_t validFrom = 0;
    std::int64_t validUntil = 0;
    // The first timestamp countersignature the system verified; none when
    // the signature carries none the system vouches for.
    std::optional<TimestampFacts> timestamp;
    // When the check ran, seconds since 1970-01-01 UTC.
    std::int64_t checkedAt = 0;
    // The object identifiers of the algorithms the signature rests on: the
    // file digest's, the signer's digest's and the signature's.
    std::vector<std::string> digestAlgorithms;
    // What the signature holds beside what its digests cover.
    SignedMessageContents contents;
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
