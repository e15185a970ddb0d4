#include "download/InstallerTrust.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>

namespace gsd {
namespace {

constexpr std::string_view CountersignatureOid = "1.2.840.113549.1.9.6";
constexpr std::string_view TimestampTokenOid = "1.3.6.1.4.1.311.3.3.1";
constexpr std::string_view NestedSignatureOid = "1.3.6.1.4.1.311.2.4.1";

char LowerHex(char c)
{
    return c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), LowerHex);
    return lowered;
}

bool IsPinned(std::string_view signerKey, const std::vector<std::string>& publisherKeys)
{
    // An empty key matches nothing, not even an empty entry.
    if (signerKey.empty()) {
        return false;
    }
    const std::string key = Lowered(signerKey);
    return std::any_of(
        publisherKeys.begin(), publisherKeys.end(), [&](const std::string& pinned) { return Lowered(pinned) == key; });
}

// Whether the signer of `key` and chain counts as the game's publisher: a
// pinned key alone is not enough, its chain must reach a trusted root too.
InstallerDecision PublisherCheck(std::string_view key, bool chainTrusted, const std::vector<std::string>& publisherKeys)
{
    if (publisherKeys.empty()) {
        return chainTrusted ? InstallerDecision::MayRun : InstallerDecision::OtherSigner;
    }
    if (!IsPinned(key, publisherKeys)) {
        return InstallerDecision::OtherSigner;
    }
    return chainTrusted ? InstallerDecision::MayRun : InstallerDecision::UntrustedRoot;
}

bool IsTimestampAttribute(const std::string& oid)
{
    return oid == CountersignatureOid || oid == TimestampTokenOid;
}

bool IsAllowedUnauthenticatedAttribute(const std::string& oid)
{
    return IsTimestampAttribute(oid) || oid == NestedSignatureOid;
}

bool NoUnusedCertificate(const SignedMessageContents& contents)
{
    return std::find(contents.certificates.begin(), contents.certificates.end(), CertificateUse::Unused)
        == contents.certificates.end();
}

// A timestamp that only someone trusted for time stamping could have made,
// and that holds nothing beside it: one made by anyone else is as good a
// place to carry unsigned bytes as any other attribute.
bool IsSoundTimestamp(const TimestampSignature& timestamp)
{
    const SignedMessageContents& contents = timestamp.contents;
    return timestamp.readable && timestamp.verified && timestamp.chainTrusted && timestamp.timeStampingUsage
        && contents.signers == 1 && contents.revocationLists == 0 && contents.unauthenticatedAttributes.empty()
        && contents.nested.empty() && contents.timestamps.empty() && NoUnusedCertificate(contents);
}

// Whether `contents` holds nothing that the check does not read: anything
// else would reach the installer, which may read its own file, unsigned.
bool HoldsOnlyWhatIsChecked(const SignedMessageContents& contents, const std::vector<std::string>& publisherKeys)
{
    if (contents.signers != 1 || contents.revocationLists != 0) {
        return false;
    }
    if (!std::all_of(contents.unauthenticatedAttributes.begin(), contents.unauthenticatedAttributes.end(),
            IsAllowedUnauthenticatedAttribute)) {
        return false;
    }
    const auto nestedCount = static_cast<std::size_t>(std::count(contents.unauthenticatedAttributes.begin(),
        contents.unauthenticatedAttributes.end(), std::string(NestedSignatureOid)));
    const auto timestampCount = static_cast<std::size_t>(std::count_if(
        contents.unauthenticatedAttributes.begin(), contents.unauthenticatedAttributes.end(), IsTimestampAttribute));
    if (nestedCount != contents.nested.size() || timestampCount != contents.timestamps.size()) {
        return false;
    }
    if (!NoUnusedCertificate(contents)
        || !std::all_of(contents.timestamps.begin(), contents.timestamps.end(), IsSoundTimestamp)) {
        return false;
    }
    return std::all_of(contents.nested.begin(), contents.nested.end(), [&](const NestedSignature& nested) {
        return nested.readable && nested.verified
            && PublisherCheck(nested.signerKey, nested.chainTrusted, publisherKeys) == InstallerDecision::MayRun
            && HoldsOnlyWhatIsChecked(nested.contents, publisherKeys);
    });
}

