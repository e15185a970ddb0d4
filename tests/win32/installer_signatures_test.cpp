// The system's signature check of received installers, through the Win32
// adapter, over the demo's game installer signed by the demo publisher and
// the tests' badly signed variants of it (tests/InstallerVariants.cmake).

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GameFolderScope.h"
#include "platform/Handles.h"
#include "platform/Win32InstallerSignatures.h"
#include "tests/support/ReferenceServer.h"

namespace gsd {
namespace {

#ifdef GSD_TEST_PUBLISHER_KEY

std::string BinBytes(const std::string& relative)
{
    std::string bytes;
    EXPECT_TRUE(test::reference_server_detail::ReadWholeFile(e2e::BinFolder() + relative, bytes)) << relative;
    return bytes;
}

// The demo publisher's certificate, DER.
std::vector<BYTE> PublisherCertificate()
{
    const std::string pem = BinBytes("signature-variants\\publisher.pem");
    DWORD size = 0;
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr);
    std::vector<BYTE> der(size);
    CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr);
    der.resize(size);
    return der;
}

// The demo publisher's certificate in the machine's root store while this
// lives, as a commercially signed installer's root is on Windows. The
// prefix is shared by the whole test run: a test program that ended before
// its destructor ran (a crash, a time limit) would leave the root behind
// for every later test, so each test of this file first takes away any
// root left over (RemoveLeftover).
class TrustedPublisherRoot {
public:
    TrustedPublisherRoot()
    {
        std::vector<BYTE> der = PublisherCertificate();
        const auto size = static_cast<DWORD>(der.size());
        store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
        EXPECT_TRUE(store_ != nullptr
            && CertAddEncodedCertificateToStore(
                store_, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_REPLACE_EXISTING, &added_));
        // A registry store keeps its changes to itself until they are
        // committed; the chain engine reads the registry.
        EXPECT_TRUE(store_ != nullptr && CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr));
    }
    ~TrustedPublisherRoot()
    {
        if (added_ != nullptr) {
            CertDeleteCertificateFromStore(added_);
        }
        if (store_ != nullptr) {
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            CertCloseStore(store_, 0);
        }
    }
    TrustedPublisherRoot(const TrustedPublisherRoot&) = delete;
    TrustedPublisherRoot& operator=(const TrustedPublisherRoot&) = delete;

    static void RemoveLeftover()
    {
        std::vector<BYTE> der = PublisherCertificate();
        PCCERT_CONTEXT wanted
            = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
        HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
        if (wanted != nullptr && store != nullptr) {
            while (PCCERT_CONTEXT left
                = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr)) {
                CertDeleteCertificateFromStore(left);
            }
            CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
        if (store != nullptr) {
            CertCloseStore(store, 0);
        }
        if (wanted != nullptr) {
            CertFreeCertificateContext(wanted);
        }
    }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT added_ = nullptr;
};

class InstallerSignaturesOnWine : public ::testing::Test {
protected:
    InstallerSignaturesOnWine() { TrustedPublisherRoot::RemoveLeftover(); }

    testing::GameFolderScope folder_;
    const e2e::GameFolder& game_ = folder_.Game();
    Win32InstallerSignatures signatures_;
};

TEST_F(InstallerSignaturesOnWine, FindsWhoSignedAndWhatBecameOfTheFile)
{
    const std::string signedBytes = BinBytes("GameInstaller.exe");
    std::string altered = signedBytes;
    altered[altered.size() / 2] = static_cast<char>(altered[altered.size() / 2] ^ 0x01);
    struct Case {
        const char* name;
        std::string bytes;
        SignatureVerdict verdict;
        std::string signerKey;
    };
    const std::vector<Case> cases = {
        // Wine's WinVerifyTrust passes an unknown root; the adapter's own
        // chain check does not.
        { "signed by the publisher", signedBytes, SignatureVerdict::UntrustedChain, GSD_TEST_PUBLISHER_KEY },
        { "signed by another key of the same subject", BinBytes("signature-variants\\OtherSigner.exe"),
            SignatureVerdict::UntrustedChain, GSD_TEST_OTHER_SIGNER_KEY },
        { "unsigned", BinBytes("signature-variants\\Unsigned.exe"), SignatureVerdict::NotSigned, "" },
        { "altered after signing", altered, SignatureVerdict::AlteredAfterSigning, "" },
        { "truncated", signedBytes.substr(0, signedBytes.size() / 2), SignatureVerdict::NotSigned, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        game_.Write("Temp\\Download.tmp", c.bytes);
        SignatureFindings findings;

        const auto held = signatures_.Check("Temp\\Download.tmp", findings);

        EXPECT_NE(held, nullptr);
        EXPECT_EQ(findings.verdict, c.verdict);
        EXPECT_EQ(findings.signerKey, c.signerKey);
    }
}

TEST_F(InstallerSignaturesOnWine, ARootTheMachineTrustsMakesTheSignatureTrusted)
{
    game_.Write("Temp\\Download.exe", BinBytes("GameInstaller.exe"));
    const TrustedPublisherRoot root;
    SignatureFindings findings;

    const auto held = signatures_.Check("Temp\\Download.exe", findings);

    EXPECT_EQ(findings.verdict, SignatureVerdict::Trusted);
    EXPECT_EQ(findings.signerKey, GSD_TEST_PUBLISHER_KEY);
}

TEST_F(InstallerSignaturesOnWine, HeldFileCanBeReadButNotChangedMovedOrDeleted)
{
    game_.Write("Temp\\Download.exe", BinBytes("GameInstaller.exe"));
    const std::string path = game_.PathOf("Temp\\Download.exe");
    SignatureFindings findings;

    auto held = signatures_.Check("Temp\\Download.exe", findings);
    ASSERT_NE(held, nullptr);

    EXPECT_FALSE(unique_file(CreateFileA(
        path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)));
    EXPECT_FALSE(MoveFileExA(path.c_str(), game_.PathOf("Temp\\Other.exe").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_TRUE(
        unique_file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)));

    held.reset();
    EXPECT_TRUE(DeleteFileA(path.c_str())) << "released";
}

#endif

} // namespace
} // namespace gsd
