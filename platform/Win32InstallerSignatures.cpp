#include "platform/Win32InstallerSignatures.h"

#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/GamePaths.h"
#include "platform/Handles.h"
#include "platform/UniqueResource.h"

namespace gsd {
namespace {

namespace handle_traits {
struct Chain {
    using type = PCCERT_CHAIN_CONTEXT;
    static type invalid() noexcept { return nullptr; }
    static void close(type chain) noexcept { ::CertFreeCertificateChain(chain); }
};
} // namespace handle_traits
using unique_chain = UniqueResource<handle_traits::Chain>;

class Win32HeldInstaller final : public HeldInstaller {
public:
    explicit Win32HeldInstaller(unique_file file)
        : file_(std::move(file))
    {
    }

private:
    unique_file file_;
};

// One WinVerifyTrust verification whose state (and with it the signer's
// certificate) lives until this object goes.
class TrustVerification {
public:
    TrustVerification(const std::wstring& path, HANDLE file)
    {
        file_.cbStruct = sizeof file_;
        file_.pcwszFilePath = path.c_str();
        file_.hFile = file;
        data_.cbStruct = sizeof data_;
        data_.dwUIChoice = WTD_UI_NONE;
        data_.fdwRevocationChecks = WTD_REVOKE_NONE;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
        result_ = ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    ~TrustVerification()
    {
        data_.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action_, &data_);
    }
    TrustVerification(const TrustVerification&) = delete;
    TrustVerification& operator=(const TrustVerification&) = delete;

    LONG Result() const { return result_; }

    // The first signer's certificate; null when the verification has none.
    PCCERT_CONTEXT Signer() const
    {
        CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data_.hWVTStateData);
        if (provider == nullptr) {
            return nullptr;
        }
        CRYPT_PROVIDER_SGNR* signer = ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
        if (signer == nullptr) {
            return nullptr;
        }
        CRYPT_PROVIDER_CERT* certificate = ::WTHelperGetProvCertFromChain(signer, 0);
        return certificate != nullptr ? certificate->pCert : nullptr;
    }

private:
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_ {};
    WINTRUST_DATA data_ {};
    LONG result_ = 0;
};

// What a failed WinVerifyTrust means for the file. The chain errors come
// only after the digest and the signature were found good.
SignatureVerdict VerdictOf(LONG result)
{
    switch (static_cast<HRESULT>(result)) {
    case ERROR_SUCCESS:
        return SignatureVerdict::Trusted;
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
        return SignatureVerdict::UntrustedChain;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
        return SignatureVerdict::NotSigned;
    case TRUST_E_BAD_DIGEST:
        return SignatureVerdict::AlteredAfterSigning;
    default:
        return SignatureVerdict::Unreadable;
    }
}

// Lower-case hex SHA-256 of the certificate's DER SubjectPublicKeyInfo;
// empty when it cannot be computed.
std::string KeyDigest(PCCERT_CONTEXT certificate)
{
    CERT_PUBLIC_KEY_INFO* key = &certificate->pCertInfo->SubjectPublicKeyInfo;
    DWORD size = 0;
    if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, nullptr, &size)) {
        return {};
    }
    std::vector<BYTE> encoded(size);
    if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, encoded.data(), &size)) {
        return {};
    }
    BYTE digest[32] = {};
    DWORD digestSize = sizeof digest;
    if (!::CryptHashCertificate2(BCRYPT_SHA256_ALGORITHM, 0, nullptr, encoded.data(), size, digest, &digestSize)
        || digestSize != sizeof digest) {
        return {};
    }
    constexpr char Hex[] = "0123456789abcdef";
    std::string hex;
    for (const BYTE byte : digest) {
        hex.push_back(Hex[byte >> 4]);
        hex.push_back(Hex[byte & 0x0F]);
    }
    return hex;
}

// Whether the certificate chains to a root of the machine's store, with only
// what is at hand: no download of missing certificates, no revocation.
bool ChainsToTrustedRoot(PCCERT_CONTEXT certificate)
{
    CERT_CHAIN_PARA parameters {};
    parameters.cbSize = sizeof parameters;
    unique_chain chain;
    if (!::CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &parameters,
            CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL, nullptr, chain.put())) {
        return false;
    }
    CERT_CHAIN_POLICY_PARA policy {};
    policy.cbSize = sizeof policy;
    CERT_CHAIN_POLICY_STATUS status {};
    status.cbSize = sizeof status;
    return ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_BASE, chain.get(), &policy, &status)
        && status.dwError == 0;
}

SignatureFindings Inspect(const std::wstring& path, HANDLE file)
{
    const TrustVerification verification(path, file);
    SignatureFindings findings;
    findings.verdict = VerdictOf(verification.Result());
    if (findings.verdict != SignatureVerdict::Trusted && findings.verdict != SignatureVerdict::UntrustedChain) {
        return findings;
    }
    const PCCERT_CONTEXT signer = verification.Signer();
    if (signer == nullptr) {
        return { SignatureVerdict::Unreadable, {} };
    }
    findings.signerKey = KeyDigest(signer);
    if (findings.signerKey.empty()) {
        return { SignatureVerdict::Unreadable, {} };
    }
    if (findings.verdict == SignatureVerdict::Trusted && !ChainsToTrustedRoot(signer)) {
        findings.verdict = SignatureVerdict::UntrustedChain;
    }
    return findings;
}

} // namespace

std::unique_ptr<HeldInstaller> Win32InstallerSignatures::Check(std::string_view relative, SignatureFindings& findings)
{
    findings = {};
    const WideGamePath path = GameFolderPath(relative);
    if (!path.Problem.empty()) {
        return nullptr;
    }
    // Shared for reading only: nobody may change, rename or delete the file
    // between this check and the start of its process.
    unique_file file(::CreateFileW(
        path.Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return nullptr;
    }
    findings = Inspect(path.Path, file.get());
    return std::make_unique<Win32HeldInstaller>(std::move(file));
}

} // namespace gsd
