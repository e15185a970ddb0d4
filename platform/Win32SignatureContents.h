// What a decoded signed message holds beside what its signer's signature
// covers, read with the cryptographic message functions, as facts for the
// core's decision (download/InstallerTrust.h). No ASN.1 is read here by
// hand: the system decodes every part.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <vector>

#include "ports/InstallerSignatures.h"

namespace gsd {

// From `message` (decoded), whose certificates are in `store` and whose first
// signer's chain is `signerChain` (the DER of each certificate): its signer
// and revocation-list counts (CryptMsgGetParam CMSG_SIGNER_COUNT_PARAM,
// CMSG_CRL_COUNT_PARAM); the object identifier of each value of its first
// signer's unauthenticated attributes (CMSG_SIGNER_UNAUTH_ATTR_PARAM; one
// empty identifier when they cannot be read); for each certificate it
// carries (CMSG_CERT_COUNT_PARAM, CMSG_CERT_PARAM) whether the signer's
// chain uses it, or the chain of a countersigner named in a countersignature
// attribute (CryptDecodeObject PKCS7_SIGNER_INFO, found in `store`); each
// timestamp: a countersignature verified over the signer's signature
// (CryptMsgVerifyCountersignatureEncoded with CMSG_ENCODED_SIGNER) or an RFC
// 3161 timestamp decoded as a message of its own, with its countersigner's
// chain and time-stamping usage; and each nested signature, decoded as a
// message of its own (CryptMsgOpenToDecode, CryptMsgUpdate) and read the
// same way. A message of its own is verified with CryptMsgControl
// CMSG_CTRL_VERIFY_SIGNATURE and its content's digest compared with its
// messageDigest attribute here. Nesting deeper than a few levels is
// reported as unreadable.
SignedMessageContents ReadMessageContents(
    HCRYPTMSG message, HCERTSTORE store, const std::vector<std::vector<BYTE>>& signerChain);

} // namespace gsd
