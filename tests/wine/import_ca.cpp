// import_ca: makes a certificate authority trusted in the current Wine prefix
// by adding its certificate to the machine's root store, where WinINet looks
// when it checks a server's certificate.
//
//   import_ca CERT_FILE...     PEM ("-----BEGIN CERTIFICATE-----") or DER
//
// Importing a certificate that is already there changes nothing. Exit code 0
// when every file was imported, 1 when one failed, 2 for a usage error.
// File names are read wide, so a folder named in any script works whatever
// the system's code page; messages name them in UTF-8.

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include "tests/support/WideArguments.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using gsd::test::Utf8Of;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// A certificate file is a few KB; anything past 1 MB is not one.
constexpr LONGLONG kMaxCertificateFileBytes = 1 << 20;

bool ReadFileBytes(const wchar_t* path, std::string& bytes)
{
    const HANDLE opened
        = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE)
        return false;
    const std::unique_ptr<void, HandleCloser> file(opened);
    LARGE_INTEGER size {};
    if (!GetFileSizeEx(file.get(), &size))
        return false;
    if (size.QuadPart > kMaxCertificateFileBytes) {
        SetLastError(ERROR_FILE_TOO_LARGE);
        return false;
    }
    bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    return bytes.empty()
        || (ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)
            && read == bytes.size());
}

// Returns the DER bytes of the first certificate in a PEM text, or the
// bytes unchanged when they are not PEM.
bool ToDer(const std::string& bytes, std::vector<BYTE>& der)
{
    if (bytes.find("-----BEGIN") == std::string::npos) {
        der.assign(bytes.begin(), bytes.end());
        return !der.empty();
    }
    DWORD size = 0;
    if (!CryptStringToBinaryA(bytes.c_str(), static_cast<DWORD>(bytes.size()), CRYPT_STRING_BASE64HEADER, nullptr,
            &size, nullptr, nullptr))
        return false;
    der.resize(size);
    return CryptStringToBinaryA(bytes.c_str(), static_cast<DWORD>(bytes.size()), CRYPT_STRING_BASE64HEADER, der.data(),
               &size, nullptr, nullptr)
        != FALSE;
}

struct StoreCloser {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};

bool Import(HCERTSTORE root, const wchar_t* path)
{
    const std::string shown = Utf8Of(path);
    std::string bytes;
    std::vector<BYTE> der;
    if (!ReadFileBytes(path, bytes)) {
        std::fprintf(stderr, "import_ca: cannot read %s (error %lu)\n", shown.c_str(), GetLastError());
        return false;
    }
    if (!ToDer(bytes, der)) {
        std::fprintf(stderr, "import_ca: %s holds no certificate (error %lu)\n", shown.c_str(), GetLastError());
        return false;
    }
    if (!CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
            CERT_STORE_ADD_USE_EXISTING, nullptr)) {
        std::fprintf(stderr, "import_ca: adding %s failed (error %lu)\n", shown.c_str(), GetLastError());
        return false;
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: import_ca CERT_FILE...\n");
        return 2;
    }
    HCERTSTORE opened = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "ROOT");
    if (opened == nullptr) {
        std::fprintf(stderr, "import_ca: cannot open the machine's root store (error %lu)\n", GetLastError());
        return 1;
    }
    const std::unique_ptr<void, StoreCloser> root(opened);
    bool allImported = true;
    for (int i = 1; i < argc; ++i)
        allImported = Import(root.get(), argv[i]) && allImported;
    return allImported ? 0 : 1;
}
