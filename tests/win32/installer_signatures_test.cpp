// The system's signature check of received installers, through the Win32
// adapter, over the demo's game installer signed by the demo publisher and
// the tests' badly signed variants of it (tests/InstallerVariants.cmake):
// the facts it reports, not the decision made from them. The demo
// code-signing CA that issued the publisher's certificate is a trusted root
// of the prefix.

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "GameFolderScope.h"
#include "fakes/FakeTiming.h"
#include "platform/Handles.h"
#include "platform/Win32GameFiles.h"
#include "platform/Win32InstallerSignatures.h"
#include "platform/Win32MessagePump.h"
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

// The demo publisher's certificate in a system store ("Disallowed") of the
// machine or of the user while this lives. The prefix is shared by the
// whole test run: a test program that ended before its destructor ran (a
// crash, a time limit) would leave the certificate behind for every later
// test, so each test of this file first takes away any left over
// (RemoveLeftovers).
class PublisherInStore {
public:
    PublisherInStore(DWORD location, const char* name)
    {
        std::vector<BYTE> der = PublisherCertificate();
        const auto size = static_cast<DWORD>(der.size());
        store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, location, name);
        EXPECT_TRUE(store_ != nullptr
            && CertAddEncodedCertificateToStore(
                store_, X509_ASN_ENCODING, der.data(), size, CERT_STORE_ADD_REPLACE_EXISTING, &added_));
        // A registry store keeps its changes to itself until they are
        // committed; other stores of the same name read the registry.
        EXPECT_TRUE(store_ != nullptr && CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr));
    }
    ~PublisherInStore()
    {
        if (added_ != nullptr) {
            CertDeleteCertificateFromStore(added_);
        }
        if (store_ != nullptr) {
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            CertCloseStore(store_, 0);
        }
    }
    PublisherInStore(const PublisherInStore&) = delete;
    PublisherInStore& operator=(const PublisherInStore&) = delete;

    static void RemoveLeftovers()
    {
        std::vector<BYTE> der = PublisherCertificate();
        PCCERT_CONTEXT wanted
            = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()));
        for (const DWORD location : { CERT_SYSTEM_STORE_LOCAL_MACHINE, CERT_SYSTEM_STORE_CURRENT_USER }) {
            HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, location, "Disallowed");
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
        }
        if (wanted != nullptr) {
            CertFreeCertificateContext(wanted);
        }
    }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT added_ = nullptr;
};

// Little-endian fields of a program file, for making altered copies.
std::uint32_t Get(const std::string& bytes, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i > 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
    }
    return value;
}

void Set(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// Where the security directory's offset and size lie in a PE32 or PE32+
// image's headers.
std::size_t SecurityEntry(const std::string& bytes)
{
    const std::size_t optional = Get(bytes, 0x3C, 4) + 24;
    return optional + (Get(bytes, optional, 2) == 0x20B ? 112 : 96) + 4 * 8;
}

// The signed installer with its certificate table changed by `change`
// (given the bytes, the table's offset and the directory entry's place).
template <typename Change> std::string Altered(const std::string& signedBytes, Change change)
{
    std::string bytes = signedBytes;
    const std::size_t entry = SecurityEntry(bytes);
    change(bytes, Get(bytes, entry, 4), entry);
    return bytes;
}

class InstallerSignaturesOnWine : public ::testing::Test {
protected:
    InstallerSignaturesOnWine() { PublisherInStore::RemoveLeftovers(); }

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(test::TrustDemoSigningCa(error)) << error;
    }

    // Checks `bytes` as the program does: received into the held file,
    // which then gives up writing. The check reads what was written.
    SignatureFindings CheckBytes(const std::string& bytes) { return CheckBytes(bytes, pump_); }

    SignatureFindings CheckBytes(const std::string& bytes, MessagePump& pump)
    {
        FileFailure failure;
        const std::unique_ptr<HeldFile> file = files_.CreateEmpty("Temp\\Download.tmp", failure);
        EXPECT_NE(file, nullptr) << failure.description;
        SignatureFindings findings;
        if (file == nullptr || file->Write(bytes) || file->Finish() || file->HoldForStart()) {
            ADD_FAILURE() << "the file was not received";
            return findings;
        }
        const std::optional<FileDigest> digest = signatures_.Check(*file, pump, findings);
        EXPECT_EQ(digest, file->WrittenDigest()) << "the bytes checked are the bytes written";
        return findings;
    }

    testing::GameFolderScope folder_;
    const e2e::GameFolder& game_ = folder_.Game();
    testing::FakeMessagePump pump_;
    Win32GameFiles files_;
    Win32InstallerSignatures signatures_;
};

