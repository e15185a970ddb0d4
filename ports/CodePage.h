// How the bytes of a text map to characters: the system's ANSI code page for
// the program's and the server's texts, UTF-8 for paths. The support log
// turns both into UTF-8 through it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace gsd {

// One character at the start of a text.
struct CodePageCharacter {
    // How many bytes it takes; at least 1.
    std::size_t length = 1;
    // Its Unicode code point; nullopt when the code page maps no character to
    // these bytes (length is then 1, so the next byte is read on its own).
    std::optional<char32_t> codePoint;
};

class CodePage {
public:
    virtual ~CodePage() = default;

    // The character that `bytes` (never empty) begins with.
    virtual CodePageCharacter Read(std::string_view bytes) const = 0;
};

} // namespace gsd
