#include "platform/Win32SignatureFacts.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>
// After wintrust.h, which it needs.
#include <mssip.h>

#include <cstdint>
#include <string_view>
#include <vector>

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

    CRYPT_PROVIDER_DATA* Provider() const { return ::WTHelperProvDataFromStateData(data_.hWVTStateData); }

    // The first signer; null when the verification has none.
    CRYPT_PROVIDER_SGNR* Signer() const
    {
        CRYPT_PROVIDER_DATA* provider = Provider();
        return provider != nullptr ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    }

private:
    GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    WINTRUST_FILE_INFO file_ {};
    WINTRUST_DATA data_ {};
    LONG result_ = 0;
};

// What WinVerifyTrust's result says of the signature itself. Its errors
// about the chain, the dates or the usage of the certificate come after the
// digest and the signature were found good.
SystemCheck CheckOf(LONG result)
{
    switch (static_cast<HRESULT>(result)) {
    case ERROR_SUCCESS:
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
    case TRUST_E_BASIC_CONSTRAINTS:
    case TRUST_E_EXPLICIT_DISTRUST:
        return SystemCheck::Verified;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
        return SystemCheck::NoSignature;
    case TRUST_E_BAD_DIGEST:
        return SystemCheck::DigestMismatch;
    default:
        return SystemCheck::Failed;
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

bool HasCodeSigningUsage(PCCERT_CONTEXT certificate)
{
    DWORD size = 0;
    if (!::CertGetEnhancedKeyUsage(certificate, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size)) {
        // No extension at all: not issued for signing programs.
        return false;
    }
    std::vector<BYTE> buffer(size);
    auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
    if (!::CertGetEnhancedKeyUsage(certificate, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usage, &size)) {
        return false;
    }
    for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
        if (std::string_view(usage->rgpszUsageIdentifier[i]) == szOID_PKIX_KP_CODE_SIGNING) {
            return true;
        }
    }
    return false;
}

// Seconds since 1970-01-01 UTC.
std::int64_t UnixSeconds(const FILETIME& time)
{
    constexpr std::int64_t TicksPerSecond = 10'000'000;
    constexpr std::int64_t From1601To1970 = 11'644'473'600;
    const std::int64_t ticks
        = static_cast<std::int64_t>((std::uint64_t { time.dwHighDateTime } << 32) | time.dwLowDateTime);
    return ticks / TicksPerSecond - From1601To1970;
}

void AddAlgorithm(std::vector<std::string>& algorithms, const char* oid)
{
    algorithms.emplace_back(oid != nullptr ? oid : "");
}

} // namespace

void ReadSignatureFacts(const std::wstring& path, HANDLE file, SignatureFindings& findings)
{
    const TrustVerification verification(path, file);
    findings.check = CheckOf(verification.Result());
    if (findings.check != SystemCheck::Verified) {
        return;
    }
    FILETIME now {};
    ::GetSystemTimeAsFileTime(&now);
    findings.checkedAt = UnixSeconds(now);
    CRYPT_PROVIDER_SGNR* signer = verification.Signer();
    const CRYPT_PROVIDER_CERT* first = signer != nullptr ? ::WTHelperGetProvCertFromChain(signer, 0) : nullptr;
    if (first == nullptr || first->pCert == nullptr || signer->psSigner == nullptr) {
        findings.check = SystemCheck::Failed;
        return;
    }
    const PCCERT_CONTEXT certificate = first->pCert;
    findings.signerKey = KeyDigest(certificate);
    findings.chainTrusted = ChainsToTrustedRoot(certificate);
    findings.codeSigningUsage = HasCodeSigningUsage(certificate);
    findings.validFrom = UnixSeconds(certificate->pCertInfo->NotBefore);
    findings.validUntil = UnixSeconds(certificate->pCertInfo->NotAfter);
    // Windows lists a timestamp's countersigner once it has verified it, and
    // takes its time as the signer's; Wine reads the time without verifying
    // and lists none, so there the check's own time counts.
    if (signer->csCounterSigners > 0 && signer->pasCounterSigners != nullptr
        && signer->pasCounterSigners[0].dwError == 0) {
        findings.timestamp = UnixSeconds(signer->sftVerifyAsOf);
    }
    const CRYPT_PROVIDER_DATA* provider = verification.Provider();
    if (provider != nullptr && provider->pPDSip != nullptr && provider->pPDSip->psIndirectData != nullptr) {
        AddAlgorithm(findings.digestAlgorithms, provider->pPDSip->psIndirectData->DigestAlgorithm.pszObjId);
    }
    AddAlgorithm(findings.digestAlgorithms, signer->psSigner->HashAlgorithm.pszObjId);
    AddAlgorithm(findings.digestAlgorithms, signer->psSigner->HashEncryptionAlgorithm.pszObjId);
}

} // namespace gsd
