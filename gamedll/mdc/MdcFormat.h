#pragma once

// Layout of a .mdc media pack (all integers little-endian, fixed width):
//
//   header, 32 bytes at offset 0
//     0  magic "MDC" 0x1A      4 bytes
//     4  format version (1)    u16
//     6  header size (32)      u16
//     8  entry count           u32
//    12  index size in bytes   u32
//    16  index offset          u64
//    24  CRC-32 of the index   u32
//    28  CRC-32 of bytes 0-27  u32
//   resource data, back to back, from offset 32
//   index, at the index offset: one entry per resource
//     0  data offset           u64
//     8  data size             u64
//    16  CRC-32 of the data    u32
//    20  type length (1-255)   u8
//    21  language length       u8   (0: language-neutral)
//    22  name length (1-65535) u16
//    24  type, language, name bytes, in that order, no terminators
//
// The index sits after the data so that a writer can stream payloads of any
// size without knowing them in advance; the header says where it is, so a
// reader needs the header, the index and the one resource it wants.

#include <cstddef>
#include <cstdint>
#include <string>

namespace mdc {

inline constexpr char kMagic[4] = { 'M', 'D', 'C', '\x1A' };
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::uint32_t kHeaderSize = 32;
inline constexpr std::uint32_t kEntryFixedSize = 24;
// A type and a name of at least one byte each.
inline constexpr std::uint32_t kMinEntrySize = kEntryFixedSize + 2;

inline constexpr std::size_t kMaxTypeBytes = 255;
inline constexpr std::size_t kMaxLanguageBytes = 255;
inline constexpr std::size_t kMaxNameBytes = 65535;

// Caps that keep a hostile header from making a reader allocate absurd
// amounts: an index larger than this, or a text larger than kMaxTextBytes,
// reads as absent. Real packs use a few kilobytes of index.
inline constexpr std::uint32_t kMaxIndexBytes = 16U << 20;
inline constexpr std::uint64_t kMaxTextBytes = 16U << 20;

// Resources are keyed by exact bytes; an empty language is language-neutral.
struct ResourceKey {
    std::string type;
    std::string name;
    std::string language;

    bool operator==(const ResourceKey&) const = default;
};

struct ResourceInfo {
    ResourceKey key;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
};

// Why a key cannot be stored, or nullptr when it can.
const char* checkKey(const ResourceKey& key);

inline void putU16(std::string& out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v & 0xFFU));
    out.push_back(static_cast<char>(v >> 8));
}

inline void putU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFU));
    }
}

inline void putU64(std::string& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFFU));
    }
}

inline std::uint64_t getLE(const unsigned char* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

} // namespace mdc
