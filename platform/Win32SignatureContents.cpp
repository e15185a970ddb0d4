#include "platform/Win32SignatureContents.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/CryptoHandles.h"
#include "platform/Win32CertificateChain.h"

namespace gsd {
namespace {

constexpr DWORD Encoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
constexpr std::string_view NestedSignatureOid = "1.3.6.1.4.1.311.2.4.1";
constexpr std::string_view CountersignatureOid = "1.2.840.113549.1.9.6";
constexpr std::string_view MessageDigestOid = "1.2.840.113549.1.9.4";
constexpr std::string_view PlainDataOid = "1.2.840.113549.1.7.1";
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

// The chain of the countersigner named in a countersignature attribute's
// value, when its certificate is in `store`.
std::vector<Der> CountersignerChain(const CRYPT_ATTR_BLOB& value, HCERTSTORE store)
{
    std::vector<BYTE> decoded;
    if (!Decode(PKCS7_SIGNER_INFO, value, decoded)) {
        return {};
    }
    const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(decoded.data());
    CERT_INFO wanted {};
    wanted.Issuer = signer->Issuer;
    wanted.SerialNumber = signer->SerialNumber;
    const unique_certificate countersigner(::CertGetSubjectCertificateFromStore(store, Encoding, &wanted));
    if (!countersigner) {
        return {};
    }
    return ExamineChain(countersigner.get(), store).certificates;
}

// The bytes a signer's messageDigest covers. Content other than plain data
// is digested without its own tag and length, those of a SEQUENCE: the
// encodings of its elements one after the other (the system's own digest of
// the content, CMSG_COMPUTED_HASH_PARAM, covers other bytes under Wine).
// Encoding the decoded elements again must give the content back, so that
// nothing lies beside them.
bool DigestedContent(HCRYPTMSG message, std::vector<BYTE>& digested)
{
    std::vector<BYTE> content;
    std::vector<BYTE> type;
    if (!MessageParameter(message, CMSG_CONTENT_PARAM, 0, content)
        || !MessageParameter(message, CMSG_INNER_CONTENT_TYPE_PARAM, 0, type)) {
        return false;
    }
    if (std::string_view(reinterpret_cast<const char*>(type.data()), type.size()).starts_with(PlainDataOid)) {
        digested = content;
        return true;
    }
    std::vector<BYTE> decoded;
    if (!Decode(X509_SEQUENCE_OF_ANY, { static_cast<DWORD>(content.size()), content.data() }, decoded)) {
        return false;
    }
    const auto* elements = reinterpret_cast<const CRYPT_SEQUENCE_OF_ANY*>(decoded.data());
    DWORD size = 0;
    if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_SEQUENCE_OF_ANY, elements, nullptr, &size)) {
        return false;
    }
    std::vector<BYTE> encoded(size);
    if (!::CryptEncodeObject(X509_ASN_ENCODING, X509_SEQUENCE_OF_ANY, elements, encoded.data(), &size)) {
        return false;
    }
    encoded.resize(size);
    if (encoded != content) {
        return false;
    }
    digested.clear();
    for (DWORD i = 0; i < elements->cValue; ++i) {
        const CRYPT_DER_BLOB& element = elements->rgValue[i];
        digested.insert(digested.end(), element.pbData, element.pbData + element.cbData);
    }
    return true;
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
    std::vector<BYTE> content;
    if (!DigestedContent(message, content)) {
        return false;
    }
    const std::vector<BYTE> computed = SignerDigest(message, content);
    for (DWORD i = 0; i < attributes->cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = attributes->rgAttr[i];
        if (attribute.pszObjId == nullptr || attribute.pszObjId != MessageDigestOid || attribute.cValue != 1) {
            continue;
        }
        std::vector<BYTE> decoded;
        if (computed.empty() || !Decode(X509_OCTET_STRING, attribute.rgValue[0], decoded)) {
            return false;
        }
        const auto* digest = reinterpret_cast<const CRYPT_DATA_BLOB*>(decoded.data());
        return digest->cbData == computed.size() && std::equal(computed.begin(), computed.end(), digest->pbData);
    }
    return false;
}

SignedMessageContents ReadContents(HCRYPTMSG message, HCERTSTORE store, const std::vector<Der>& signerChain, int depth);

NestedSignature ReadNested(const CRYPT_ATTR_BLOB& value, int depth)
{
    NestedSignature nested;
    if (depth > MaxNesting) {
        return nested;
    }
    const unique_cryptmsg message(::CryptMsgOpenToDecode(Encoding, 0, 0, 0, nullptr, nullptr));
    if (!message || !::CryptMsgUpdate(message.get(), value.pbData, value.cbData, TRUE)) {
        return nested;
    }
    const unique_certstore store(::CertOpenStore(CERT_STORE_PROV_MSG, Encoding, 0, 0, message.get()));
    std::vector<BYTE> signerInfo;
    if (!store || !MessageParameter(message.get(), CMSG_SIGNER_CERT_INFO_PARAM, 0, signerInfo)) {
        return nested;
    }
    const unique_certificate signer(
        ::CertGetSubjectCertificateFromStore(store.get(), Encoding, reinterpret_cast<CERT_INFO*>(signerInfo.data())));
    if (!signer) {
        return nested;
    }
    nested.readable = true;
    nested.signerKey = KeyDigest(signer.get());
    nested.verified = ::CryptMsgControl(message.get(), 0, CMSG_CTRL_VERIFY_SIGNATURE, signer.get()->pCertInfo) != FALSE
        && ContentDigestMatches(message.get());
    const CertificateChainFacts chain = ExamineChain(signer.get(), store.get());
    nested.chainTrusted = chain.trusted && !chain.distrusted && chain.revocation != RevocationStatus::Revoked;
    nested.contents = ReadContents(message.get(), store.get(), chain.certificates, depth);
    return nested;
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
                } else if (oid == CountersignatureOid) {
                    std::vector<Der> chain = CountersignerChain(attribute.rgValue[v], store);
                    timestampChain.insert(timestampChain.end(), chain.begin(), chain.end());
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
