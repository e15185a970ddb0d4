#include "mdc/MdcReader.h"

#include "mdc/Crc32.h"

#include <cstring>

namespace mdc {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

struct Header {
    std::uint32_t entryCount = 0;
    std::uint32_t indexSize = 0;
    std::uint64_t indexOffset = 0;
    std::uint32_t indexCrc = 0;
};

std::optional<Header> readHeader(ByteSource& source)
{
    unsigned char raw[kHeaderSize];
    if (!source.read(0, raw, sizeof raw)) {
        return std::nullopt;
    }
    if (std::memcmp(raw, kMagic, sizeof kMagic) != 0 || getLE(raw + 4, 2) != kFormatVersion
        || getLE(raw + 6, 2) != kHeaderSize) {
        return std::nullopt;
    }
    if (crc32Update(0, raw, 28) != getLE(raw + 28, 4)) {
        return std::nullopt;
    }

    Header h;
    h.entryCount = static_cast<std::uint32_t>(getLE(raw + 8, 4));
    h.indexSize = static_cast<std::uint32_t>(getLE(raw + 12, 4));
    h.indexOffset = getLE(raw + 16, 8);
    h.indexCrc = static_cast<std::uint32_t>(getLE(raw + 24, 4));

    // Everything the header claims must fit the source before anything is
    // allocated on its word.
    if (h.indexSize > kMaxIndexBytes || h.indexOffset < kHeaderSize
        || !rangeFits(h.indexOffset, h.indexSize, source.size()) || h.entryCount > h.indexSize / kMinEntrySize) {
        return std::nullopt;
    }
    return h;
}

// Walks the index bytes with a bounds-checked cursor.
class IndexCursor {
public:
    IndexCursor(const unsigned char* data, std::size_t size)
        : data_(data)
        , size_(size)
    {
    }

    bool take(std::size_t count, const unsigned char*& out)
    {
        if (count > size_ - pos_) {
            return false;
        }
        out = data_ + pos_;
        pos_ += count;
        return true;
    }
    bool atEnd() const { return pos_ == size_; }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

std::optional<std::vector<ResourceInfo>> parseIndex(
    const std::string& index, std::uint32_t entryCount, std::uint64_t dataEnd)
{
    IndexCursor cursor(reinterpret_cast<const unsigned char*>(index.data()), index.size());
    std::vector<ResourceInfo> resources;
    resources.reserve(entryCount);
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        const unsigned char* fixed = nullptr;
        if (!cursor.take(kEntryFixedSize, fixed)) {
            return std::nullopt;
        }
        ResourceInfo r;
        r.offset = getLE(fixed, 8);
        r.size = getLE(fixed + 8, 8);
        r.crc = static_cast<std::uint32_t>(getLE(fixed + 16, 4));
        const std::size_t typeLength = fixed[20];
        const std::size_t languageLength = fixed[21];
        const auto nameLength = static_cast<std::size_t>(getLE(fixed + 22, 2));

        // Data lies between the header and the index, never over either.
        if (r.offset < kHeaderSize || !rangeFits(r.offset, r.size, dataEnd)) {
            return std::nullopt;
        }

        const unsigned char* text = nullptr;
        if (!cursor.take(typeLength + languageLength + nameLength, text)) {
            return std::nullopt;
        }
        const auto* chars = reinterpret_cast<const char*>(text);
        r.key.type.assign(chars, typeLength);
        r.key.language.assign(chars + typeLength, languageLength);
        r.key.name.assign(chars + typeLength + languageLength, nameLength);
        if (checkKey(r.key) != nullptr) {
            return std::nullopt;
        }
        resources.push_back(std::move(r));
    }
    // Bytes left over mean the count and the index disagree.
    if (!cursor.atEnd()) {
        return std::nullopt;
    }
    return resources;
}

} // namespace

std::optional<MdcReader> MdcReader::open(std::unique_ptr<ByteSource> source)
{
    if (!source) {
        return std::nullopt;
    }
    const std::optional<Header> header = readHeader(*source);
    if (!header) {
        return std::nullopt;
    }

    std::string index(header->indexSize, '\0');
    if (!source->read(header->indexOffset, index.data(), index.size())) {
        return std::nullopt;
    }
    if (crc32Update(0, index.data(), index.size()) != header->indexCrc) {
        return std::nullopt;
    }

    std::optional<std::vector<ResourceInfo>> resources = parseIndex(index, header->entryCount, header->indexOffset);
    if (!resources) {
        return std::nullopt;
    }
    return MdcReader(std::move(source), std::move(*resources));
}

const ResourceInfo* MdcReader::find(std::string_view type, std::string_view name, std::string_view language) const
{
    for (const ResourceInfo& r : resources_) {
        if (r.key.type == type && r.key.name == name && r.key.language == language) {
            return &r;
        }
    }
    return nullptr;
}

const ResourceInfo* MdcReader::findPreferring(
    std::string_view type, std::string_view name, std::string_view language) const
{
    if (const ResourceInfo* r = find(type, name, language)) {
        return r;
    }
    return language.empty() ? nullptr : find(type, name, {});
}

std::optional<std::string> MdcReader::read(const ResourceInfo& resource, std::uint64_t maxBytes)
{
    if (resource.size > maxBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(resource.size), '\0');
    if (!source_->read(resource.offset, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    if (crc32Update(0, bytes.data(), bytes.size()) != resource.crc) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> MdcReader::readText(std::string_view type, std::string_view name, std::string_view language)
{
    const ResourceInfo* r = findPreferring(type, name, language);
    if (r == nullptr) {
        return std::nullopt;
    }
    return read(*r, kMaxTextBytes);
}

bool MdcReader::forEachChunk(const ResourceInfo& resource, const std::function<bool(const char*, std::size_t)>& sink)
{
    std::string chunk(kChunkBytes, '\0');
    std::uint64_t done = 0;
    while (done < resource.size) {
        const std::uint64_t left = resource.size - done;
        const std::size_t n = left < kChunkBytes ? static_cast<std::size_t>(left) : kChunkBytes;
        if (!source_->read(resource.offset + done, chunk.data(), n) || !sink(chunk.data(), n)) {
            return false;
        }
        done += n;
    }
    return true;
}

bool MdcReader::copyTo(const ResourceInfo& resource, const std::function<bool(const char*, std::size_t)>& sink)
{
    std::uint32_t crc = 0;
    const bool readable = forEachChunk(resource, [&crc](const char* data, std::size_t n) {
        crc = crc32Update(crc, data, n);
        return true;
    });
    if (!readable || crc != resource.crc) {
        return false;
    }
    return forEachChunk(resource, sink);
}

} // namespace mdc
