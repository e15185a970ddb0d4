// Feeds arbitrary bytes to the pack reader: opening, listing, looking up and
// reading every resource must neither crash, over-read nor allocate beyond
// the reader's caps.
//
// Mutated inputs almost never carry matching header and index checksums, so
// each input is parsed twice: as it is, and with both checksums recomputed,
// which lets the fuzzer reach the index parser and the resource reads.

#include "mdc/Crc32.h"
#include "mdc/MdcReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void putLE32(std::string& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFFU);
    }
}

std::string withFixedChecksums(std::string bytes)
{
    if (bytes.size() < mdc::kHeaderSize) {
        return bytes;
    }
    const auto* raw = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::uint64_t indexOffset = mdc::getLE(raw + 16, 8);
    const std::uint64_t indexSize = mdc::getLE(raw + 12, 4);
    if (mdc::rangeFits(indexOffset, indexSize, bytes.size())) {
        putLE32(bytes, 24, mdc::crc32Update(0, bytes.data() + indexOffset, static_cast<std::size_t>(indexSize)));
    }
    putLE32(bytes, 28, mdc::crc32Update(0, bytes.data(), 28));
    return bytes;
}

void exercise(std::string bytes)
{
    const std::uint64_t size = bytes.size();
    std::optional<mdc::MdcReader> reader = mdc::MdcReader::open(std::make_unique<mdc::MemorySource>(std::move(bytes)));
    if (!reader) {
        return;
    }

    for (const mdc::ResourceInfo& r : reader->resources()) {
        // A resource never claims more bytes than the file holds.
        if (r.size > size) {
            std::abort();
        }
        const std::optional<std::string> text = reader->read(r, mdc::kMaxTextBytes);
        std::uint64_t copied = 0;
        const bool complete = reader->copyTo(r, [&copied](const char*, std::size_t n) {
            copied += n;
            return true;
        });
        // Both ways of reading agree on what is intact.
        if ((r.size <= mdc::kMaxTextBytes && text.has_value() != complete) || (complete && copied != r.size)) {
            std::abort();
        }
        // Every listed resource is found by its own key.
        if (reader->find(r.key.type, r.key.name, r.key.language) == nullptr) {
            std::abort();
        }
    }
    reader->readText("txt", "Gravelpit Version", "Francais");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    exercise(bytes);
    exercise(withFixedChecksums(std::move(bytes)));
    return 0;
}
