// Comparing protocol names (URL schemes, host names, header names, file
// extensions) as their standards do: letters A-Z equal to a-z, every other
// byte only to itself, whatever the system's code page.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace gsd {

constexpr char AsciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

inline bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

inline bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && EqualsIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

inline std::string AsciiLowered(std::string_view text)
{
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), AsciiLower);
    return lowered;
}

} // namespace gsd
