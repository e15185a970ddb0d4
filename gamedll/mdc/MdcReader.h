#pragma once

#include "mdc/ByteSource.h"
#include "mdc/MdcFormat.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mdc {

// Read access to one .mdc pack. Opening reads and checks the header and the
// index only; resource data is read on request, one resource at a time.
// Anything malformed (truncated, corrupt, hostile) makes open() fail or the
// affected resource read as absent; nothing is trusted before it has been
// checked against the source's size.
class MdcReader {
public:
    // Nullopt when the source is not a well-formed pack of a known version.
    static std::optional<MdcReader> open(std::unique_ptr<ByteSource> source);

    // Every resource, in index order.
    const std::vector<ResourceInfo>& resources() const { return resources_; }

    // The first resource with exactly this key, or nullptr.
    const ResourceInfo* find(std::string_view type, std::string_view name, std::string_view language) const;

    // Like find(), but falls back to the language-neutral resource when the
    // pack has none in `language`.
    const ResourceInfo* findPreferring(std::string_view type, std::string_view name, std::string_view language) const;

    // The resource's bytes, or nullopt when it is larger than maxBytes, cannot
    // be read or fails its checksum.
    std::optional<std::string> read(const ResourceInfo& resource, std::uint64_t maxBytes);

    // findPreferring() then read() with the text size cap.
    std::optional<std::string> readText(std::string_view type, std::string_view name, std::string_view language);

    // Streams a resource of any size to `sink` in chunks, after checking its
    // checksum in a first pass, so a corrupt resource delivers nothing. False
    // when it is unreadable, corrupt, or the sink returns false.
    bool copyTo(const ResourceInfo& resource, const std::function<bool(const char*, std::size_t)>& sink);

private:
    MdcReader(std::unique_ptr<ByteSource> source, std::vector<ResourceInfo> resources)
        : source_(std::move(source))
        , resources_(std::move(resources))
    {
    }

    bool forEachChunk(const ResourceInfo& resource, const std::function<bool(const char*, std::size_t)>& sink);

    std::unique_ptr<ByteSource> source_;
    std::vector<ResourceInfo> resources_;
};

} // namespace mdc