TEST_F(InstallerSignaturesOnWine, ATableThatIsNotExactlyOneSignatureIsFoundAltered)
{
    const std::string signedBytes = BinBytes("GameInstaller.exe");
    const std::string grownBy64(64, 'P');
    struct Case {
        const char* name;
        std::string bytes;
        SignatureLayout layout;
    };
    const std::vector<Case> cases = {
        { "as signed", signedBytes, SignatureLayout::Sound },
        { "unsigned", BinBytes("signature-variants\\Unsigned.exe"), SignatureLayout::NoSignature },
        { "bytes appended", signedBytes + grownBy64, SignatureLayout::Altered },
        { "table grown, directory and certificate length too",
            Altered(signedBytes + grownBy64,
                [](std::string& b, std::size_t table, std::size_t entry) {
                    Set(b, entry + 4, Get(b, entry + 4, 4) + 64, 4);
                    Set(b, table, Get(b, table, 4) + 64, 4);
                }),
            SignatureLayout::Altered },
        { "table grown, directory only",
            Altered(signedBytes + grownBy64,
                [](std::string& b, std::size_t, std::size_t entry) {
                    Set(b, entry + 4, Get(b, entry + 4, 4) + 64, 4);
                }),
            SignatureLayout::Altered },
        { "two certificates",
            Altered(signedBytes,
                [](std::string& b, std::size_t table, std::size_t entry) {
                    const std::size_t size = Get(b, entry + 4, 4);
                    b += b.substr(table, size);
                    Set(b, entry + 4, static_cast<std::uint32_t>(2 * size), 4);
                }),
            SignatureLayout::Altered },
        { "revision 1.0",
            Altered(signedBytes, [](std::string& b, std::size_t table, std::size_t) { Set(b, table + 4, 0x0100, 2); }),
            SignatureLayout::Altered },
        { "X.509 certificate type",
            Altered(signedBytes, [](std::string& b, std::size_t table, std::size_t) { Set(b, table + 6, 1, 2); }),
            SignatureLayout::Altered },
        { "non-zero padding",
            Altered(signedBytes,
                [](std::string& b, std::size_t table, std::size_t entry) {
                    const std::uint32_t length = Get(b, table, 4);
                    if (length % 8 != 0) {
                        b[table + length] = '\x01';
                    } else {
                        // No padding as signed: 8 bytes of it, one not zero.
                        b += std::string(7, '\0') + '\x01';
                        Set(b, entry + 4, Get(b, entry + 4, 4) + 8, 4);
                    }
                }),
            SignatureLayout::Altered },
        { "cut in half", signedBytes.substr(0, signedBytes.size() / 2), SignatureLayout::Altered },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SignatureFindings findings = CheckBytes(c.bytes);
        EXPECT_TRUE(findings.readable);
        EXPECT_EQ(findings.layout, c.layout);
    }
}

