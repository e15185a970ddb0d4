// What the server must see of the program's requests, written out
// independently of the program's own code: the base fields and form
// encoding.
#pragma once

#include <string>

#ifndef GSD_TEST_DOWNLOAD_ACCOUNT
#define GSD_TEST_DOWNLOAD_ACCOUNT ""
#endif

namespace gsd::e2e {

inline const std::string kBaseFields = std::string("1|0|0000|2|") + GSD_TEST_DOWNLOAD_ACCOUNT;

// Form encoding as the server must see it: letters and digits as they are,
// a blank as "+", every other byte as "%" and two lower-case hex digits.
inline std::string FormEncoded(const std::string& text)
{
    static const char hex[] = "0123456789abcdef";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) {
            encoded.push_back(c);
        } else if (c == ' ') {
            encoded.push_back('+');
        } else {
            encoded += { '%', hex[byte >> 4], hex[byte & 0xF] };
        }
    }
    return encoded;
}

} // namespace gsd::e2e
