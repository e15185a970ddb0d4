#include "PackBuilder.h"

#include "mdc/Crc32.h"

#include <functional>
#include <limits>

namespace mdc::testing {
namespace {

constexpr std::uint64_t kMax64 = std::numeric_limits<std::uint64_t>::max();

void put(std::string& bytes, std::size_t at, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFFU);
    }
}

std::uint64_t get(const std::string& bytes, std::size_t at, int width)
{
    return getLE(reinterpret_cast<const unsigned char*>(bytes.data()) + at, width);
}

// Recomputes both checksums so that a test reaches the checks behind them.
void fixChecksums(std::string& bytes)
{
    const std::uint64_t indexOffset = get(bytes, 16, 8);
    const std::uint64_t indexSize = get(bytes, 12, 4);
    if (rangeFits(indexOffset, indexSize, bytes.size())) {
        put(bytes, 24, crc32Update(0, bytes.data() + indexOffset, static_cast<std::size_t>(indexSize)), 4);
    }
    put(bytes, 28, crc32Update(0, bytes.data(), 28), 4);
}

TEST(MdcHostile, EveryTruncationOpensAsAbsent)
{
    const std::string pack = packBytes(languagePackItems());
    ASSERT_TRUE(openBytes(pack));
    for (std::size_t n = 0; n < pack.size(); ++n) {
        EXPECT_FALSE(openBytes(pack.substr(0, n))) << "truncated to " << n;
    }
}

TEST(MdcHostile, EveryCorruptedByteReadsCorrectOrAbsentNeverGarbage)
{
    const std::vector<Item> items = languagePackItems();
    const std::string pack = packBytes(items);
    for (std::size_t at = 0; at < pack.size(); ++at) {
        for (const unsigned char flip : { 0x01, 0xFF }) {
            std::string bytes = pack;
            bytes[at] = static_cast<char>(bytes[at] ^ flip);
            std::optional<MdcReader> reader = openBytes(bytes);
            if (!reader) {
                continue;
            }
            for (const Item& item : items) {
                const ResourceInfo* r = reader->find(item.type, item.name, item.language);
                const std::optional<std::string> data = r != nullptr ? reader->read(*r, kMaxTextBytes) : std::nullopt;
                if (data) {
                    EXPECT_EQ(*data, item.data) << "byte " << at << " ^ " << int(flip) << ": " << item.name;
                }
            }
        }
    }
}

TEST(MdcHostile, ForeignFilesOpenAsAbsent)
{
    const std::string inputs[] = {
        "",
        std::string(32, '\0'),
        std::string(4096, '\xFF'),
        "MDC\x1A",
        "This is a plain text file, not a media pack at all.",
    };
    for (const std::string& input : inputs) {
        EXPECT_FALSE(openBytes(input)) << input.substr(0, 16);
    }
}

struct Tamper {
    const char* what;
    std::function<void(std::string& bytes, std::size_t index)> apply;
    bool fixChecksums = true;
};

// The pack under attack holds one resource; `index` is where its index entry
// starts. Each change, checksums made to match, must make the pack absent:
// nothing is trusted because a checksum happens to fit.
TEST(MdcHostile, InconsistentHeadersAndIndexesOpenAsAbsent)
{
    const Tamper tampers[] = {
        { "bad magic", [](std::string& b, std::size_t) { b[0] = 'X'; } },
        { "newer version", [](std::string& b, std::size_t) { put(b, 4, 2, 2); } },
        { "other header size", [](std::string& b, std::size_t) { put(b, 6, 33, 2); } },
        { "header checksum", [](std::string& b, std::size_t) { b[28] ^= 1; }, false },
        { "index checksum", [](std::string& b, std::size_t i) { b[i + 30] ^= 1; }, false },
        { "absurd entry count", [](std::string& b, std::size_t) { put(b, 8, 0xFFFFFFFFU, 4); } },
        { "count above the index", [](std::string& b, std::size_t) { put(b, 8, 2, 4); } },
        { "index bytes left over", [](std::string& b, std::size_t) { put(b, 8, 0, 4); } },
        { "absurd index size", [](std::string& b, std::size_t) { put(b, 12, 0xFFFFFFFFU, 4); } },
        { "index past the end", [](std::string& b, std::size_t) { put(b, 16, b.size(), 8); } },
        { "index offset wraps", [](std::string& b, std::size_t) { put(b, 16, kMax64, 8); } },
        { "index over the header", [](std::string& b, std::size_t) { put(b, 16, 0, 8); } },
        { "data in the header", [](std::string& b, std::size_t i) { put(b, i, 8, 8); } },
        { "data offset + size wraps",
            [](std::string& b, std::size_t i) {
                put(b, i, kMax64 - 15, 8);
                put(b, i + 8, 32, 8);
            } },
        { "huge data size", [](std::string& b, std::size_t i) { put(b, i + 8, 1ULL << 62, 8); } },
        { "data runs into the index", [](std::string& b, std::size_t i) { put(b, i + 8, get(b, i + 8, 8) + 1, 8); } },
        { "empty type", [](std::string& b, std::size_t i) { b[i + 20] = 0; } },
        { "name past the index", [](std::string& b, std::size_t i) { put(b, i + 22, 0xFFFF, 2); } },
        { "NUL in the name", [](std::string& b, std::size_t) { b[b.size() - 1] = '\0'; } },
    };
    const std::string pack = packBytes({ { "txt", "", "Title", "hello" } });
    const std::size_t index = static_cast<std::size_t>(get(pack, 16, 8));
    ASSERT_TRUE(openBytes(pack));
    for (const Tamper& t : tampers) {
        std::string bytes = pack;
        t.apply(bytes, index);
        if (t.fixChecksums) {
            fixChecksums(bytes);
        }
        EXPECT_FALSE(openBytes(bytes)) << t.what;
    }
}

TEST(MdcHostile, CorruptDataReadsAsAbsentEvenWhenTheIndexIsIntact)
{
    std::string bytes = packBytes({ { "txt", "", "Title", "hello" }, { "bin", "", "Blob", std::string(200000, 'b') } });
    bytes[kHeaderSize] = 'j'; // first byte of "hello"
    bytes[kHeaderSize + 5 + 70000] = 'x'; // inside the blob, past the first copy chunk
    std::optional<MdcReader> reader = openBytes(bytes);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->readText("txt", "Title", ""));
    bool delivered = false;
    EXPECT_FALSE(reader->copyTo(*reader->find("bin", "Blob", ""), [&](const char*, std::size_t) {
        delivered = true;
        return true;
    }));
    EXPECT_FALSE(delivered);
}

} // namespace
} // namespace mdc::testing