// The time the signature was made: a timestamp's only when its countersigner
// is trusted for time stamping, since anyone can otherwise vouch for any
// time.
std::int64_t SigningTime(const SignatureFindings& findings)
{
    const std::optional<TimestampFacts>& timestamp = findings.timestamp;
    if (timestamp && timestamp->chainTrusted && timestamp->timeStampingUsage) {
        return timestamp->time;
    }
    return findings.checkedAt;
}

// SHA-256 or stronger, or a signature algorithm whose digest is named
// apart (and is then in the list itself).
bool IsStrongAlgorithm(const std::string& oid)
{
    static constexpr std::string_view Strong[] = {
        "2.16.840.1.101.3.4.2.1", // SHA-256
        "2.16.840.1.101.3.4.2.2", // SHA-384
        "2.16.840.1.101.3.4.2.3", // SHA-512
        "2.16.840.1.101.3.4.2.8", // SHA3-256
        "2.16.840.1.101.3.4.2.9", // SHA3-384
        "2.16.840.1.101.3.4.2.10", // SHA3-512
        "1.2.840.113549.1.1.1", // RSA, digest named apart
        "1.2.840.113549.1.1.10", // RSA-PSS, digest named apart
        "1.2.840.113549.1.1.11", // RSA with SHA-256
        "1.2.840.113549.1.1.12", // RSA with SHA-384
        "1.2.840.113549.1.1.13", // RSA with SHA-512
        "1.2.840.10045.2.1", // EC key, digest named apart
        "1.2.840.10045.4.3.2", // ECDSA with SHA-256
        "1.2.840.10045.4.3.3", // ECDSA with SHA-384
        "1.2.840.10045.4.3.4", // ECDSA with SHA-512
    };
    return std::find(std::begin(Strong), std::end(Strong), oid) != std::end(Strong);
}

} // namespace

InstallerDecision DecideInstaller(const SignatureFindings& findings, const std::vector<std::string>& publisherKeys)
{
    if (!findings.readable) {
        return InstallerDecision::Unreadable;
    }
    switch (findings.layout) {
    case SignatureLayout::NoSignature:
        return InstallerDecision::NotSigned;
    case SignatureLayout::Altered:
        return InstallerDecision::AlteredAfterSigning;
    case SignatureLayout::Sound:
        break;
    }
    switch (findings.check) {
    case SystemCheck::DigestMismatch:
        return InstallerDecision::AlteredAfterSigning;
    case SystemCheck::NoSignature:
        return InstallerDecision::NotSigned;
    case SystemCheck::Failed:
        return InstallerDecision::Unreadable;
    case SystemCheck::Verified:
        break;
    }
    if (!HoldsOnlyWhatIsChecked(findings.contents, publisherKeys)) {
        return InstallerDecision::AlteredAfterSigning;
    }
    if (findings.distrusted) {
        return InstallerDecision::Distrusted;
    }
    const InstallerDecision publisher = PublisherCheck(findings.signerKey, findings.chainTrusted, publisherKeys);
    if (publisher != InstallerDecision::MayRun) {
        return publisher;
    }
    if (findings.revocation == RevocationStatus::Revoked) {
        return InstallerDecision::Revoked;
    }
    if (!findings.codeSigningUsage) {
        return InstallerDecision::NotForCodeSigning;
    }
    const std::int64_t signedAt = SigningTime(findings);
    if (signedAt < findings.validFrom) {
        return InstallerDecision::CertificateNotYetValid;
    }
    if (signedAt > findings.validUntil) {
        return InstallerDecision::CertificateExpired;
    }
    if (findings.digestAlgorithms.empty()
        || !std::all_of(findings.digestAlgorithms.begin(), findings.digestAlgorithms.end(), IsStrongAlgorithm)) {
        return InstallerDecision::WeakDigest;
    }
    return InstallerDecision::MayRun;
}

