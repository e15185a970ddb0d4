// Text as the support log writes it: UTF-8 on one line, in which every "\x"
// is the program's own escape, so that no text from outside can make the
// log read otherwise than it was written.
#pragma once

#include <string>
#include <string_view>

#include "ports/CodePage.h"

namespace gsd {

// Where a text comes from, which decides what happens to its backslashes.
enum class TextOrigin {
    // Bytes the program did not form: the server's, the game's files', the
    // registry's, Windows' messages. A backslash is written as "\x5C".
    Outside,
    // A path the program formed from the game folder: its backslashes are
    // separators and stay readable.
    FormedPath,
};

// `text`, read character by character through `codePage`, in UTF-8. Written
// as "\xNN" (upper-case hexadecimal), byte by byte: bytes that the code page
// does not map; characters that end or break a line or change how it reads
// (C0 and C1 controls, DEL, the line and paragraph separators, the
// direction marks, embeddings, overrides and isolates); code points UTF-8
// cannot hold; and, from Outside text, backslashes.
std::string LogText(std::string_view text, const CodePage& codePage, TextOrigin origin);

// Reads UTF-8 strictly: overlong forms, surrogates, code points above
// U+10FFFF and cut sequences map to nothing.
class Utf8CodePage final : public CodePage {
public:
    CodePageCharacter Read(std::string_view bytes) const override;
};

// Reads ASCII; no byte of 0x80 and above maps.
class AsciiCodePage final : public CodePage {
public:
    CodePageCharacter Read(std::string_view bytes) const override;
};

// The code page of the program's texts in the log (the system's ANSI code
// page). The program sets it once at its start, before any line is written
// and before any other thread runs; until then it is AsciiCodePage.
// `codePage` must outlive every later line.
void UseLogCodePage(const CodePage& codePage);
const CodePage& LogCodePage();

} // namespace gsd
