#pragma once

#include <string>
#include <string_view>

namespace gsd {

// Encodes a byte text for a form body: ASCII letters and digits pass as they
// are, a space becomes "+", and every other byte (".", "-", "_" and "*"
// included) becomes "%" and two lower-case hexadecimal digits, e.g. "|" ->
// "%7c", 0xE9 -> "%e9", 0x00 -> "%00". Cannot fail.
std::string FormEncode(std::string_view text);

} // namespace gsd