std::string_view InstallerDecisionName(InstallerDecision decision)
{
    switch (decision) {
    case InstallerDecision::MayRun:
        return "may run";
    case InstallerDecision::NotSigned:
        return "not signed";
    case InstallerDecision::AlteredAfterSigning:
        return "altered after signing";
    case InstallerDecision::OtherSigner:
        return "other signer";
    case InstallerDecision::UntrustedRoot:
        return "untrusted root";
    case InstallerDecision::Distrusted:
        return "distrusted certificate";
    case InstallerDecision::Revoked:
        return "certificate revoked";
    case InstallerDecision::NotForCodeSigning:
        return "not a code-signing certificate";
    case InstallerDecision::CertificateExpired:
        return "certificate expired";
    case InstallerDecision::CertificateNotYetValid:
        return "certificate not yet valid";
    case InstallerDecision::WeakDigest:
        return "weak digest";
    case InstallerDecision::Unreadable:
        break;
    }
    return "could not be checked";
}

std::string InstallerVerdict(InstallerDecision decision, const SignatureFindings& findings)
{
    std::string verdict(InstallerDecisionName(decision));
    if (decision == InstallerDecision::MayRun && findings.revocation == RevocationStatus::Unknown) {
        verdict += ", revocation status unknown";
    }
    return verdict;
}

std::string InstallerRefusalText(std::string_view fileName, InstallerDecision decision)
{
    const std::string quoted = "\"" + std::string(fileName) + "\"";
    std::string why;
    switch (decision) {
    case InstallerDecision::NotSigned:
        why = "The installer " + quoted + " is not signed.";
        break;
    case InstallerDecision::AlteredAfterSigning:
        why = "The installer " + quoted + " was altered after it was signed.";
        break;
    case InstallerDecision::OtherSigner:
        why = "The installer " + quoted + " is signed by someone other than the game's publisher.";
        break;
    case InstallerDecision::UntrustedRoot:
        why = "The installer " + quoted
            + " is signed with a certificate that no authority this computer trusts has issued.";
        break;
    case InstallerDecision::Distrusted:
        why = "The installer " + quoted + " is signed with a certificate that this computer distrusts.";
        break;
    case InstallerDecision::Revoked:
        why = "The installer " + quoted + " is signed with a certificate that has been revoked.";
        break;
    case InstallerDecision::NotForCodeSigning:
        why = "The installer " + quoted + " is signed with a certificate that is not for signing programs.";
        break;
    case InstallerDecision::CertificateExpired:
        why = "The installer " + quoted + " is signed with a certificate that had expired when it was signed.";
        break;
    case InstallerDecision::CertificateNotYetValid:
        why = "The installer " + quoted + " is signed with a certificate that was not yet valid when it was signed.";
        break;
    case InstallerDecision::WeakDigest:
        why = "The installer " + quoted + " is signed with a digest weaker than SHA-256.";
        break;
    case InstallerDecision::Unreadable:
    case InstallerDecision::MayRun:
        why = "The signature of the installer " + quoted + " could not be checked.";
        break;
    }
    return why + "  It was deleted and not started.";
}

std::vector<std::string> PublisherKeyList(std::string_view commaSeparated)
{
    std::vector<std::string> keys;
    while (!commaSeparated.empty()) {
        const std::size_t comma = commaSeparated.find(',');
        const std::string_view key = commaSeparated.substr(0, comma);
        if (!key.empty()) {
            keys.push_back(Lowered(key));
        }
        commaSeparated.remove_prefix(comma == std::string_view::npos ? commaSeparated.size() : comma + 1);
    }
    return keys;
}

} // namespace gsd
