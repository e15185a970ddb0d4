// What the system says about a program file's embedded signature and its
// signer's certificate, as facts for the core's decision
// (download/InstallerTrust.h).
#pragma once

#include <windows.h>

#include <string>

#include "ports/InstallerSignatures.h"

namespace gsd {

// On the open `file` (whose full path is `path`): WinVerifyTrust
// (WINTRUST_ACTION_GENERIC_VERIFY_V2, WTD_UI_NONE, WTD_REVOKE_WHOLECHAIN with
// WTD_CACHE_ONLY_URL_RETRIEVAL: no window, nothing fetched over the network)
// sets `findings.check`; its errors about the chain, the certificate's dates
// or usage still count as Verified, since those are read here as facts, and
// so do explicit distrust and revocation, which it reports as such. When
// Verified, the provider data gives the signer's certificate: the SHA-256 of
// its DER SubjectPublicKeyInfo, its extended key usage, its dates, its chain
// (platform/Win32CertificateChain.h: a trusted root, the Disallowed stores,
// revocation from what the machine holds; WinVerifyTrust under Wine accepts
// any chain and ignores both distrust and revocation), a countersignature
// the system verified with its countersigner's chain and time-stamping
// usage, the digest algorithms of the file digest, the signer and the
// signature, and what the signature's message holds beside them
// (platform/Win32SignatureContents.h). Leaves `findings.readable` and
// `findings.layout` as they are.
void ReadSignatureFacts(const std::wstring& path, HANDLE file, SignatureFindings& findings);

} // namespace gsd
