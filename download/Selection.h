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

// A row of one of the dialog's lists whose state has changed, as the list
// reports it.
struct RowStateChange {
    int ListId = 0; // the list's control ID
    int Row = -1; // -1: every row at once
    bool StateChanged = false; // false: some other part of the row changed
    bool WasFocused = false;
    bool IsFocused = false;
    // The program's own work on the list (filling it, restoring or clearing
    // a selection, removing a row), not the player's.
    bool ByTheProgram = false;
};

// The description box follows the player through either list: the row that
// has just got the focus, by the keyboard or a click, shows its description.
// A change of the selection alone, a row losing the focus, and every change
// the program made itself leave the box as it is.
void ShowDescriptionOfFocusedRow(MainWindow& window, const RowStateChange& change);

// The number of selected rows of the server's list.
int SelectedServerItemCount(MainWindow& window);

// The file name of the first download-list line of kind 4 (a program
// upgrade), walking from line 0 to the first empty line; empty when there
// is none. A retired line (kind 0) no longer counts.
std::string FindProgramUpgradeKey(std::string_view downloadListText);

} // namespace gsd
