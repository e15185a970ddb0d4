// The interface language: its index from the options file and its name from
// the language file.
#pragma once

#include <string>
#include <string_view>

#include "ports/MediaEngine.h"
#include "ports/OptionsFile.h"

namespace gsd {

// How many bytes of the options file may be needed to make up the four bytes
// of the index once CR LF pairs have been read as LF.
inline constexpr std::size_t OptionsBytesToRead = 8;

// The interface language index held by the first bytes of the options file,
// read as a file opened in text mode would deliver them: a CR LF pair reads
// as one LF, a 0x1A byte ends the data. The first four bytes so delivered
// make a little-endian signed 32-bit integer; bytes missing at the end leave
// the high-order bytes 0. Negative indices are kept.
int LanguageIndexFromBytes(std::string_view stored);

// Reads the options file again (no cache) and returns its language index; 0
// when the file is empty, or can be neither opened nor created. Reports
// nothing.
int ReadLanguageIndex(OptionsFile& options);

// The name of interface language `languageIndex`: field index + 1 of the
// "|"-separated language list. Empty when there is no such field (an index
// beyond the list, or below -1).
std::string InterfaceLanguageName(std::string_view languageList, int languageIndex);

// Opens the language file, reads its language list and selects the language
// of `languageIndex` for the reads that follow. Leaves the language file as
// the reader's current file.
void ChooseInterfaceLanguage(MediaReader& reader, int languageIndex);

} // namespace gsd
