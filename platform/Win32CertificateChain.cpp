#include "platform/Win32CertificateChain.h"

#include <string_view>
#include <utility>

#include "platform/CryptoHandles.h"

namespace gsd {
namespace {

constexpr DWORD CacheOnly = CERT_CHAIN_CACHE_ONLY_URL_RETRIEVAL;

unique_chain BuildChain(PCCERT_CONTEXT certificate, HCERTSTORE additional, DWORD flags)
{
    CERT_CHAIN_PARA parameters {};
    parameters.cbSize = sizeof parameters;
    unique_chain chain;
    if (!::CertGetCertificateChain(
            nullptr, certificate, nullptr, additional, &parameters, flags, nullptr, chain.put())) {
        chain.reset();
    }
    return chain;
}

bool ReachesTrustedRoot(PCCERT_CHAIN_CONTEXT chain)
{
    CERT_CHAIN_POLICY_PARA policy {};
    policy.cbSize = sizeof policy;
    // The certificate's dates and usage are facts the core weighs itself,
    // at the time of signing; revocation is looked at apart.
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS | CERT_CHAIN_POLICY_IGNORE_WRONG_USAGE_FLAG
        | CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    CERT_CHAIN_POLICY_STATUS status {};
    status.cbSize = sizeof status;
    return ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_BASE, chain, &policy, &status) && status.dwError == 0;
}

RevocationStatus RevocationOf(PCCERT_CONTEXT certificate, HCERTSTORE additional)
{
    const unique_chain chain = BuildChain(certificate, additional,
        CacheOnly | CERT_CHAIN_REVOCATION_CHECK_CHAIN | CERT_CHAIN_REVOCATION_CHECK_CACHE_ONLY);
    if (!chain) {
        return RevocationStatus::Unknown;
    }
    const DWORD errors = chain.get()->TrustStatus.dwErrorStatus;
    if ((errors & CERT_TRUST_IS_REVOKED) != 0) {
        return RevocationStatus::Revoked;
    }
    if ((errors & (CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION)) != 0) {
        return RevocationStatus::Unknown;
    }
    return RevocationStatus::NotRevoked;
}

// The Disallowed stores of the machine and of the user: Windows keeps both,
// and an administrator may withdraw a certificate in either.
std::vector<unique_certstore> DisallowedStores()
{
    std::vector<unique_certstore> stores;
    for (const DWORD location : { CERT_SYSTEM_STORE_LOCAL_MACHINE, CERT_SYSTEM_STORE_CURRENT_USER }) {
        unique_certstore store(::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
            location | CERT_STORE_READONLY_FLAG | CERT_STORE_OPEN_EXISTING_FLAG, L"Disallowed"));
        if (store) {
            stores.push_back(std::move(store));
        }
    }
    return stores;
}

bool IsIn(HCERTSTORE store, PCCERT_CONTEXT certificate)
{
    BYTE thumbprint[20] = {};
    DWORD size = sizeof thumbprint;
    if (::CertGetCertificateContextProperty(certificate, CERT_SHA1_HASH_PROP_ID, thumbprint, &size)) {
        CRYPT_HASH_BLOB blob { size, thumbprint };
        if (const unique_certificate found(::CertFindCertificateInStore(
                store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &blob, nullptr));
            found) {
            return true;
        }
    }
    const unique_certificate sameKey(::CertFindCertificateInStore(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
        CERT_FIND_PUBLIC_KEY, &certificate->pCertInfo->SubjectPublicKeyInfo, nullptr));
    return static_cast<bool>(sameKey);
}

std::vector<BYTE> Encoded(PCCERT_CONTEXT certificate)
{
    return { certificate->pbCertEncoded, certificate->pbCertEncoded + certificate->cbCertEncoded };
}

} // namespace

CertificateChainFacts ExamineChain(PCCERT_CONTEXT certificate, HCERTSTORE additional)
{
    CertificateChainFacts facts;
    std::vector<PCCERT_CONTEXT> members { certificate };
    const unique_chain chain = BuildChain(certificate, additional, CacheOnly);
    if (chain && chain.get()->cChain > 0) {
        facts.trusted = ReachesTrustedRoot(chain.get());
        const CERT_SIMPLE_CHAIN* simple = chain.get()->rgpChain[0];
        members.clear();
        for (DWORD i = 0; i < simple->cElement; ++i) {
            members.push_back(simple->rgpElement[i]->pCertContext);
        }
    }
    facts.revocation = RevocationOf(certificate, additional);
    const std::vector<unique_certstore> disallowed = DisallowedStores();
    for (const PCCERT_CONTEXT member : members) {
        facts.certificates.push_back(Encoded(member));
        for (const unique_certstore& store : disallowed) {
            facts.distrusted = facts.distrusted || IsIn(store.get(), member);
        }
    }
    return facts;
}

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

bool HasUsage(PCCERT_CONTEXT certificate, const char* usage)
{
    DWORD size = 0;
    if (!::CertGetEnhancedKeyUsage(certificate, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size)) {
        return false;
    }
    std::vector<BYTE> buffer(size);
    auto* usages = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
    if (!::CertGetEnhancedKeyUsage(certificate, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usages, &size)) {
        return false;
    }
    for (DWORD i = 0; i < usages->cUsageIdentifier; ++i) {
        if (std::string_view(usages->rgpszUsageIdentifier[i]) == usage) {
            return true;
        }
    }
    return false;
}

} // namespace gsd
