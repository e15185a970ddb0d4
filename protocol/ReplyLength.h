// The length a reply's header announces, read from the header lines as the
// server sent them. A length is trusted only when it is one plain decimal
// number and the only way the reply says where it ends: it decides whether
// a reply arrived whole and whether a file fits on the drive.
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
    // LargestAnnouncedLength, several that differ, or one beside a
    // Transfer-Encoding.
    bool malformed = false;
    // Malformed for a Transfer-Encoding beside a Content-Length: two ways
    // of telling where the body ends, which the system's reader and the
    // server may each take differently.
    bool twoWays = false;
    // The length; nullopt when none is announced (or it is malformed).
    std::optional<std::uint64_t> length;
};

// Reads the Content-Length and Transfer-Encoding lines of `rawHeaders` (the
// status line and the header lines, each ended by CR LF), names in any
// case. Blanks around a value are allowed; repeated Content-Length lines
// with the same value count as one. A Transfer-Encoding alone (whatever its
// value) announces no length and is not malformed.
AnnouncedLength ReadAnnouncedLength(std::string_view rawHeaders);

// Shown when a reply's announced length cannot be trusted.
std::string MalformedLengthText();

// Shown when a reply gives both a Content-Length and a Transfer-Encoding.
std::string TwoWaysLengthText();

} // namespace gsd
