#include "download/InstallerTrust.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
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

// Findings that may run under the pinned Publisher key; each row changes
// what it names.
SignatureFindings Good(const std::string& key = Publisher)
{
    SignatureFindings f;
    f.readable = true;
    f.layout = SignatureLayout::Sound;
    f.check = SystemCheck::Verified;
    f.signerKey = key;
    f.codeSigningUsage = true;
    f.validFrom = Year2020;
    f.validUntil = Year2030;
    f.checkedAt = Year2026;
    f.digestAlgorithms = { Sha256, Sha256, Rsa };
    return f;
}

template <typename Change> SignatureFindings GoodBut(Change change)
{
    SignatureFindings f = Good();
    change(f);
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
        { "pinned key, machine does not know its root", Good(), pinned, D::MayRun },
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
        { "nothing pinned: untrusted root", Good(), none, D::OtherSigner },
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
             f.timestamp = Year2026;
         }),
            pinned, D::MayRun },
        { "timestamped after expiry", GoodBut([](auto& f) { f.timestamp = Year2030 + 1; }), pinned,
            D::CertificateExpired },
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

TEST(InstallerTrustTest, KeyListIsSplitAtCommasAndLowered)
{
    EXPECT_EQ(PublisherKeyList(""), std::vector<std::string> {});
    EXPECT_EQ(PublisherKeyList("AB12,,cd34,"), (std::vector<std::string> { "ab12", "cd34" }));
}

} // namespace
} // namespace gsd
