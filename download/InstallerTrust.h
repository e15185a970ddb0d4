// Whether a received installer may be started: only one whose signature is
// laid out as signed, intact, made with a strong digest by a code-signing
// certificate valid when it signed, and whose signer is the game's
// publisher. The publisher is known by the keys of its code-signing
// certificates, pinned when the program is built; without pinned keys, by a
// certificate chain to a root the machine trusts.
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
    NotForCodeSigning,
    CertificateExpired,
    CertificateNotYetValid,
    WeakDigest,
    Unreadable,
};

// In this order: an unreadable file, a layout other than Sound (no table:
// NotSigned; anything else: AlteredAfterSigning), then what the system's
// check said; then the signer: with `publisherKeys` (lower-case hex SHA-256
// of each certificate's DER SubjectPublicKeyInfo) given, its key must be one
// of them, whatever the machine's roots say; without keys, its chain must
// reach a trusted root. Then the certificate must be for code signing and
// valid at the time of signing (a verified timestamp's, otherwise the
// check's), and every digest algorithm SHA-256 or stronger. A signer key is
// compared without regard to the case of its hex digits.
InstallerDecision DecideInstaller(const SignatureFindings& findings, const std::vector<std::string>& publisherKeys);

// A short name of `decision` for the support log ("may run", "not signed"...).
std::string_view InstallerDecisionName(InstallerDecision decision);

// The message (caption "Error!") for an installer refused for `decision`,
// naming the item's `fileName`: why, and that it was deleted, not started.
std::string InstallerRefusalText(std::string_view fileName, InstallerDecision decision);

// The keys of a comma-separated list of hex SHA-256 values, lower-cased;
// empty entries are dropped.
std::vector<std::string> PublisherKeyList(std::string_view commaSeparated);

} // namespace gsd
