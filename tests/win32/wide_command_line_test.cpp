// The tools that the tests, the demo and the benchmarks start read the files
// named on their command lines wide: below a folder whose name the system's
// code page cannot spell (Cyrillic on an English system) they work as
// anywhere else.

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// "Проба демо": Cyrillic letters and a space.
const std::wstring kFolderName = L"\u041F\u0440\u043E\u0431\u0430 \u0434\u0435\u043C\u043E";

// A self-signed certificate made for this test only, so that importing it
// and removing it again leaves the prefix's root store as it was.
constexpr const char* kTestCertificate = "-----BEGIN CERTIFICATE-----\n"
                                         "MIIBqDCCAU+gAwIBAgIUXCSFhS+W/yiHfhYdiYoFVInAKOIwCgYIKoZIzj0EAwIw\n"
                                         "KTEnMCUGA1UEAwweU2VjdXJlIERvd25sb2FkIHdpZGUgcGF0aCB0ZXN0MCAXDTI2\n"
                                         "MTIwODIxNDIzOVoYDzIxMjYxMTE0MjE0MjM5WjApMScwJQYDVQQDDB5TZWN1cmUg\n"
                                         "RG93bmxvYWQgd2lkZSBwYXRoIHRlc3QwWTATBgcqhkjOPQIBBggqhkjOPQMBBwNC\n"
                                         "AASAwdq9Bs40Ba69QdRR0Z6ztGvWmc/mOkHKNTDTtliTlPcbX7F/W/DS+AauKYOQ\n"
                                         "xAQE7yQzhmba4anwqpxsoaxBo1MwUTAdBgNVHQ4EFgQUhpcft4cHqu4Si0au1CLP\n"
                                         "g1160W8wHwYDVR0jBBgwFoAUhpcft4cHqu4Si0au1CLPg1160W8wDwYDVR0TAQH/\n"
                                         "BAUwAwEB/zAKBggqhkjOPQQDAgNHADBEAiBR0+dS/SRjF0fA81XOe4sv8inDl9S4\n"
                                         "/Yrxjb3ghj/aCAIgYxo9jWTgPIQNilLn6+hNrPaAZW9wxG24wg5CQHxkgBA=\n"
                                         "-----END CERTIFICATE-----\n";

fs::path ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return fs::path(path).parent_path();
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Runs a command line to its end; the exit code, or -1 when it did not start
// or end within a minute.
long RunToItsEnd(std::wstring commandLine)
{
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    DWORD code = 0;
    const bool ended
        = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 && GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return ended ? static_cast<long>(code) : -1;
}

std::wstring Quoted(const fs::path& path)
{
    return L"\"" + path.wstring() + L"\"";
}

// Removes the test certificate from the machine's root store; whether it
// was there.
bool RemoveTestCertificate()
{
    DWORD size = 0;
    CryptStringToBinaryA(kTestCertificate, 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr);
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(kTestCertificate, 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr, nullptr))
        return false;
    PCCERT_CONTEXT wanted = CertCreateCertificateContext(X509_ASN_ENCODING, der.data(), size);
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
    bool removed = false;
    if (wanted != nullptr && root != nullptr) {
        PCCERT_CONTEXT found
            = CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_EXISTING, wanted, nullptr);
        removed = found != nullptr && CertDeleteCertificateFromStore(found);
    }
    if (root != nullptr)
        CertCloseStore(root, 0);
    if (wanted != nullptr)
        CertFreeCertificateContext(wanted);
    return removed;
}

class WideCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ignored;
        folder_ = fs::temp_directory_path() / (L"gsd-" + std::to_wstring(GetCurrentProcessId())) / kFolderName;
        fs::remove_all(folder_, ignored);
        ASSERT_TRUE(fs::create_directories(folder_));
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_.parent_path(), ignored);
    }

    fs::path folder_;
};

TEST_F(WideCommandLineTest, ToolsReadAndWriteFilesBelowAFolderTheCodePageCannotSpell)
{
    const fs::path bin = ProgramFolder();
    // "Квадрат.bin": the manifest names its payload file in UTF-8.
    const std::string payloadName = "\xD0\x9A\xD0\xB2\xD0\xB0\xD0\xB4\xD1\x80\xD0\xB0\xD1\x82.bin";
    WriteBytes(folder_ / L"ca.pem", kTestCertificate);
    WriteBytes(folder_ / fs::path(std::u8string(payloadName.begin(), payloadName.end())), "payload");
    WriteBytes(folder_ / L"Pack.manifest", "txt * Gravelpit Objects = 1\nfile bin * Picture = " + payloadName + "\n");

    struct Step {
        const char* what;
        std::wstring commandLine;
        fs::path made; // a file the step must leave; empty for none
    };
    const std::vector<Step> steps {
        { "import_ca reads the certificate", Quoted(bin / L"import_ca.exe") + L" " + Quoted(folder_ / L"ca.pem"), {} },
        { "mdctool packs the manifest and its payload",
            Quoted(bin / L"mdctool.exe") + L" pack --depfile " + Quoted(folder_ / L"Pack.d") + L" "
                + Quoted(folder_ / L"Pack.mdc") + L" " + Quoted(folder_ / L"Pack.manifest"),
            folder_ / L"Pack.d" },
        { "mdctool lists the pack", Quoted(bin / L"mdctool.exe") + L" list " + Quoted(folder_ / L"Pack.mdc"), {} },
    };
    for (const Step& step : steps) {
        EXPECT_EQ(RunToItsEnd(step.commandLine), 0) << step.what;
        if (!step.made.empty()) {
            EXPECT_TRUE(fs::exists(step.made)) << step.what;
        }
    }
    EXPECT_TRUE(fs::exists(folder_ / L"Pack.mdc"));
    EXPECT_TRUE(RemoveTestCertificate()) << "import_ca did not add the certificate to the machine's root store";
}

} // namespace
