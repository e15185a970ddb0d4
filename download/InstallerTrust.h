// Whether a received installer may be started: only one whose signature is
// intact and whose signer is the game's publisher. The publisher is known by
// the keys of its code-signing certificates, pinned when the program is
// built; without pinned keys, by a certificate chain to a root the machine
// trusts.
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
    Unreadable,
};

// With `publisherKeys` (lower-case hex SHA-256 of each certificate's DER
// SubjectPublicKeyInfo) given, an intact signature whose signer key is one of
// them may run, whatever the machine's roots say, and any other signer is
// refused. Without keys, only a Trusted verdict may run. A signer key is
// compared without regard to the case of its hex digits.
InstallerDecision DecideInstaller(const SignatureFindings& findings, const std::vector<std::string>& publisherKeys);

// The message (caption "Error!") for an installer refused for `decision`,
// naming the item's `fileName`: why, and that it was deleted, not started.
std::string InstallerRefusalText(std::string_view fileName, InstallerDecision decision);

// The keys of a comma-separated list of hex SHA-256 values, lower-cased;
// empty entries are dropped.
std::vector<std::string> PublisherKeyList(std::string_view commaSeparated);

} // namespace gsd
