#include "platform/Win32AnsiCodePage.h"

#include <windows.h>

namespace gsd {

CodePageCharacter Win32AnsiCodePage::Read(std::string_view bytes) const
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) {
        return { 1, lead };
    }
    const int length = ::IsDBCSLeadByteEx(CP_ACP, lead) && bytes.size() >= 2 ? 2 : 1;
    wchar_t wide[2] {};
    const int units = ::MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), length, wide, 2);
    if (units == 1) {
        return { static_cast<std::size_t>(length), static_cast<char32_t>(wide[0]) };
    }
    if (units == 2 && IS_HIGH_SURROGATE(wide[0]) && IS_LOW_SURROGATE(wide[1])) {
        return { static_cast<std::size_t>(length),
            0x10000 + ((static_cast<char32_t>(wide[0]) - 0xD800) << 10) + (static_cast<char32_t>(wide[1]) - 0xDC00) };
    }
    // A lead byte whose second byte does not complete it maps to nothing on
    // its own; the second byte is then read by itself.
    return { 1, std::nullopt };
}

} // namespace gsd
