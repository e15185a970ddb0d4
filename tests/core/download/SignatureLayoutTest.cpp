#include "download/SignatureLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace gsd {
namespace {

using enum SignatureLayout;

void Put(std::string& bytes, std::size_t at, std::uint32_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A PE image's headers (PE32 or PE32+) whose security directory is given,
// 0x200 bytes long.
std::string Headers(bool plus, std::uint32_t offset, std::uint32_t size, std::uint32_t directories = 16)
{
    std::string bytes(0x200, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    Put(bytes, 0x3C, 0x80, 4);
    bytes.replace(0x80, 4, std::string("PE\0\0", 4));
    Put(bytes, 0x84 + 16, plus ? 240 : 224, 2);
    const std::size_t optional = 0x98;
    Put(bytes, optional, plus ? 0x20B : 0x10B, 2);
    const std::size_t count = optional + (plus ? 108 : 92);
    Put(bytes, count, directories, 4);
    Put(bytes, count + 4 + 32, offset, 4);
    Put(bytes, count + 4 + 36, size, 4);
    return bytes;
}

// A WIN_CERTIFICATE around a DER SEQUENCE of `content` bytes, padded with
// zeros to a multiple of 8.
std::string Certificate(
    std::size_t content, std::uint16_t revision = 0x0200, std::uint16_t type = 2, bool lengthCountsPadding = false)
{
    std::string der = "\x30";
    if (content < 0x80) {
        der += static_cast<char>(content);
    } else {
        der += "\x82";
        der += static_cast<char>(content >> 8);
        der += static_cast<char>(content & 0xFF);
    }
    der += std::string(content, 'x');
    std::string bytes(8, '\0');
    Put(bytes, 0, static_cast<std::uint32_t>(8 + der.size()), 4);
    Put(bytes, 4, revision, 2);
    Put(bytes, 6, type, 2);
    bytes += der;
    bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    if (lengthCountsPadding) {
        Put(bytes, 0, static_cast<std::uint32_t>(bytes.size()), 4);
    }
    return bytes;
}

TEST(SignatureLayoutTest, TableMustEndTheFileAndBeNamedByTheSecurityDirectory)
{
    struct Case {
        const char* name;
        std::string headers;
        std::uint64_t fileSize;
        SignatureLayout layout;
    };
    const std::vector<Case> cases = {
        { "PE32 ending in its table", Headers(false, 0x400, 0x100), 0x500, Sound },
        { "PE32+ ending in its table", Headers(true, 0x400, 0x100), 0x500, Sound },
        { "empty security directory", Headers(true, 0, 0), 0x500, NoSignature },
        { "bytes after the table", Headers(true, 0x400, 0x100), 0x540, Altered },
        { "table past the end (cut file)", Headers(true, 0x400, 0x100), 0x480, Altered },
        { "table larger than any signature", Headers(true, 0x400, MaxCertificateTableBytes + 8),
            0x400 + MaxCertificateTableBytes + 8, Altered },
        { "too few data directories", Headers(true, 0x400, 0x100, 4), 0x500, NoSignature },
        { "no MZ", "XZ" + Headers(true, 0x400, 0x100).substr(2), 0x500, NoSignature },
        { "no PE signature", Headers(true, 0x400, 0x100).replace(0x80, 2, "NE"), 0x500, NoSignature },
        { "PE pointer past the headers", Headers(true, 0x400, 0x100).replace(0x3C, 2, "\xF0\x0F"), 0x500, NoSignature },
        { "unknown optional header", Headers(true, 0x400, 0x100).replace(0x98, 2, "\x07\x01"), 0x500, NoSignature },
        { "headers cut short", Headers(true, 0x400, 0x100).substr(0, 0x100), 0x500, NoSignature },
        { "no bytes at all", "", 0, NoSignature },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CertificateTablePlace place = LocateCertificateTable(c.headers, c.fileSize);
        EXPECT_EQ(place.layout, c.layout);
        if (c.layout == Sound) {
            EXPECT_EQ(place.offset, 0x400u);
            EXPECT_EQ(place.size, 0x100u);
        }
    }
}

TEST(SignatureLayoutTest, TableHoldsExactlyOnePaddedSignedDataCertificate)
{
    const std::string one = Certificate(21); // 8 + 23 bytes, 1 byte of padding
    std::string badPadding = one;
    badPadding.back() = '\x01';
    std::string grownLength = Certificate(21) + std::string(8, '\0');
    Put(grownLength, 0, 8 + 23 + 8, 4);
    std::string shortDer = one;
    shortDer[9] = 20;
    std::string indefinite = Certificate(21);
    indefinite[9] = '\x80';
    std::string overlong = Certificate(0x100);
    overlong.replace(9, 3, "\x83\x00\x01", 3);
    struct Case {
        const char* name;
        std::string table;
        SignatureLayout layout;
    };
    const std::vector<Case> cases = {
        { "one certificate", one, Sound },
        { "one certificate with a two-byte DER length", Certificate(0x100), Sound },
        { "one certificate filling its 8 bytes exactly", Certificate(22), Sound },
        { "length that counts the padding", Certificate(21, 0x0200, 2, true), Sound },
        { "two certificates", one + one, Altered },
        { "grown table, length grown with it", grownLength, Altered },
        { "grown table, directory only", one + std::string(8, '\0'), Altered },
        { "revision 1.0", Certificate(21, 0x0100), Altered },
        { "X.509 type", Certificate(21, 0x0200, 1), Altered },
        { "non-zero padding", badPadding, Altered },
        { "DER shorter than the certificate's length", shortDer, Altered },
        { "indefinite DER length", indefinite, Altered },
        { "DER length not in its shortest form", overlong, Altered },
        { "not a SEQUENCE", one.substr(0, 8) + "\x31" + one.substr(9), Altered },
        { "length past the table", Certificate(21).substr(0, 24), Altered },
        { "header only", one.substr(0, 6), Altered },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckCertificateTable(c.table), c.layout);
    }
}

} // namespace
} // namespace gsd
