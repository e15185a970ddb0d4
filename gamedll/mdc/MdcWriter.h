#pragma once

#include "mdc/MdcFormat.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace mdc {

// Writes a .mdc pack to a seekable binary stream: resource data is streamed
// as it is added, the index is written by finish(), which then goes back and
// fills in the header. Payloads are copied in chunks and never held whole in
// memory. A pack that was not finished has a zero header and opens as absent.
class MdcWriter {
public:
    // Writes the header's placeholder at the stream's start.
    explicit MdcWriter(std::ostream& out);

    MdcWriter(const MdcWriter&) = delete;
    MdcWriter& operator=(const MdcWriter&) = delete;

    // Each add returns false, sets error() and adds nothing usable when the
    // key is invalid or already used, the pack would grow past the format's
    // limits, or the stream fails. After a failure the writer stays failed.
    bool addBytes(const ResourceKey& key, std::string_view data);
    bool addStream(const ResourceKey& key, std::istream& in);
    bool addZeros(const ResourceKey& key, std::uint64_t count);

    // Writes the index and the header; false (with error()) when that fails or
    // an earlier step failed.
    bool finish();

    const std::string& error() const { return error_; }

private:
    template <typename Produce> bool addChunks(const ResourceKey& key, Produce produce);
    bool fail(std::string message);

    std::ostream& out_;
    std::uint64_t position_ = kHeaderSize;
    std::vector<ResourceInfo> resources_;
    std::string index_;
    std::string error_;
    bool finished_ = false;
};

} // namespace mdc
