#include "download/SignatureLayout.h"

#include <algorithm>
#include <optional>

namespace gsd {
namespace {

constexpr std::uint16_t Pe32Magic = 0x10B;
constexpr std::uint16_t Pe32PlusMagic = 0x20B;
constexpr std::uint32_t SecurityDirectoryIndex = 4;
constexpr std::uint16_t CertificateRevision = 0x0200;
constexpr std::uint16_t PkcsSignedData = 0x0002;
constexpr std::size_t CertificateHeaderSize = 8;

std::optional<std::uint32_t> ReadLittleEndian(std::string_view bytes, std::size_t at, std::size_t width)
{
    if (at > bytes.size() || bytes.size() - at < width) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = width; i > 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i - 1]);
    }
    return value;
}

std::optional<std::uint32_t> Read32(std::string_view bytes, std::size_t at)
{
    return ReadLittleEndian(bytes, at, 4);
}

std::optional<std::uint32_t> Read16(std::string_view bytes, std::size_t at)
{
    return ReadLittleEndian(bytes, at, 2);
}

// The file offset of the security directory entry; none when the headers are
// not those of a PE image that has one.
std::optional<std::size_t> SecurityEntryOffset(std::string_view headers)
{
    if (!headers.starts_with("MZ")) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> pe = Read32(headers, 0x3C);
    if (!pe || *pe > headers.size() || headers.substr(*pe, 4) != std::string_view("PE\0\0", 4)) {
        return std::nullopt;
    }
    const std::size_t coff = *pe + 4;
    const std::optional<std::uint32_t> optionalSize = Read16(headers, coff + 16);
    const std::size_t optional = coff + 20;
    const std::optional<std::uint32_t> magic = Read16(headers, optional);
    if (!optionalSize || !magic || (*magic != Pe32Magic && *magic != Pe32PlusMagic)) {
        return std::nullopt;
    }
    const std::size_t countAt = optional + (*magic == Pe32Magic ? 92 : 108);
    const std::optional<std::uint32_t> count = Read32(headers, countAt);
    const std::size_t entry = countAt + 4 + SecurityDirectoryIndex * 8;
    if (!count || *count <= SecurityDirectoryIndex || entry + 8 > optional + *optionalSize
        || entry + 8 > headers.size()) {
        return std::nullopt;
    }
    return entry;
}

// The size of the one DER element at the start of `bytes`, a SEQUENCE with a
// definite length in its shortest form; none when it is not one.
std::optional<std::uint64_t> DerSequenceSize(std::string_view bytes)
{
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0x30) {
        return std::nullopt;
    }
    const auto first = static_cast<unsigned char>(bytes[1]);
    if (first < 0x80) {
        return 2 + std::uint64_t { first };
    }
    const std::size_t count = first & 0x7Fu;
    // 0x80 is BER's indefinite length; more than four bytes cannot be a
    // length that fits a WIN_CERTIFICATE.
    if (count == 0 || count > 4 || bytes.size() < 2 + count || bytes[2] == '\0') {
        return std::nullopt;
    }
    std::uint64_t length = 0;
    for (std::size_t i = 0; i < count; ++i) {
        length = (length << 8) | static_cast<unsigned char>(bytes[2 + i]);
    }
    if (length < 0x80) {
        return std::nullopt;
    }
    return 2 + count + length;
}

} // namespace

CertificateTablePlace LocateCertificateTable(std::string_view headers, std::uint64_t fileSize)
{
    const std::optional<std::size_t> entry = SecurityEntryOffset(headers);
    if (!entry) {
        return {};
    }
    const std::uint32_t offset = *Read32(headers, *entry);
    const std::uint32_t size = *Read32(headers, *entry + 4);
    if (size == 0) {
        return {};
    }
    // Appended bytes, a table grown past the file, a cut file: none of them
    // is what was signed.
    const bool sound = std::uint64_t { offset } + size == fileSize && size <= MaxCertificateTableBytes;
    const SignatureLayout layout = sound ? SignatureLayout::Sound : SignatureLayout::Altered;
    return { layout, offset, size };
}

SignatureLayout CheckCertificateTable(std::string_view table)
{
    const std::optional<std::uint32_t> length = Read32(table, 0);
    const std::optional<std::uint32_t> revision = Read16(table, 4);
    const std::optional<std::uint32_t> type = Read16(table, 6);
    if (!length || !revision || !type || *revision != CertificateRevision || *type != PkcsSignedData) {
        return SignatureLayout::Altered;
    }
    const std::optional<std::uint64_t> derSize = DerSequenceSize(table.substr(CertificateHeaderSize));
    if (!derSize) {
        return SignatureLayout::Altered;
    }
    // One certificate, padded to the next multiple of 8: a second one, or
    // room for anything else, would make the table longer. Signing tools
    // count the padding in the certificate's length or leave it out.
    const std::uint64_t certificate = CertificateHeaderSize + *derSize;
    const std::uint64_t padded = (certificate + 7) / 8 * 8;
    if (padded != table.size() || (*length != certificate && *length != padded)) {
        return SignatureLayout::Altered;
    }
    const std::string_view padding = table.substr(static_cast<std::size_t>(certificate));
    return std::all_of(padding.begin(), padding.end(), [](char c) { return c == '\0'; }) ? SignatureLayout::Sound
                                                                                         : SignatureLayout::Altered;
}

} // namespace gsd
