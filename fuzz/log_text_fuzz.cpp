// Feeds arbitrary bytes as text for the support log: the server's names and
// messages in a double-byte code page or in UTF-8, and paths. Whatever comes
// in, the log's text is UTF-8 with no control byte and none of the
// characters that end a line or turn its direction; and in text from
// outside every backslash begins one of the program's own "\xNN".

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "shell/LogText.h"

namespace {

using gsd::fuzz::Require;

// A double-byte code page in the manner of the East Asian ones: 0x81 to
// 0xFE lead a character whose second byte is 0x40 to 0xFE, a backslash
// included; 0x80 and 0xFF map to nothing.
class DoubleByteCodePage final : public gsd::CodePage {
public:
    gsd::CodePageCharacter Read(std::string_view bytes) const override
    {
        const auto lead = static_cast<unsigned char>(bytes[0]);
        if (lead < 0x80) {
            return { 1, lead };
        }
        if (lead == 0x80 || lead == 0xFF || bytes.size() < 2) {
            return { 1, std::nullopt };
        }
        const auto trail = static_cast<unsigned char>(bytes[1]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) {
            return { 1, std::nullopt };
        }
        return { 2, 0x4E00 + ((lead - 0x81) << 8) + trail };
    }
};

bool IsHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void CheckReadsAsWritten(const std::string& text, gsd::TextOrigin origin)
{
    const gsd::Utf8CodePage utf8;
    std::string_view rest(text);
    while (!rest.empty()) {
        const gsd::CodePageCharacter character = utf8.Read(rest);
        Require(character.codePoint.has_value());
        const char32_t c = *character.codePoint;
        Require(c >= 0x20 && !(c >= 0x7F && c <= 0x9F) && c != 0x2028 && c != 0x2029 && c != 0x200E && c != 0x200F
            && !(c >= 0x202A && c <= 0x202E) && !(c >= 0x2066 && c <= 0x2069));
        if (c == U'\\' && origin == gsd::TextOrigin::Outside) {
            Require(rest.size() >= 4 && rest[1] == 'x' && IsHex(rest[2]) && IsHex(rest[3]));
        }
        rest.remove_prefix(character.length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the code page and where the text comes from.
    const std::uint8_t choice = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const DoubleByteCodePage doubleByte;
    const gsd::Utf8CodePage utf8;
    const gsd::CodePage& codePage = (choice & 1) != 0 ? static_cast<const gsd::CodePage&>(utf8) : doubleByte;
    const gsd::TextOrigin origin = (choice & 2) != 0 ? gsd::TextOrigin::FormedPath : gsd::TextOrigin::Outside;
    CheckReadsAsWritten(gsd::LogText(text, codePage, origin), origin);
    return 0;
}
