// import_ca: makes a certificate authority trusted in the current Wine prefix
// by adding its certificate to the machine's root store, where WinINet looks
// when it checks a server's certificate.
//
//   import_ca CERT_FILE...     PEM ("-----BEGIN CERTIFICATE-----") or DER
//
// Importing a certificate that is already there changes nothing. Exit code 0
// when every file was imported, 1 when one failed, 2 for a usage error.

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

bool ReadFileBytes(const char* path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
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

bool Import(HCERTSTORE root, const char* path)
{
    std::string bytes;
    std::vector<BYTE> der;
    if (!ReadFileBytes(path, bytes)) {
        std::fprintf(stderr, "import_ca: cannot read %s\n", path);
        return false;
    }
    if (!ToDer(bytes, der)) {
        std::fprintf(stderr, "import_ca: %s holds no certificate (error %lu)\n", path, GetLastError());
        return false;
    }
    if (!CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
            CERT_STORE_ADD_USE_EXISTING, nullptr)) {
        std::fprintf(stderr, "import_ca: adding %s failed (error %lu)\n", path, GetLastError());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
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
