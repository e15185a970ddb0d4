// What the machine says of a certificate: its key, its usages, and its chain
// as built from the machine's stores with nothing fetched over the network.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <string>
#include <vector>

#include "ports/InstallerSignatures.h"

namespace gsd {

struct CertificateChainFacts {
    // Whether the chain reaches a root of the machine's trusted roots; the
    // dates, usages and revocation of its certificates do not count here.
    bool trusted = false;
    // Whether a certificate of the chain, or its key, is in the "Disallowed"
    // store of the local machine or of the current user.
    bool distrusted = false;
    // From the revocation lists the machine already holds.
    RevocationStatus revocation = RevocationStatus::Unknown;
    // The DER of each certificate of the chain, the given one first; only
    // the given one when no chain could be built.
    std::vector<std::vector<BYTE>> certificates;
};

// Builds the chain of `certificate` with CertGetCertificateChain from the
// machine's stores and `additional` (the certificates a signature carries;
// may be null), cache only: once for its trust (CertVerifyCertificateChainPolicy,
// base policy, time and usage errors ignored) and once with revocation
// checked on the whole chain (CERT_CHAIN_REVOCATION_CHECK_CACHE_ONLY);
// looks every certificate of the chain up in the Disallowed system stores
// (CertOpenStore, CERT_SYSTEM_STORE_LOCAL_MACHINE and
// CERT_SYSTEM_STORE_CURRENT_USER; by SHA-1 thumbprint and by public key).
CertificateChainFacts ExamineChain(PCCERT_CONTEXT certificate, HCERTSTORE additional);

// Lower-case hex SHA-256 of the certificate's DER SubjectPublicKeyInfo
// (CryptEncodeObject X509_PUBLIC_KEY_INFO, CryptHashCertificate2); empty
// when it cannot be computed.
std::string KeyDigest(PCCERT_CONTEXT certificate);

// Whether the certificate's extended key usage extension names `usage`
// (CertGetEnhancedKeyUsage, the extension only: no extension, no usage).
bool HasUsage(PCCERT_CONTEXT certificate, const char* usage);

} // namespace gsd
