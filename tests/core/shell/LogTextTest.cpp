#include "shell/LogText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsd {
namespace {

using namespace std::string_literals;

// The Cyrillic letters of a Windows Cyrillic code page (0xC0 to 0xFF are
// U+0410 to U+044F), where 0x98 maps to nothing; other high bytes are left
// out of this fake.
class CyrillicCodePage final : public CodePage {
public:
    CodePageCharacter Read(std::string_view bytes) const override
    {
        const auto byte = static_cast<unsigned char>(bytes[0]);
        if (byte < 0x80) {
            return { 1, byte };
        }
        if (byte >= 0xC0) {
            return { 1, 0x0410 + (byte - 0xC0) };
        }
        return { 1, std::nullopt };
    }
};

// A double-byte code page in the manner of the East Asian ones: 0x95 leads
// a character whose second byte is 0x40 or above, a backslash included.
class DoubleByteCodePage final : public CodePage {
public:
    CodePageCharacter Read(std::string_view bytes) const override
    {
        const auto byte = static_cast<unsigned char>(bytes[0]);
        if (byte < 0x80) {
            return { 1, byte };
        }
        if (byte == 0x95 && bytes.size() >= 2 && static_cast<unsigned char>(bytes[1]) >= 0x40) {
            return { 2, 0x8800 + static_cast<unsigned char>(bytes[1]) };
        }
        return { 1, std::nullopt };
    }
};

// A code page that names a character no UTF-8 can hold.
class SurrogateCodePage final : public CodePage {
public:
    CodePageCharacter Read(std::string_view) const override { return { 1, 0xD800 }; }
};

TEST(LogTextTest, OutsideTextIsConvertedAndEscaped)
{
    const CyrillicCodePage cyrillic;
    const DoubleByteCodePage doubleByte;
    const Utf8CodePage utf8;
    struct Case {
        const char* what;
        std::string text;
        const CodePage* codePage;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "plain ASCII", "Setup.exe 1.0", &cyrillic, "Setup.exe 1.0" },
        { "Windows' message in Cyrillic", "\xC4\xEE\xF1\xF2\xF3\xEF", &cyrillic,
            "\xD0\x94\xD0\xBE\xD1\x81\xD1\x82\xD1\x83\xD0\xBF" },
        { "a byte the code page does not map", "a\x98z", &cyrillic, "a\\x98z" },
        { "line breaks, tab, NUL and DEL", "a\r\nb\t\0\x7F"s, &cyrillic, "a\\x0D\\x0Ab\\x09\\x00\\x7F" },
        { "a backslash", "C:\\Temp", &cyrillic, "C:\\x5CTemp" },
        { "a forged escape and entry", "x\\x0D\\x0A2025 installer Setup.exe checked: may run", &cyrillic,
            "x\\x5Cx0D\\x5Cx0A2025 installer Setup.exe checked: may run" },
        { "a double-byte character whose second byte is a backslash", "\x95\\", &doubleByte, "\xE8\xA1\x9C" },
        { "a lead byte before a line break", "\x95\n", &doubleByte, "\\x95\\x0A" },
        { "a lead byte at the end", "a\x95", &doubleByte, "a\\x95" },
        { "C1 control NEL", "a\xC2\x85z", &utf8, "a\\xC2\\x85z" },
        { "line separator", "a\xE2\x80\xA8z", &utf8, "a\\xE2\\x80\\xA8z" },
        { "right-to-left override", "a\xE2\x80\xAEtxt.exe", &utf8, "a\\xE2\\x80\\xAEtxt.exe" },
        { "right-to-left mark", "\xE2\x80\x8F", &utf8, "\\xE2\\x80\\x8F" },
        { "first strong isolate", "\xE2\x81\xA8", &utf8, "\\xE2\\x81\\xA8" },
        { "other letters and signs stay", "\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80", &utf8,
            "\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogText(c.text, *c.codePage, TextOrigin::Outside), c.expected) << c.what;
    }
}

TEST(LogTextTest, FormedPathKeepsItsSeparators)
{
    const Utf8CodePage utf8;
    struct Case {
        std::string path;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "Z:\\\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0\\Temp\\Download.tmp",
            "Z:\\\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0\\Temp\\Download.tmp" },
        { "\\\\?\\UNC\\server\\share", "\\\\?\\UNC\\server\\share" },
        { "C:\\a\nb", "C:\\a\\x0Ab" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogText(c.path, utf8, TextOrigin::FormedPath), c.expected) << c.path;
    }
}

TEST(LogTextTest, Utf8ReadsOnlyWellFormedSequences)
{
    const Utf8CodePage utf8;
    struct Case {
        const char* what;
        std::string bytes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "a continuation byte alone", "\x80", "\\x80" },
        { "an overlong slash", "\xC0\xAF", "\\xC0\\xAF" },
        { "an overlong three-byte form", "\xE0\x80\xAF", "\\xE0\\x80\\xAF" },
        { "a surrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80" },
        { "above U+10FFFF", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80" },
        { "a lead byte F8", "\xF8", "\\xF8" },
        { "a sequence cut short, then ASCII", "\xE2\x80z", "\\xE2\\x80z" },
        { "a lead byte before a line break", "\xC3\n", "\\xC3\\x0A" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LogText(c.bytes, utf8, TextOrigin::Outside), c.expected) << c.what;
    }
}

TEST(LogTextTest, CodePointsUtf8CannotHoldAreEscaped)
{
    EXPECT_EQ(LogText("\xAB", SurrogateCodePage(), TextOrigin::Outside), "\\xAB");
}

} // namespace
} // namespace gsd
