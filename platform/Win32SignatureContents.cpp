#include "platform/Win32SignatureContents.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "platform/CryptoHandles.h"
#include "platform/Win32CertificateChain.h"

namespace gsd {
namespace {

constexpr DWORD Encoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr std::string_view NestedSignatureOid = "1.3.6.1.4.1.311.2.4.1";
constexpr std::string_view CountersignatureOid = "1.2.840.113549.1.9.6";
constexpr std::string_view TimestampTokenOid = "1.3.6.1.4.1.311.3.3.1";
constexpr std::string_view MessageDigestOid = "1.2.840.113549.1.9.4";
// A real signature nests one level; a deeper one is nobody's but a forger's.
constexpr int MaxNesting = 4;

using Der = std::vector<BYTE>;

bool MessageParameter(HCRYPTMSG message, DWORD type, DWORD index, std::vector<BYTE>& bytes)
{
    DWORD size = 0;
    if (!::CryptMsgGetParam(message, type, index, nullptr, &size)) {
        return false;
    }
    bytes.resize(size);
    if (!::CryptMsgGetParam(message, type, index, bytes.data(), &size)) {
        return false;
    }
    bytes.resize(size);
    return true;
}

DWORD Count(HCRYPTMSG message, DWORD type)
{
    DWORD count = 0;
    DWORD size = sizeof count;
    return ::CryptMsgGetParam(message, type, 0, &count, &size) ? count : 0;
}

bool Decode(LPCSTR structType, const CRYPT_ATTR_BLOB& value, std::vector<BYTE>& decoded)
{
    DWORD size = 0;
    if (!::CryptDecodeObject(Encoding, structType, value.pbData, value.cbData, 0, nullptr, &size)) {
        return false;
    }
    decoded.resize(size);
    if (!::CryptDecodeObject(Encoding, structType, value.pbData, value.cbData, 0, decoded.data(), &size)) {
        return false;
    }
    decoded.resize(size);
    return true;
}

// `value` encoded as `structType`; empty when it cannot be.
std::vector<BYTE> Encoded(LPCSTR structType, const void* value)
{
    DWORD size = 0;
    if (!::CryptEncodeObject(X509_ASN_ENCODING, structType, value, nullptr, &size)) {
        return {};
    }
    std::vector<BYTE> encoded(size);
    if (!::CryptEncodeObject(X509_ASN_ENCODING, structType, value, encoded.data(), &size)) {
        return {};
    }
    encoded.resize(size);
    return encoded;
}

// The bytes a signer's messageDigest may cover: the content without its own
// tag and length. The message gives it whole: an RFC 3161 timestamp's as an
// OCTET STRING, whose octets are digested; an Authenticode signature's as a
// SEQUENCE, whose elements' encodings one after the other are (the system's
// own digest of the content, CMSG_COMPUTED_HASH_PARAM, covers other bytes
// under Wine). Encoding what was decoded again must give the content back,
// so that nothing lies beside it. The content as given is a candidate too.
std::vector<std::vector<BYTE>> DigestedContents(HCRYPTMSG message)
{
    std::vector<BYTE> content;
    if (!MessageParameter(message, CMSG_CONTENT_PARAM, 0, content)) {
        return {};
    }
    std::vector<std::vector<BYTE>> candidates { content };
    const CRYPT_ATTR_BLOB whole { static_cast<DWORD>(content.size()), content.data() };
    std::vector<BYTE> decoded;
    if (Decode(X509_OCTET_STRING, whole, decoded)) {
        const auto* octets = reinterpret_cast<const CRYPT_DATA_BLOB*>(decoded.data());
        if (Encoded(X509_OCTET_STRING, octets) == content) {
            candidates.emplace_back(octets->pbData, octets->pbData + octets->cbData);
        }
    }
    if (!Decode(X509_SEQUENCE_OF_ANY, whole, decoded)) {
        return candidates;
    }
    const auto* elements = reinterpret_cast<const CRYPT_SEQUENCE_OF_ANY*>(decoded.data());
    if (Encoded(X509_SEQUENCE_OF_ANY, elements) == content) {
        std::vector<BYTE> joined;
        for (DWORD i = 0; i < elements->cValue; ++i) {
            const CRYPT_DER_BLOB& element = elements->rgValue[i];
            joined.insert(joined.end(), element.pbData, element.pbData + element.cbData);
        }
        candidates.push_back(std::move(joined));
    }
    return candidates;
}

// The system's name of the digest algorithm `oid`; null for one it is not
// asked to compute.
const wchar_t* DigestAlgorithmName(const char* oid)
{
    struct Algorithm {
        std::string_view oid;
        const wchar_t* name;
    };
    static constexpr Algorithm Known[] = {
        { "2.16.840.1.101.3.4.2.1", BCRYPT_SHA256_ALGORITHM },
        { "2.16.840.1.101.3.4.2.2", BCRYPT_SHA384_ALGORITHM },
        { "2.16.840.1.101.3.4.2.3", BCRYPT_SHA512_ALGORITHM },
        { "1.3.14.3.2.26", BCRYPT_SHA1_ALGORITHM },
        { "1.2.840.113549.2.5", BCRYPT_MD5_ALGORITHM },
    };
    for (const Algorithm& known : Known) {
        if (oid != nullptr && known.oid == oid) {
            return known.name;
        }
    }
    return nullptr;
}

// The digest of `bytes` with the algorithm the signer names; empty when the
// system does not know it.
std::vector<BYTE> SignerDigest(HCRYPTMSG message, const std::vector<BYTE>& bytes)
{
    std::vector<BYTE> info;
    if (!MessageParameter(message, CMSG_SIGNER_INFO_PARAM, 0, info)) {
        return {};
    }
    const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(info.data());
    const wchar_t* algorithm = DigestAlgorithmName(signer->HashAlgorithm.pszObjId);
    if (algorithm == nullptr) {
        return {};
    }
    std::vector<BYTE> digest(64);
    auto size = static_cast<DWORD>(digest.size());
    if (!::CryptHashCertificate2(
            algorithm, 0, nullptr, bytes.data(), static_cast<DWORD>(bytes.size()), digest.data(), &size)) {
        return {};
    }
    digest.resize(size);
    return digest;
}

// Whether the content's digest is the one the signer's authenticated
// attributes name: the signature covers those attributes, and through this
// digest the content. (Under Wine, CMSG_CTRL_VERIFY_SIGNATURE verifies the
// signature over the attributes and does not compare the digest.)
bool ContentDigestMatches(HCRYPTMSG message)
{
    std::vector<BYTE> buffer;
    if (!MessageParameter(message, CMSG_SIGNER_AUTH_ATTR_PARAM, 0, buffer)) {
        // No authenticated attributes: the signature covers the content
        // itself.
        return ::GetLastError() == static_cast<DWORD>(CRYPT_E_ATTRIBUTES_MISSING);
    }
    if (buffer.size() < sizeof(CRYPT_ATTRIBUTES)) {
        return true;
    }
    const auto* attributes = reinterpret_cast<const CRYPT_ATTRIBUTES*>(buffer.data());
    if (attributes->cAttr == 0) {
        return true;
    }
    for (DWORD i = 0; i < attributes->cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = attributes->rgAttr[i];
        if (attribute.pszObjId == nullptr || attribute.pszObjId != MessageDigestOid || attribute.cValue != 1) {
            continue;
        }
        std::vector<BYTE> decoded;
        if (!Decode(X509_OCTET_STRING, attribute.rgValue[0], decoded)) {
            return false;
        }
        const auto* digest = reinterpret_cast<const CRYPT_DATA_BLOB*>(decoded.data());
        const std::vector<BYTE> named(digest->pbData, digest->pbData + digest->cbData);
        // Either reading would need a second preimage of the named digest.
        for (const std::vector<BYTE>& content : DigestedContents(message)) {
            const std::vector<BYTE> computed = SignerDigest(message, content);
            if (!computed.empty() && computed == named) {
                return true;
            }
        }
        return false;
    }
    return false;
}

SignedMessageContents ReadContents(HCRYPTMSG message, HCERTSTORE store, const std::vector<Der>& signerChain, int depth);

// A signed message decoded from an attribute's value, with its certificates
// and its first signer's certificate.
struct DecodedMessage {
    unique_cryptmsg message;
    unique_certstore store;
    unique_certificate signer;
};

bool DecodeSignedMessage(const CRYPT_ATTR_BLOB& value, DecodedMessage& decoded)
{
    decoded.message.reset(::CryptMsgOpenToDecode(Encoding, 0, 0, 0, nullptr, nullptr));
    if (!decoded.message || !::CryptMsgUpdate(decoded.message.get(), value.pbData, value.cbData, TRUE)) {
        return false;
    }
    decoded.store.reset(::CertOpenStore(CERT_STORE_PROV_MSG, Encoding, 0, 0, decoded.message.get()));
    std::vector<BYTE> signerInfo;
    if (!decoded.store || !MessageParameter(decoded.message.get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, signerInfo)) {
        return false;
    }
    decoded.signer.reset(::CertGetSubjectCertificateFromStore(
        decoded.store.get(), Encoding, reinterpret_cast<CERT_INFO*>(signerInfo.data())));
    return static_cast<bool>(decoded.signer);
}

bool SignatureVerifies(const DecodedMessage& decoded)
{
    return ::CryptMsgControl(decoded.message.get(), 0, CMSG_CTRL_VERIFY_SIGNATURE, decoded.signer.get()->pCertInfo)
        != FALSE
        && ContentDigestMatches(decoded.message.get());
}

bool TrustedChain(const CertificateChainFacts& chain)
{
    return chain.trusted && !chain.distrusted && chain.revocation != RevocationStatus::Revoked;
}

// What a signed message in an attribute's value says of itself and holds;
// `readable` false when it cannot be decoded or nests too deep.
struct EmbeddedMessageFacts {
    bool readable = false;
    bool verified = false;
    bool chainTrusted = false;
    bool timeStampingUsage = false;
    std::string signerKey;
    SignedMessageContents contents;
};

EmbeddedMessageFacts ReadEmbeddedMessage(const CRYPT_ATTR_BLOB& value, int depth)
{
    EmbeddedMessageFacts facts;
    DecodedMessage decoded;
    if (depth > MaxNesting || !DecodeSignedMessage(value, decoded)) {
        return facts;
    }
    facts.readable = true;
    facts.signerKey = KeyDigest(decoded.signer.get());
    facts.verified = SignatureVerifies(decoded);
    const CertificateChainFacts chain = ExamineChain(decoded.signer.get(), decoded.store.get());
    facts.chainTrusted = TrustedChain(chain);
    facts.timeStampingUsage = HasUsage(decoded.signer.get(), szOID_PKIX_KP_TIMESTAMP_SIGNING);
    facts.contents = ReadContents(decoded.message.get(), decoded.store.get(), chain.certificates, depth);
    return facts;
}

NestedSignature ReadNested(const CRYPT_ATTR_BLOB& value, int depth)
{
    EmbeddedMessageFacts facts = ReadEmbeddedMessage(value, depth);
    return { facts.readable, facts.verified, std::move(facts.signerKey), facts.chainTrusted,
        std::move(facts.contents) };
}

TimestampSignature ReadTimestampToken(const CRYPT_ATTR_BLOB& value, int depth)
{
    EmbeddedMessageFacts facts = ReadEmbeddedMessage(value, depth);
    return { facts.readable, facts.verified, facts.chainTrusted, facts.timeStampingUsage, std::move(facts.contents) };
}

// A countersignature of `message`'s first signer's signature, whose
// countersigner's certificate travels in `store` (the message's); the
// certificates of its chain are added to `timestampChain`.
TimestampSignature ReadCountersignature(
    const CRYPT_ATTR_BLOB& value, HCRYPTMSG message, HCERTSTORE store, std::vector<Der>& timestampChain)
{
    TimestampSignature timestamp;
    std::vector<BYTE> decoded;
    if (!Decode(PKCS7_SIGNER_INFO, value, decoded)) {
        return timestamp;
    }
    const auto* countersigner = reinterpret_cast<const CMSG_SIGNER_INFO*>(decoded.data());
    CERT_INFO wanted {};
    wanted.Issuer = countersigner->Issuer;
    wanted.SerialNumber = countersigner->SerialNumber;
    const unique_certificate certificate(::CertGetSubjectCertificateFromStore(store, Encoding, &wanted));
    std::vector<BYTE> signer;
    if (!certificate || !MessageParameter(message, CMSG_ENCODED_SIGNER, 0, signer)) {
        return timestamp;
    }
    timestamp.readable = true;
    timestamp.verified
        = ::CryptMsgVerifyCountersignatureEncoded(0, Encoding, signer.data(), static_cast<DWORD>(signer.size()),
              value.pbData, value.cbData, certificate.get()->pCertInfo)
        != FALSE;
    const CertificateChainFacts chain = ExamineChain(certificate.get(), store);
    timestamp.chainTrusted = TrustedChain(chain);
    timestamp.timeStampingUsage = HasUsage(certificate.get(), szOID_PKIX_KP_TIMESTAMP_SIGNING);
    timestamp.contents.signers = 1;
    for (DWORD i = 0; i < countersigner->UnauthAttrs.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = countersigner->UnauthAttrs.rgAttr[i];
        for (DWORD v = 0; v < attribute.cValue; ++v) {
            timestamp.contents.unauthenticatedAttributes.emplace_back(
                attribute.pszObjId != nullptr ? attribute.pszObjId : "");
        }
    }
    timestampChain.insert(timestampChain.end(), chain.certificates.begin(), chain.certificates.end());
    return timestamp;
}

CertificateUse UseOf(
    const Der& certificate, const std::vector<Der>& signerChain, const std::vector<Der>& timestampChain)
{
    if (std::find(signerChain.begin(), signerChain.end(), certificate) != signerChain.end()) {
        return CertificateUse::SignerChain;
    }
    if (std::find(timestampChain.begin(), timestampChain.end(), certificate) != timestampChain.end()) {
        return CertificateUse::TimestampChain;
    }
    return CertificateUse::Unused;
}

SignedMessageContents ReadContents(HCRYPTMSG message, HCERTSTORE store, const std::vector<Der>& signerChain, int depth)
{
    SignedMessageContents contents;
    contents.signers = Count(message, CMSG_SIGNER_COUNT_PARAM);
    contents.revocationLists = Count(message, CMSG_CRL_COUNT_PARAM);
    std::vector<Der> timestampChain;
    std::vector<BYTE> buffer;
    // Wine answers a signer without such attributes with no bytes at all.
    const bool read = MessageParameter(message, CMSG_SIGNER_UNAUTH_ATTR_PARAM, 0, buffer);
    if (read && buffer.size() >= sizeof(CRYPT_ATTRIBUTES)) {
        const auto* attributes = reinterpret_cast<const CRYPT_ATTRIBUTES*>(buffer.data());
        for (DWORD i = 0; i < attributes->cAttr; ++i) {
            const CRYPT_ATTRIBUTE& attribute = attributes->rgAttr[i];
            const std::string oid = attribute.pszObjId != nullptr ? attribute.pszObjId : "";
            for (DWORD v = 0; v < attribute.cValue; ++v) {
                contents.unauthenticatedAttributes.push_back(oid);
                if (oid == NestedSignatureOid) {
                    contents.nested.push_back(ReadNested(attribute.rgValue[v], depth + 1));
                } else if (oid == TimestampTokenOid) {
                    contents.timestamps.push_back(ReadTimestampToken(attribute.rgValue[v], depth + 1));
                } else if (oid == CountersignatureOid) {
                    contents.timestamps.push_back(
                        ReadCountersignature(attribute.rgValue[v], message, store, timestampChain));
                }
            }
        }
    } else if (!read && ::GetLastError() != static_cast<DWORD>(CRYPT_E_ATTRIBUTES_MISSING)) {
        // Attributes that cannot be read are none the check reads.
        contents.unauthenticatedAttributes.emplace_back();
    }
    const DWORD certificates = Count(message, CMSG_CERT_COUNT_PARAM);
    for (DWORD i = 0; i < certificates; ++i) {
        contents.certificates.push_back(MessageParameter(message, CMSG_CERT_PARAM, i, buffer)
                ? UseOf(buffer, signerChain, timestampChain)
                : CertificateUse::Unused);
    }
    return contents;
}

} // namespace

SignedMessageContents ReadMessageContents(
    HCRYPTMSG message, HCERTSTORE store, const std::vector<std::vector<BYTE>>& signerChain)
{
    return ReadContents(message, store, signerChain, 0);
}

} // namespace gsd