TEST_F(InstallerSignaturesOnWine, ReportsTheSignersKeyCertificateAndDigestsAsTheyAre)
{
    constexpr std::int64_t Year2015 = 1420070400;
    constexpr std::int64_t Year2040 = 2208988800;
    const std::string Sha256 = "2.16.840.1.101.3.4.2.1";
    const std::string Md5 = "1.2.840.113549.2.5";
    const std::string Sha1 = "1.3.14.3.2.26";
    std::string altered = BinBytes("GameInstaller.exe");
    altered[altered.size() / 2] = static_cast<char>(altered[altered.size() / 2] ^ 0x01);
    struct Case {
        const char* name;
        std::string file;
        SystemCheck check;
        std::string signerKey;
        bool codeSigning;
        std::string digest;
        bool chainTrusted = true;
    };
    const std::vector<Case> cases = {
        { "signed by the publisher", "GameInstaller.exe", SystemCheck::Verified, GSD_TEST_PUBLISHER_KEY, true, Sha256 },
        { "signed by another key of the same subject", "signature-variants\\OtherSigner.exe", SystemCheck::Verified,
            GSD_TEST_OTHER_SIGNER_KEY, true, Sha256 },
        { "expired certificate", "signature-variants\\Expired.exe", SystemCheck::Verified, GSD_TEST_PUBLISHER_KEY, true,
            Sha256 },
        { "certificate not yet valid", "signature-variants\\NotYetValid.exe", SystemCheck::Verified,
            GSD_TEST_PUBLISHER_KEY, true, Sha256 },
        { "server certificate", "signature-variants\\NotForCodeSigning.exe", SystemCheck::Verified,
            GSD_TEST_PUBLISHER_KEY, false, Sha256 },
        { "MD5 digest", "signature-variants\\Md5Digest.exe", SystemCheck::Verified, GSD_TEST_PUBLISHER_KEY, true, Md5 },
        { "SHA-1 digest", "signature-variants\\Sha1Digest.exe", SystemCheck::Verified, GSD_TEST_PUBLISHER_KEY, true,
            Sha1 },
        { "self-signed for the publisher's key", "signature-variants\\SelfSigned.exe", SystemCheck::Verified,
            GSD_TEST_PUBLISHER_KEY, true, Sha256, false },
        { "altered after signing", "", SystemCheck::DigestMismatch, "", false, "", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SignatureFindings findings = CheckBytes(c.file.empty() ? altered : BinBytes(c.file));
        EXPECT_EQ(findings.layout, SignatureLayout::Sound);
        EXPECT_EQ(findings.check, c.check);
        EXPECT_EQ(findings.signerKey, c.signerKey);
        EXPECT_EQ(findings.codeSigningUsage, c.codeSigning);
        EXPECT_EQ(findings.chainTrusted, c.chainTrusted) << "Wine passes any root; the adapter's own check does not";
        EXPECT_FALSE(findings.distrusted);
        EXPECT_NE(findings.revocation, RevocationStatus::Revoked);
        EXPECT_FALSE(findings.timestamp);
        if (!c.digest.empty()) {
            ASSERT_GE(findings.digestAlgorithms.size(), 2u);
            EXPECT_EQ(findings.digestAlgorithms[0], c.digest) << "the file digest";
            EXPECT_EQ(findings.digestAlgorithms[1], c.digest) << "the signer's digest";
            EXPECT_NEAR(static_cast<double>(findings.checkedAt), static_cast<double>(std::time(nullptr)), 60);
        }
        if (c.file.find("Expired") != std::string::npos) {
            EXPECT_EQ(findings.validUntil, Year2015);
        } else if (c.file.find("NotYetValid") != std::string::npos) {
            EXPECT_EQ(findings.validFrom, Year2040);
        } else if (c.check == SystemCheck::Verified) {
            EXPECT_LE(findings.validFrom, findings.checkedAt);
            EXPECT_GE(findings.validUntil, findings.checkedAt);
        }
    }
}

// Hands the window thread's messages to the real pump, and tells whoever
// waits that the thread handles them.
class SignallingPump final : public MessagePump {
public:
    void HandlePendingMessages() override
    {
        SetEvent(handling_.get());
        inner_.HandlePendingMessages();
    }
    HANDLE Handling() const { return handling_.get(); }

private:
    Win32MessagePump inner_;
    unique_handle handling_ { CreateEventA(nullptr, TRUE, FALSE, nullptr) };
};

TEST_F(InstallerSignaturesOnWine, WindowsKeepTheirMessagesWhileALargeInstallerIsChecked)
{
    // A window of this thread, asked from another thread once the check's
    // wait handles messages. Were the check made on this thread, the only
    // handling would come at its end, and so would the answer.
    using Clock = std::chrono::steady_clock;
    const unique_hwnd window(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    const std::string large = BinBytes("signature-variants\\Large.exe");
    constexpr auto Margin = std::chrono::milliseconds(50);
    SignallingPump pump;
    bool answered = false;
    Clock::time_point answeredAt;
    std::thread asker([&] {
        WaitForSingleObject(pump.Handling(), 60000);
        DWORD_PTR ignored = 0;
        answered = SendMessageTimeoutA(window.get(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0;
        answeredAt = Clock::now();
    });
    // Waiting already, so the check's wait wakes at once.
    PostMessageA(window.get(), WM_NULL, 0, 0);
    const Clock::time_point started = Clock::now();

    const SignatureFindings findings = CheckBytes(large, pump);
    const Clock::time_point ended = Clock::now();
    SetEvent(pump.Handling());
    asker.join();

    EXPECT_EQ(findings.check, SystemCheck::Verified);
    ASSERT_GT(ended - started, 2 * Margin) << "the check is too quick to tell";
    EXPECT_TRUE(answered);
    EXPECT_GT(ended - answeredAt, Margin) << "answered only once the check of 64 MB more was over";
}

TEST_F(InstallerSignaturesOnWine, ReportsWhatTheSignatureCarriesBesideItsDigests)
{
    const std::string Nested = "1.3.6.1.4.1.311.2.4.1";
    using Use = CertificateUse;
    // The nested signature's content changed, its authenticated attributes
    // and signature as they were: a letter of the program link, which both
    // signatures name, in the last one.
    std::string nestedContentChanged = BinBytes("signature-variants\\NestedByPublisher.exe");
    const std::string link("\0O\0b\0s\0o\0l\0e\0t\0e", 16);
    const std::size_t lastLink = nestedContentChanged.rfind(link);
    ASSERT_NE(lastLink, nestedContentChanged.find(link)) << "one link only";
    nestedContentChanged[lastLink + 1] = 'P';
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> attributes;
        std::vector<CertificateUse> certificates;
        // The key of the nested signature; empty: none.
        std::string nestedKey;
        bool nestedVerified = true;
    };
    const std::vector<Case> cases = {
        { "as signed", BinBytes("GameInstaller.exe"), {}, { Use::SignerChain }, "" },
        { "extra certificate", BinBytes("signature-variants\\ExtraCertificate.exe"), {},
            { Use::SignerChain, Use::Unused }, "" },
        { "unauthenticated blob", BinBytes("signature-variants\\UnauthenticatedBlob.exe"),
            { "1.3.6.1.4.1.42921.1.2.1" }, { Use::SignerChain }, "" },
        { "nested by another key", BinBytes("signature-variants\\NestedByOther.exe"), { Nested }, { Use::SignerChain },
            GSD_TEST_OTHER_SIGNER_KEY },
        { "nested by the publisher", BinBytes("signature-variants\\NestedByPublisher.exe"), { Nested },
            { Use::SignerChain }, GSD_TEST_PUBLISHER_KEY },
        { "timestamped", BinBytes("signature-variants\\Timestamped.exe"), { "1.3.6.1.4.1.311.3.3.1" },
            { Use::SignerChain }, "" },
        { "nested content changed", nestedContentChanged, { Nested }, { Use::SignerChain }, GSD_TEST_PUBLISHER_KEY,
            false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SignatureFindings findings = CheckBytes(c.bytes);
        ASSERT_EQ(findings.check, SystemCheck::Verified);
        const SignedMessageContents& contents = findings.contents;
        EXPECT_EQ(contents.signers, 1u);
        EXPECT_EQ(contents.revocationLists, 0u);
        EXPECT_EQ(contents.unauthenticatedAttributes, c.attributes);
        std::vector<CertificateUse> sorted = contents.certificates;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, c.certificates);
        ASSERT_EQ(contents.nested.size(), c.nestedKey.empty() ? 0u : 1u);
        if (!c.nestedKey.empty()) {
            const NestedSignature& nested = contents.nested[0];
            EXPECT_TRUE(nested.readable);
            EXPECT_EQ(nested.verified, c.nestedVerified);
            EXPECT_EQ(nested.signerKey, c.nestedKey);
            EXPECT_TRUE(nested.chainTrusted);
            EXPECT_EQ(nested.contents.signers, 1u);
            EXPECT_TRUE(nested.contents.unauthenticatedAttributes.empty());
            EXPECT_EQ(nested.contents.certificates, std::vector<CertificateUse> { Use::SignerChain });
        }
    }
}

TEST_F(InstallerSignaturesOnWine, ReportsEachTimestampWithItsCountersignersTrust)
{
    struct Case {
        const char* file;
        bool chainTrusted;
    };
    const std::vector<Case> cases = {
        { "signature-variants\\Timestamped.exe", true },
        { "signature-variants\\TimestampedByStranger.exe", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const SignatureFindings findings = CheckBytes(BinBytes(c.file));
        ASSERT_EQ(findings.check, SystemCheck::Verified);
        ASSERT_EQ(findings.contents.timestamps.size(), 1u);
        const TimestampSignature& timestamp = findings.contents.timestamps[0];
        EXPECT_TRUE(timestamp.readable);
        EXPECT_TRUE(timestamp.verified);
        EXPECT_EQ(timestamp.chainTrusted, c.chainTrusted);
        EXPECT_TRUE(timestamp.timeStampingUsage);
        EXPECT_EQ(timestamp.contents.signers, 1u);
        EXPECT_TRUE(timestamp.contents.unauthenticatedAttributes.empty());
        EXPECT_THAT(timestamp.contents.certificates, ::testing::Each(CertificateUse::SignerChain));
        EXPECT_FALSE(findings.timestamp) << "Wine's own check lists no countersigner";
    }
}

TEST_F(InstallerSignaturesOnWine, ACertificateInEitherDisallowedStoreIsReportedDistrusted)
{
    struct Case {
        const char* name;
        DWORD location;
    };
    const std::vector<Case> cases = {
        { "machine", CERT_SYSTEM_STORE_LOCAL_MACHINE },
        { "user", CERT_SYSTEM_STORE_CURRENT_USER },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PublisherInStore distrusted(c.location, "Disallowed");

        const SignatureFindings findings = CheckBytes(BinBytes("GameInstaller.exe"));

        EXPECT_EQ(findings.check, SystemCheck::Verified);
        EXPECT_TRUE(findings.distrusted);
    }
    EXPECT_FALSE(CheckBytes(BinBytes("GameInstaller.exe")).distrusted) << "once taken out again";
}

#else

TEST(InstallerSignaturesOnWine, NeedsTheDemoPublisher)
{
    GTEST_SKIP() << "no demo publisher in this build: its signed installers are missing";
}

#endif

} // namespace
} // namespace gsd
