// The InstallerSignatures port over the system's Authenticode check.
#pragma once

#include "ports/InstallerSignatures.h"

namespace gsd {

// Check opens the file (GameFolderPath) with CreateFileW, GENERIC_READ and
// FILE_SHARE_READ only, and keeps it open in the returned object. On that
// handle WinVerifyTrust (WINTRUST_ACTION_GENERIC_VERIFY_V2, WTD_UI_NONE,
// WTD_REVOKE_NONE, WTD_CACHE_ONLY_URL_RETRIEVAL: no window, nothing fetched
// over the network) gives the verdict; its provider data gives the signer's
// certificate, whose DER SubjectPublicKeyInfo (CryptEncodeObject,
// X509_PUBLIC_KEY_INFO) is hashed with CryptHashCertificate2 (SHA-256).
// Since WinVerifyTrust under Wine accepts any chain, an accepted signature is
// held once more against the machine's roots: CertGetCertificateChain
// (cache-only retrieval, no revocation) and CertVerifyCertificateChainPolicy
// with the base policy.
class Win32InstallerSignatures final : public InstallerSignatures {
public:
    std::unique_ptr<HeldInstaller> Check(std::string_view relative, SignatureFindings& findings) override;
};

} // namespace gsd
