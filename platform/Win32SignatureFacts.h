// What the system says about a program file's embedded signature and its
// signer's certificate, as facts for the core's decision
// (download/InstallerTrust.h).
#pragma once

#include <windows.h>

#include <string>

#include "ports/InstallerSignatures.h"

namespace gsd {

// On the open `file` (whose full path is `path`): WinVerifyTrust
// (WINTRUST_ACTION_GENERIC_VERIFY_V2, WTD_UI_NONE, WTD_REVOKE_NONE,
// WTD_CACHE_ONLY_URL_RETRIEVAL: no window, nothing fetched over the network)
// sets `findings.check`; its errors about the chain, the certificate's dates
// or usage still count as Verified, since those are read here as facts. When
// Verified, the provider data gives the signer's certificate: the SHA-256 of
// its DER SubjectPublicKeyInfo (CryptEncodeObject X509_PUBLIC_KEY_INFO,
// CryptHashCertificate2), its extended key usage (CertGetEnhancedKeyUsage,
// the extension only), its dates, whether it chains to a root of the
// machine (CertGetCertificateChain, cache only, no revocation;
// CertVerifyCertificateChainPolicy with the base policy: WinVerifyTrust
// under Wine accepts any chain), the time of a countersignature the system
// verified, and the digest algorithms of the file digest, the signer and the
// signature. Leaves `findings.readable` and `findings.layout` as they are.
void ReadSignatureFacts(const std::wstring& path, HANDLE file, SignatureFindings& findings);

} // namespace gsd
