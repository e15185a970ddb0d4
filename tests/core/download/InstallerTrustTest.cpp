#include "download/InstallerTrust.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsd {
namespace {

const std::string Publisher = "3f6a0c9b1e2d4a5b8c7d6e5f4a3b2c1d0e9f8a7b6c5d4e3f2a1b0c9d8e7f6a5b";
const std::string RolledOver = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string Stranger = "ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff";

TEST(InstallerTrustTest, OnlyAnIntactSignatureOfThePublisherMayRun)
{
    using enum SignatureVerdict;
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
        { "pinned key, machine does not know its root", { UntrustedChain, Publisher }, pinned, D::MayRun },
        { "the other pinned key", { Trusted, RolledOver }, pinned, D::MayRun },
        { "pinned key in upper case",
            { UntrustedChain, "3F6A0C9B1E2D4A5B8C7D6E5F4A3B2C1D0E9F8A7B6C5D4E3F2A1B0C9D8E7F6A5B" }, pinned, D::MayRun },
        { "trusted root but not pinned", { Trusted, Stranger }, pinned, D::OtherSigner },
        { "untrusted and not pinned", { UntrustedChain, Stranger }, pinned, D::OtherSigner },
        { "no signer key found", { UntrustedChain, "" }, pinned, D::OtherSigner },
        { "unsigned", { NotSigned, "" }, pinned, D::NotSigned },
        { "altered", { AlteredAfterSigning, "" }, pinned, D::AlteredAfterSigning },
        { "unreadable", { Unreadable, "" }, pinned, D::Unreadable },
        { "nothing pinned: trusted root", { Trusted, Stranger }, none, D::MayRun },
        { "nothing pinned: untrusted root", { UntrustedChain, Publisher }, none, D::OtherSigner },
        { "nothing pinned: unsigned", { NotSigned, "" }, none, D::NotSigned },
        { "nothing pinned: altered", { AlteredAfterSigning, "" }, none, D::AlteredAfterSigning },
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
