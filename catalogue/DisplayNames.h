// The display texts of the two lists' kind and language columns.
#pragma once

#include <string>
#include <string_view>

namespace gsd {

// The kind's name: on-download text 2, 3, 4 or 5 for item kinds 1 (the game
// program), 2 (the language file), 3 (an object pack) and 4 (a program
// upgrade); text 6 for any other kind.
std::string KindName(int kind, std::string_view onDownloadTexts);

// The names of the languages whose bits (0 to 6) are set in `mask`, in the
// fixed table's order, joined with ", "; "N/A" when none is. Not localised;
// bits above 6 are ignored.
std::string LanguageNames(int mask);

} // namespace gsd
