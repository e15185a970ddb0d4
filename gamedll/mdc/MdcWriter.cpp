#include "mdc/MdcWriter.h"

#include "mdc/Crc32.h"

#include <algorithm>
#include <limits>

namespace mdc {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;

} // namespace

MdcWriter::MdcWriter(std::ostream& out)
    : out_(out)
{
    const std::string placeholder(kHeaderSize, '\0');
    if (!out_.write(placeholder.data(), static_cast<std::streamsize>(placeholder.size()))) {
        fail("cannot write to the output");
    }
}

bool MdcWriter::fail(std::string message)
{
    if (error_.empty()) {
        error_ = std::move(message);
    }
    return false;
}

// Streams one resource: `produce(buffer, capacity)` fills the buffer and
// returns how many bytes it put there, 0 at the end, or -1 on failure.
template <typename Produce> bool MdcWriter::addChunks(const ResourceKey& key, Produce produce)
{
    if (!error_.empty() || finished_) {
        return fail("the pack is already finished");
    }
    if (const char* problem = checkKey(key)) {
        return fail(problem);
    }
    const auto same = [&key](const ResourceInfo& r) { return r.key == key; };
    if (std::any_of(resources_.begin(), resources_.end(), same)) {
        return fail("duplicate resource");
    }

    ResourceInfo r;
    r.key = key;
    r.offset = position_;
    std::string chunk(kChunkBytes, '\0');
    for (;;) {
        const std::int64_t n = produce(chunk.data(), chunk.size());
        if (n < 0) {
            return fail("cannot read the resource's data");
        }
        if (n == 0) {
            break;
        }
        if (static_cast<std::uint64_t>(n) > std::numeric_limits<std::uint64_t>::max() - position_) {
            return fail("the pack would be too large");
        }
        if (!out_.write(chunk.data(), static_cast<std::streamsize>(n))) {
            return fail("cannot write to the output");
        }
        r.crc = crc32Update(r.crc, chunk.data(), static_cast<std::size_t>(n));
        r.size += static_cast<std::uint64_t>(n);
        position_ += static_cast<std::uint64_t>(n);
    }

    const std::size_t entrySize = kEntryFixedSize + key.type.size() + key.language.size() + key.name.size();
    if (entrySize > kMaxIndexBytes - index_.size()) {
        return fail("too many resources for one pack");
    }
    putU64(index_, r.offset);
    putU64(index_, r.size);
    putU32(index_, r.crc);
    index_.push_back(static_cast<char>(key.type.size()));
    index_.push_back(static_cast<char>(key.language.size()));
    putU16(index_, static_cast<std::uint16_t>(key.name.size()));
    index_ += key.type;
    index_ += key.language;
    index_ += key.name;
    resources_.push_back(std::move(r));
    return true;
}

bool MdcWriter::addBytes(const ResourceKey& key, std::string_view data)
{
    std::size_t done = 0;
    return addChunks(key, [&](char* buffer, std::size_t capacity) -> std::int64_t {
        const std::size_t n = std::min(capacity, data.size() - done);
        std::copy_n(data.data() + done, n, buffer);
        done += n;
        return static_cast<std::int64_t>(n);
    });
}

bool MdcWriter::addStream(const ResourceKey& key, std::istream& in)
{
    return addChunks(key, [&in](char* buffer, std::size_t capacity) -> std::int64_t {
        in.read(buffer, static_cast<std::streamsize>(capacity));
        if (in.bad()) {
            return -1;
        }
        return static_cast<std::int64_t>(in.gcount());
    });
}

bool MdcWriter::addZeros(const ResourceKey& key, std::uint64_t count)
{
    if (count > std::numeric_limits<std::uint64_t>::max() - position_) {
        return fail("the pack would be too large");
    }
    std::uint64_t left = count;
    bool cleared = false;
    return addChunks(key, [&](char* buffer, std::size_t capacity) -> std::int64_t {
        if (!cleared) {
            std::fill_n(buffer, capacity, '\0');
            cleared = true;
        }
        const std::size_t n = left < capacity ? static_cast<std::size_t>(left) : capacity;
        left -= n;
        return static_cast<std::int64_t>(n);
    });
}

bool MdcWriter::finish()
{
    if (!error_.empty() || finished_) {
        return fail("the pack is already finished");
    }
    finished_ = true;
    if (!out_.write(index_.data(), static_cast<std::streamsize>(index_.size()))) {
        return fail("cannot write to the output");
    }

    std::string header(kMagic, sizeof kMagic);
    putU16(header, kFormatVersion);
    putU16(header, static_cast<std::uint16_t>(kHeaderSize));
    putU32(header, static_cast<std::uint32_t>(resources_.size()));
    putU32(header, static_cast<std::uint32_t>(index_.size()));
    putU64(header, position_);
    putU32(header, crc32Update(0, index_.data(), index_.size()));
    putU32(header, crc32Update(0, header.data(), header.size()));

    out_.seekp(0);
    if (!out_.write(header.data(), static_cast<std::streamsize>(header.size())) || !out_.flush()) {
        return fail("cannot write to the output");
    }
    return true;
}

} // namespace mdc
