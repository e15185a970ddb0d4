#pragma once

#include "mdc/MdcFormat.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mdc::tool {

// One resource that a manifest asks for.
struct ManifestEntry {
    enum class Source { Text, File, Zeros };

    Source source = Source::Text;
    ResourceKey key;
    std::string text; // Source::Text: the unescaped bytes
    std::string path; // Source::File: as written, relative to the manifest
    std::uint64_t zeros = 0; // Source::Zeros: how many zero bytes
    int line = 0; // for messages
};

// Parses a manifest (see README.md, "Manifest"). On a syntax error returns
// nullopt and sets `error` to "line N: what is wrong".
std::optional<std::vector<ManifestEntry>> parseManifest(std::string_view text, std::string& error);

// Decodes a text value's escapes (\n \r \t \\ \xHH); nullopt on a bad escape.
std::optional<std::string> unescapeText(std::string_view value);

// Parses a byte count: decimal digits with an optional K, M or G suffix
// (powers of 1024); nullopt when malformed or too large.
std::optional<std::uint64_t> parseByteCount(std::string_view value);

} // namespace mdc::tool
