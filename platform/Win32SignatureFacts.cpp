#include "platform/Win32SignatureFacts.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>
// After wintrust.h, which it needs.
#include <mssip.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/CryptoHandles.h"
#include "platform/Win32CertificateChain.h"
#include "platform/Win32SignatureContents.h"

namespace gsd {
namespace {

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
        // From what the machine already holds: nothing is fetched.
        data_.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
        data_.dwUnionChoice = WTD_CHOICE_FILE;
        data_.pFile = &file_;
        data_.dwStateAction = WTD_STATEACTION_VERIFY;
        data_.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_CHAIN;
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

// What WinVerifyTrust's result says of the signature itself, into
// `findings`. Its errors about the chain, the dates, the usage, distrust or
// revocation of the certificate come after the digest and the signature were
// found good: distrust and revocation are kept as facts, the rest is read
// apart.
void TakeResult(LONG result, SignatureFindings& findings)
{
    switch (static_cast<HRESULT>(result)) {
    case TRUST_E_EXPLICIT_DISTRUST:
        findings.distrusted = true;
        findings.check = SystemCheck::Verified;
        return;
    case CRYPT_E_REVOKED:
        findings.revocation = RevocationStatus::Revoked;
        findings.check = SystemCheck::Verified;
        return;
    case ERROR_SUCCESS:
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
    case CERT_E_REVOCATION_FAILURE:
    case TRUST_E_BASIC_CONSTRAINTS:
        findings.check = SystemCheck::Verified;
        return;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
        findings.check = SystemCheck::NoSignature;
        return;
    case TRUST_E_BAD_DIGEST:
        findings.check = SystemCheck::DigestMismatch;
        return;
    default:
        findings.check = SystemCheck::Failed;
        return;
    }
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

// The first timestamp countersigner the system verified, with its chain's
// trust and usage; none when the system lists none (Wine reads the time
// without verifying and lists none: there the check's own time counts).
std::optional<TimestampFacts> VerifiedTimestamp(const CRYPT_PROVIDER_SGNR& signer)
{
    if (signer.csCounterSigners == 0 || signer.pasCounterSigners == nullptr
        || signer.pasCounterSigners[0].dwError != 0) {
        return std::nullopt;
    }
    TimestampFacts timestamp;
    // Windows takes a verified timestamp's time as the signer's.
    timestamp.time = UnixSeconds(signer.sftVerifyAsOf);
    const CRYPT_PROVIDER_SGNR& countersigner = signer.pasCounterSigners[0];
    if (countersigner.csCertChain > 0 && countersigner.pasCertChain != nullptr
        && countersigner.pasCertChain[0].pCert != nullptr) {
        const PCCERT_CONTEXT certificate = countersigner.pasCertChain[0].pCert;
        const CertificateChainFacts chain = ExamineChain(certificate, certificate->hCertStore);
        timestamp.chainTrusted = chain.trusted && !chain.distrusted && chain.revocation != RevocationStatus::Revoked;
        timestamp.timeStampingUsage = HasUsage(certificate, szOID_PKIX_KP_TIMESTAMP_SIGNING);
    }
    return timestamp;
}

} // namespace

void ReadSignatureFacts(const std::wstring& path, HANDLE file, SignatureFindings& findings)
{
    const TrustVerification verification(path, file);
    TakeResult(verification.Result(), findings);
    if (findings.check != SystemCheck::Verified) {
        return;
    }
    FILETIME now {};
    ::GetSystemTimeAsFileTime(&now);
    findings.checkedAt = UnixSeconds(now);
    CRYPT_PROVIDER_SGNR* signer = verification.Signer();
    const CRYPT_PROVIDER_CERT* first = signer != nullptr ? ::WTHelperGetProvCertFromChain(signer, 0) : nullptr;
    const CRYPT_PROVIDER_DATA* provider = verification.Provider();
    if (first == nullptr || first->pCert == nullptr || signer->psSigner == nullptr || provider == nullptr
        || provider->hMsg == nullptr) {
        findings.check = SystemCheck::Failed;
        return;
    }
    const PCCERT_CONTEXT certificate = first->pCert;
    findings.signerKey = KeyDigest(certificate);
    const CertificateChainFacts chain = ExamineChain(certificate, certificate->hCertStore);
    findings.chainTrusted = chain.trusted;
    findings.distrusted = findings.distrusted || chain.distrusted;
    if (findings.revocation != RevocationStatus::Revoked) {
        findings.revocation = chain.revocation;
    }
    findings.codeSigningUsage = HasUsage(certificate, szOID_PKIX_KP_CODE_SIGNING);
    findings.validFrom = UnixSeconds(certificate->pCertInfo->NotBefore);
    findings.validUntil = UnixSeconds(certificate->pCertInfo->NotAfter);
    findings.timestamp = VerifiedTimestamp(*signer);
    if (provider->pPDSip != nullptr && provider->pPDSip->psIndirectData != nullptr) {
        AddAlgorithm(findings.digestAlgorithms, provider->pPDSip->psIndirectData->DigestAlgorithm.pszObjId);
    }
    AddAlgorithm(findings.digestAlgorithms, signer->psSigner->HashAlgorithm.pszObjId);
    AddAlgorithm(findings.digestAlgorithms, signer->psSigner->HashEncryptionAlgorithm.pszObjId);
    const unique_certstore carried(
        ::CertOpenStore(CERT_STORE_PROV_MSG, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, 0, provider->hMsg));
    findings.contents = ReadMessageContents(provider->hMsg, carried.get(), chain.certificates);
}

} // namespace gsd
