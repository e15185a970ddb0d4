#include "protocol/FormEncode.h"

namespace gsd {
namespace {

// Tested by range rather than with <cctype>, whose answer depends on the
// locale and on the sign of char.
bool PassesUnencoded(unsigned char byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9');
}

} // namespace

std::string FormEncode(std::string_view text)
{
    static constexpr char HexDigits[] = "0123456789abcdef";
    std::string encoded;
    encoded.reserve(text.size() * 3);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (PassesUnencoded(byte)) {
            encoded.push_back(c);
        } else if (byte == ' ') {
            encoded.push_back('+');
        } else {
            encoded.push_back('%');
            encoded.push_back(HexDigits[byte >> 4]);
            encoded.push_back(HexDigits[byte & 0x0F]);
        }
    }
    return encoded;
}

} // namespace gsd
