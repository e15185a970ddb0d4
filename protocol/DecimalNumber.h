#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace gsd {

// Reads a number the way the server's codes and the download list's numeric
// fields are read: leading white space (blank, tab, CR, LF, VT, FF) skipped,
// an optional "+" or "-", then the leading decimal digits; 0 when no digit
// follows. Anything after the digits is ignored. A value beyond the range of
// int is held at INT_MAX or INT_MIN instead of wrapping around.
int ReadDecimal(std::string_view text);

// The number `text` spells in decimal digits only (no blank, no sign, at
// least one digit); nullopt for anything else or a number above `largest`.
std::optional<std::uint64_t> PlainDecimal(std::string_view text, std::uint64_t largest);

} // namespace gsd
