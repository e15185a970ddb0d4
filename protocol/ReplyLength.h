// The length a reply's header announces, read from the header lines as the
// server sent them. A length is trusted only when it is one plain decimal
// number: it decides whether a reply arrived whole and whether a file fits
// on the drive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gsd {

// The largest length taken as a length; anything above is no real reply.
inline constexpr std::uint64_t LargestAnnouncedLength = (std::uint64_t { 1 } << 63) - 1;

struct AnnouncedLength {
    // A Content-Length that is not one decimal number of at most
    // LargestAnnouncedLength, or several that differ.
    bool malformed = false;
    // The length; nullopt when none is announced (or it is malformed).
    std::optional<std::uint64_t> length;
};

// Reads the Content-Length lines of `rawHeaders` (the status line and the
// header lines, each ended by CR LF). Blanks around a value are allowed;
// repeated lines with the same value count as one.
AnnouncedLength ReadAnnouncedLength(std::string_view rawHeaders);

// Shown when a reply's announced length cannot be trusted.
std::string MalformedLengthText();

} // namespace gsd
