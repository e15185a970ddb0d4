#pragma once

#include <array>
#include <string>
#include <string_view>

namespace gsd {

// The key the challenge is scrambled with, repeated over the message.
// The download server must use the same four bytes: 0x13 0x07 0x1C 0x0A.
//
// Every byte lies between 0x01 and 0x1F, so each challenge letter 'A'..'Y'
// scrambles to a different byte within 'A'..'Z' and "@[\]^_": printable,
// never one of the form-body characters "&", "=", "+", "%", and never "|".
// That matters because the scrambled challenge goes into the form body
// without encoding.
inline constexpr std::array<unsigned char, 4> ScramblerKey = { 0x13, 0x07, 0x1C, 0x0A };

// Returns `text` with byte i XORed with ScramblerKey[i % 4]. The result has
// the input's length, and scrambling it again restores the input.
std::string Scramble(std::string_view text);

} // namespace gsd
