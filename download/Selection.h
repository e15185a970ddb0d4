// What the two lists' selections mean to the rest of the program: the
// description of the picked row, the number of server rows to fetch, and
// the program upgrade the server offers.
#pragma once

#include <string>
#include <string_view>

#include "ports/MainWindow.h"
#include "texts/ListColumns.h"

namespace gsd {

// Shows the description of the first selected row of `list` (the one that
// comes first in the list's order, not necessarily the one just clicked) in
// the description box; empties the box when no row is selected. Returns the
// click notification's result, 0.
int ShowDescriptionOfSelection(MainWindow& window, ListView& list);

// The number of selected rows of the server's list.
int SelectedServerItemCount(MainWindow& window);

// The file name of the first download-list line of kind 4 (a program
// upgrade), walking from line 0 to the first empty line; empty when there
// is none. A retired line (kind 0) no longer counts.
std::string FindProgramUpgradeKey(std::string_view downloadListText);

} // namespace gsd
