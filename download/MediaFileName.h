// The server's file name of a language file or object pack becomes a path
// in the Media folder: "Media\" + name + ".mdc". A name that would reach
// outside that folder, name a device or be changed by the file system is
// refused before anything of the item is written.
#pragma once

#include <string>
#include <string_view>

namespace gsd {

// Why `fileName` cannot be used, as the end of a sentence ("it holds a path
// separator"); empty when it can. Refused: the empty name; "\", "/", ":",
// "..", a control byte (below 0x20, or 0x7F), one of < > " | ? *; a name
// ending in a dot or blank; a device name (CON, PRN, AUX, NUL, COM1 to
// COM9, LPT1 to LPT9, any case), also with an extension ("CON.txt").
std::string_view MediaFileNameProblem(std::string_view fileName);

// Why a name that passed MediaFileNameProblem still cannot be used when the
// system's code page does not map all of its bytes (GameFiles::CanName).
inline constexpr std::string_view UnspellableNameProblem
    = "this system's code page holds no characters for some of its bytes";

// "Media\" + fileName + ".mdc", for a name without a problem.
std::string MediaFilePath(std::string_view fileName);

// The message (caption "Error!") that refuses `fileName` for `problem`.
std::string MediaFileNameErrorText(std::string_view fileName, std::string_view problem);

} // namespace gsd
