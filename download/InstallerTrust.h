// Whether a received installer may be started: only one whose signature is
// laid out as signed, intact, holds nothing its digests leave out, is made
// with a strong digest by a code-signing certificate valid when it signed,
// neither distrusted nor known to be revoked, that chains to a root the
// machine trusts, and whose signer is the game's publisher. The publisher is
// known by the keys of its code-signing certificates, pinned when the
// program is built; without pinned keys, by the trusted chain alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ports/InstallerSignatures.h"

namespace gsd {

enum class InstallerDecision {
    MayRun,
    NotSigned,
    AlteredAfterSigning,
    OtherSigner,
    UntrustedRoot,
    Distrusted,
    Revoked,
    NotForCodeSigning,
    CertificateExpired,
    CertificateNotYetValid,
    WeakDigest,
    Unreadable,
};

// In this order: an unreadable file, a layout other than Sound (no table:
// NotSigned; anything else: AlteredAfterSigning), then what the system's
// check said; then what the signature holds: only one signer, no revocation
// list, unauthenticated attributes only of the kinds timestamp
// countersignature and nested signature, every certificate used by the
// signer's or the timestamp's chain, each timestamp verified, by a
// countersigner trusted for time stamping and holding nothing more, and
// each nested signature readable, verified, by the publisher (as below) and
// holding likewise only that (otherwise AlteredAfterSigning). Then a distrusted certificate; then the
// signer: with `publisherKeys` (lower-case hex SHA-256 of each certificate's
// DER SubjectPublicKeyInfo) given, its key must be one of them
// (OtherSigner) and its chain reach a trusted root as well (UntrustedRoot);
// without keys, its chain must reach a trusted root (OtherSigner). Then a
// revoked certificate (an unknown status passes); the certificate must be
// for code signing and valid at the time of signing (a verified
// timestamp's whose countersigner chains to a trusted root for time
// stamping, otherwise the check's), and every digest algorithm SHA-256 or
// stronger. A signer key is compared without regard to the case of its hex
// digits.
InstallerDecision DecideInstaller(const SignatureFindings& findings, const std::vector<std::string>& publisherKeys);

// A short name of `decision` for the support log ("may run", "not signed"...).
std::string_view InstallerDecisionName(InstallerDecision decision);

// What the support log says of a check that came to `decision`: its name,
// and for an installer that may run whose revocation status is unknown,
// that too.
std::string InstallerVerdict(InstallerDecision decision, const SignatureFindings& findings);

// The message (caption "Error!") for an installer refused for `decision`,
// naming the item's `fileName`: why, and that it was deleted, not started.
std::string InstallerRefusalText(std::string_view fileName, InstallerDecision decision);

// The keys of a comma-separated list of hex SHA-256 values, lower-cased;
// empty entries are dropped.
std::vector<std::string> PublisherKeyList(std::string_view commaSeparated);

} // namespace gsd
