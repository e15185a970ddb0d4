// The CodePage port over the system's ANSI code page, in which the
// program's texts, the server's and Windows' messages (the A functions')
// are written.
#pragma once

#include "ports/CodePage.h"

namespace gsd {

// IsDBCSLeadByteEx tells a character's length, MultiByteToWideChar with
// MB_ERR_INVALID_CHARS its code point; a byte sequence it refuses maps to
// nothing.
class Win32AnsiCodePage final : public CodePage {
public:
    CodePageCharacter Read(std::string_view bytes) const override;
};

} // namespace gsd
