#include "download/InstallerTrust.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace gsd {
namespace {

const std::string Publisher = "3f6a0c9b1e2d4a5b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a1b0c9d8e7f6a5b";
const std::string RolledOver = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string Stranger = "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff";

constexpr std::int64_t Year2020 = 1577836800;
constexpr std::int64_t Year2026 = 1767225600;
constexpr std::int64_t Year2030 = 1893456000;
const std::string Sha256 = "2.16.840.1.101.3.4.2.1";
const std::string Sha1 = "1.3.14.3.2.26";
const std::string Md5 = "1.2.840.113549.2.5";
const std::string Rsa = "1.2.840.113549.1.1.1";
const std::string RsaSha1 = "1.2.840.113549.1.1.5";
const std::string Countersignature = "1.2.840.113549.1.9.6";
const std::string TimestampToken = "1.3.6.1.4.1.311.3.3.1";
const std::string Nested = "1.3.6.1.4.1.311.2.4.1";
const std::string OpusInfo = "1.3.6.1.4.1.311.2.1.12";
const std::string UnknownAttribute = "1.3.6.1.4.1.99999.1";

using Use = CertificateUse;

SignedMessageContents OneSigner(std::vector<CertificateUse> certificates = { Use::SignerChain })
{
    SignedMessageContents contents;
    contents.signers = 1;
    contents.certificates = std::move(certificates);
    return contents;
}

// A nested signature that may stand under a pinned primary; each row
// changes what it names.
NestedSignature GoodNested(const std::string& key = Publisher)
{
    NestedSignature nested;
    nested.readable = true;
    nested.verified = true;
    nested.signerKey = key;
    nested.chainTrusted = true;
    nested.contents = OneSigner();
    return nested;
}

// A timestamp attribute's value that holds nothing more; each row changes
// what it names.
TimestampSignature SoundTimestamp()
{
    TimestampSignature timestamp;
    timestamp.readable = true;
    timestamp.verified = true;
    timestamp.chainTrusted = true;
    timestamp.timeStampingUsage = true;
    timestamp.contents = OneSigner();
    return timestamp;
}

TimestampFacts TrustedTimestamp(std::int64_t time)
{
    return { time, true, true };
}

// Findings that may run under the pinned Publisher key; each row changes
// what it names.
SignatureFindings Good(const std::string& key = Publisher)
{
    SignatureFindings f;
    f.readable = true;
    f.layout = SignatureLayout::Sound;
    f.check = SystemCheck::Verified;
    f.signerKey = key;
    f.chainTrusted = true;
    f.revocation = RevocationStatus::NotRevoked;
    f.codeSigningUsage = true;
    f.validFrom = Year2020;
    f.validUntil = Year2030;
    f.checkedAt = Year2026;
    f.digestAlgorithms = { Sha256, Sha256, Rsa };
    f.contents = OneSigner();
    return f;
}

template <typename Change> SignatureFindings GoodBut(Change change)
{
    SignatureFindings f = Good();
    change(f);
    return f;
}

// Good findings whose signature carries, in a nested-signature attribute,
// a nested signature changed by `change`.
template <typename Change> SignatureFindings WithNested(Change change)
{
    NestedSignature nested = GoodNested();
    change(nested);
    SignatureFindings f = Good();
    f.contents.unauthenticatedAttributes = { Nested };
    f.contents.nested = { nested };
    return f;
}

// Good findings whose signature carries an RFC 3161 timestamp changed by
// `change`.
template <typename Change> SignatureFindings WithTimestamp(Change change)
{
    TimestampSignature timestamp = SoundTimestamp();
    change(timestamp);
    SignatureFindings f = Good();
    f.contents.unauthenticatedAttributes = { TimestampToken };
    f.contents.timestamps = { timestamp };
    return f;
}

TEST(InstallerTrustTest, OnlyASoundStrongCurrentSignatureOfThePublisherMayRun)
{
    using D = InstallerDecision;
    const std::vector<std::string> pinned { Publisher, RolledOver };
    const std::vector<std::string> none;
    struct Case {
        const char* name;
        SignatureFindings findings;
        const std::vector<std::string>& keys;
        InstallerDecision decision;
    };
    const std::vector<Case> cases = {
        { "pinned key, trusted root", Good(), pinned, D::MayRun },
        { "pinned key, machine does not know its root", GoodBut([](auto& f) { f.chainTrusted = false; }), pinned,
            D::UntrustedRoot },
        { "the other pinned key", Good(RolledOver), pinned, D::MayRun },
        { "pinned key in upper case", Good("3F6A0C9B1E2D4A5B8C7D6E5F4A3B2C1D0E9F8A7B6C5D4E3F2A1B0C9D8E7F6A5B"), pinned,
            D::MayRun },
        { "trusted root but not pinned", GoodBut([](auto& f) {
             f.signerKey = Stranger;
             f.chainTrusted = true;
         }),
            pinned, D::OtherSigner },
        { "no signer key found", Good(""), pinned, D::OtherSigner },
        { "nothing pinned: trusted root", GoodBut([](auto& f) {
             f.signerKey = Stranger;
             f.chainTrusted = true;
         }),
            none, D::MayRun },
        { "nothing pinned: untrusted root", GoodBut([](auto& f) { f.chainTrusted = false; }), none, D::OtherSigner },
        { "distrusted, pinned", GoodBut([](auto& f) { f.distrusted = true; }), pinned, D::Distrusted },
        { "distrusted, nothing pinned", GoodBut([](auto& f) { f.distrusted = true; }), none, D::Distrusted },
        { "distrusted and unknown signer", GoodBut([](auto& f) {
             f.distrusted = true;
             f.signerKey = Stranger;
         }),
            pinned, D::Distrusted },
        { "revoked", GoodBut([](auto& f) { f.revocation = RevocationStatus::Revoked; }), pinned, D::Revoked },
        { "revocation unknown", GoodBut([](auto& f) { f.revocation = RevocationStatus::Unknown; }), pinned, D::MayRun },
        { "revoked, not pinned", GoodBut([](auto& f) {
             f.revocation = RevocationStatus::Revoked;
             f.signerKey = Stranger;
         }),
            pinned, D::OtherSigner },
        { "timestamp and nested signature attributes", GoodBut([](auto& f) {
             f.contents.unauthenticatedAttributes = { Countersignature, TimestampToken, Nested };
             f.contents.timestamps = { SoundTimestamp(), SoundTimestamp() };
             f.contents.nested = { GoodNested(RolledOver) };
         }),
            pinned, D::MayRun },
        { "timestamp by a countersigner the machine does not trust",
            WithTimestamp([](auto& t) { t.chainTrusted = false; }), pinned, D::AlteredAfterSigning },
        { "timestamp by a certificate not for time stamping",
            WithTimestamp([](auto& t) { t.timeStampingUsage = false; }), pinned, D::AlteredAfterSigning },
        { "timestamp whose signature does not verify", WithTimestamp([](auto& t) { t.verified = false; }), pinned,
            D::AlteredAfterSigning },
        { "timestamp that cannot be read", WithTimestamp([](auto& t) { t.readable = false; }), pinned,
            D::AlteredAfterSigning },
        { "timestamp carrying an extra certificate",
            WithTimestamp([](auto& t) { t.contents.certificates.push_back(Use::Unused); }), pinned,
            D::AlteredAfterSigning },
        { "timestamp carrying an attribute of its own",
            WithTimestamp([](auto& t) { t.contents.unauthenticatedAttributes = { Countersignature }; }), pinned,
            D::AlteredAfterSigning },
        { "timestamp attribute with no timestamp reported",
            GoodBut([](auto& f) { f.contents.unauthenticatedAttributes = { TimestampToken }; }), pinned,
            D::AlteredAfterSigning },
        { "opus info left unsigned", GoodBut([](auto& f) { f.contents.unauthenticatedAttributes = { OpusInfo }; }),
            pinned, D::AlteredAfterSigning },
        { "unknown attribute beside a timestamp", GoodBut([](auto& f) {
             f.contents.unauthenticatedAttributes = { Countersignature, UnknownAttribute };
             f.contents.timestamps = { SoundTimestamp() };
         }),
            pinned, D::AlteredAfterSigning },
        { "extra certificate", GoodBut([](auto& f) {
             f.contents.certificates = { Use::SignerChain, Use::Unused };
         }),
            pinned, D::AlteredAfterSigning },
        { "signer's and timestamp's chains", GoodBut([](auto& f) {
             f.contents.certificates = { Use::TimestampChain, Use::SignerChain, Use::SignerChain };
         }),
            pinned, D::MayRun },
        { "no certificate carried, chain from the machine", GoodBut([](auto& f) { f.contents.certificates.clear(); }),
            pinned, D::MayRun },
        { "second signer", GoodBut([](auto& f) { f.contents.signers = 2; }), pinned, D::AlteredAfterSigning },
        { "revocation list carried", GoodBut([](auto& f) { f.contents.revocationLists = 1; }), pinned,
            D::AlteredAfterSigning },
        { "carrier found before another signer", GoodBut([](auto& f) {
             f.contents.certificates.push_back(Use::Unused);
             f.signerKey = Stranger;
         }),
            pinned, D::AlteredAfterSigning },
        { "nested by another key", WithNested([](auto& n) { n.signerKey = Stranger; }), pinned,
            D::AlteredAfterSigning },
        { "nested by a pinned key without a trusted root", WithNested([](auto& n) { n.chainTrusted = false; }), pinned,
            D::AlteredAfterSigning },
        { "nested by a pinned key, not verified", WithNested([](auto& n) { n.verified = false; }), pinned,
            D::AlteredAfterSigning },
        { "nested that cannot be read", WithNested([](auto& n) { n.readable = false; }), pinned,
            D::AlteredAfterSigning },
        { "nested carrying an unknown attribute",
            WithNested([](auto& n) { n.contents.unauthenticatedAttributes = { UnknownAttribute }; }), pinned,
            D::AlteredAfterSigning },
        { "nested carrying an extra certificate",
            WithNested([](auto& n) { n.contents.certificates.push_back(Use::Unused); }), pinned,
            D::AlteredAfterSigning },
        { "nested in a nested one by another key", WithNested([](auto& n) {
             n.contents.unauthenticatedAttributes = { Nested };
             n.contents.nested = { GoodNested(Stranger) };
         }),
            pinned, D::AlteredAfterSigning },
        { "nested attribute with no signature reported",
            GoodBut([](auto& f) { f.contents.unauthenticatedAttributes = { Nested }; }), pinned,
            D::AlteredAfterSigning },
        { "nothing pinned: nested with a trusted root", WithNested([](auto& n) { n.signerKey = Stranger; }), none,
            D::MayRun },
        { "unreadable", GoodBut([](auto& f) { f.readable = false; }), pinned, D::Unreadable },
        { "no certificate table", GoodBut([](auto& f) { f.layout = SignatureLayout::NoSignature; }), pinned,
            D::NotSigned },
        { "table altered, though the digest holds", GoodBut([](auto& f) { f.layout = SignatureLayout::Altered; }),
            pinned, D::AlteredAfterSigning },
        { "digest does not match", GoodBut([](auto& f) { f.check = SystemCheck::DigestMismatch; }), pinned,
            D::AlteredAfterSigning },
        { "table the system reads as no signature", GoodBut([](auto& f) { f.check = SystemCheck::NoSignature; }),
            pinned, D::NotSigned },
        { "system check failed", GoodBut([](auto& f) { f.check = SystemCheck::Failed; }), pinned, D::Unreadable },
        { "not a code-signing certificate", GoodBut([](auto& f) { f.codeSigningUsage = false; }), pinned,
            D::NotForCodeSigning },
        { "expired", GoodBut([](auto& f) { f.checkedAt = Year2030 + 1; }), pinned, D::CertificateExpired },
        { "not yet valid", GoodBut([](auto& f) { f.checkedAt = Year2020 - 1; }), pinned, D::CertificateNotYetValid },
        { "last second of validity", GoodBut([](auto& f) { f.checkedAt = Year2030; }), pinned, D::MayRun },
        { "expired now, timestamped while valid", GoodBut([](auto& f) {
             f.checkedAt = Year2030 + 1;
             f.timestamp = TrustedTimestamp(Year2026);
         }),
            pinned, D::MayRun },
        { "timestamped after expiry", GoodBut([](auto& f) { f.timestamp = TrustedTimestamp(Year2030 + 1); }), pinned,
            D::CertificateExpired },
        { "expired now, timestamp by an untrusted countersigner", GoodBut([](auto& f) {
             f.checkedAt = Year2030 + 1;
             f.timestamp = TimestampFacts { Year2026, false, true };
         }),
            pinned, D::CertificateExpired },
        { "expired now, countersigner not for time stamping", GoodBut([](auto& f) {
             f.checkedAt = Year2030 + 1;
             f.timestamp = TimestampFacts { Year2026, true, false };
         }),
            pinned, D::CertificateExpired },
        { "MD5 file digest", GoodBut([](auto& f) {
             f.digestAlgorithms = { Md5, Md5, Rsa };
         }),
            pinned, D::WeakDigest },
        { "SHA-1 signer digest", GoodBut([](auto& f) {
             f.digestAlgorithms = { Sha256, Sha1, Rsa };
         }),
            pinned, D::WeakDigest },
        { "RSA with SHA-1 signature", GoodBut([](auto& f) {
             f.digestAlgorithms = { Sha256, Sha256, RsaSha1 };
         }),
            pinned, D::WeakDigest },
        { "no algorithm known", GoodBut([](auto& f) { f.digestAlgorithms.clear(); }), pinned, D::WeakDigest },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecideInstaller(c.findings, c.keys), c.decision);
    }
}

TEST(InstallerTrustTest, LogVerdictSaysWhenRevocationWasNotKnown)
{
    using D = InstallerDecision;
    struct Case {
        InstallerDecision decision;
        RevocationStatus revocation;
        const char* verdict;
    };
    const std::vector<Case> cases = {
        { D::MayRun, RevocationStatus::NotRevoked, "may run" },
        { D::MayRun, RevocationStatus::Unknown, "may run, revocation status unknown" },
        { D::Revoked, RevocationStatus::Revoked, "certificate revoked" },
        { D::UntrustedRoot, RevocationStatus::Unknown, "untrusted root" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verdict);
        SignatureFindings f = Good();
        f.revocation = c.revocation;
        EXPECT_EQ(InstallerVerdict(c.decision, f), c.verdict);
    }
}

TEST(InstallerTrustTest, KeyListIsSplitAtCommasAndLowered)
{
    EXPECT_EQ(PublisherKeyList(""), std::vector<std::string> {});
    EXPECT_EQ(PublisherKeyList("AB12,,cd34,"), (std::vector<std::string> { "ab12", "cd34" }));
}

} // namespace
} // namespace gsd
