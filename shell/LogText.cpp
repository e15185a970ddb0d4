#include "shell/LogText.h"

#include <atomic>

namespace gsd {
namespace {

// Characters that would end a line, or make it show otherwise than its
// order in the file: a server's name could otherwise seem to begin a new
// entry or turn the text after it around.
bool BreaksTheLine(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E || c == 0x200F
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool FitsUtf8(char32_t c)
{
    return c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
}

void AppendEscaped(std::string& out, std::string_view bytes)
{
    constexpr char Hex[] = "0123456789ABCDEF";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += "\\x";
        out += Hex[byte >> 4];
        out += Hex[byte & 0x0F];
    }
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

const AsciiCodePage Ascii;
std::atomic<const CodePage*> CurrentLogCodePage { &Ascii };

} // namespace

std::string LogText(std::string_view text, const CodePage& codePage, TextOrigin origin)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        CodePageCharacter character = codePage.Read(text);
        if (character.length == 0 || character.length > text.size()) {
            character = { 1, std::nullopt };
        }
        const std::string_view bytes = text.substr(0, character.length);
        const std::optional<char32_t> c = character.codePoint;
        if (!c || BreaksTheLine(*c) || !FitsUtf8(*c) || (*c == U'\\' && origin == TextOrigin::Outside)) {
            AppendEscaped(out, bytes);
        } else {
            AppendUtf8(out, *c);
        }
        text.remove_prefix(character.length);
    }
    return out;
}

CodePageCharacter Utf8CodePage::Read(std::string_view bytes) const
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) {
        return { 1, lead };
    }
    std::size_t length = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, c = lead & 0x07, least = 0x10000;
    } else {
        return { 1, std::nullopt };
    }
    if (bytes.size() < length) {
        return { 1, std::nullopt };
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80) {
            return { 1, std::nullopt };
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < least || !FitsUtf8(c)) {
        return { 1, std::nullopt };
    }
    return { length, c };
}

CodePageCharacter AsciiCodePage::Read(std::string_view bytes) const
{
    const auto byte = static_cast<unsigned char>(bytes[0]);
    if (byte < 0x80) {
        return { 1, byte };
    }
    return { 1, std::nullopt };
}

void UseLogCodePage(const CodePage& codePage)
{
    CurrentLogCodePage.store(&codePage);
}

const CodePage& LogCodePage()
{
    return *CurrentLogCodePage.load();
}

} // namespace gsd
