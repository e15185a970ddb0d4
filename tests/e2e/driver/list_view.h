#pragma once

#include "wait.h"

#include <windows.h>

#include <string>
#include <vector>

namespace gsd::e2e {

// Reading and clicking a report-mode list view of another process. Every
// function throws std::runtime_error if the list's thread does not answer
// (see SendAndWait) or its memory cannot be reached.

// Number of rows.
int ListRowCount(HWND list);

// Number of columns, counted by the list's header control.
int ListColumnCount(HWND list);

// The column headings, left to right.
std::vector<std::string> ListHeadings(HWND list);

// The text of one cell; column 0 is the item itself.
std::string ListCell(HWND list, int row, int column);

// All cells, row by row, as many columns per row as ListColumnCount.
std::vector<std::vector<std::string>> ListRows(HWND list);

// The indexes of the selected rows, ascending.
std::vector<int> SelectedRows(HWND list);

// The row that has the list's focus (its focus rectangle), -1 if none.
int FocusedRow(HWND list);

// The whole of row (all its columns), in screen coordinates.
RECT RowOnScreen(HWND list, int row);

// Sends a key press to a control as the keyboard would deliver it while the
// control has the focus (WM_KEYDOWN, then WM_KEYUP, posted): the dialog's
// own loop sees it first, so Tab moves the focus between controls.
void PressKey(HWND control, WORD key);

// The control of `dialog` that has the keyboard focus in its thread; null
// if none.
HWND FocusedControl(HWND dialog);

// Clicks row with the mouse at the centre of its first cell, holding Ctrl
// if ctrl, scrolling the row into view first. A real click is needed
// because Wine does not carry WM_NOTIFY between processes: the list must
// select the row and notify its parent itself. Waits until the selection
// shows the click (plain: exactly row selected; Ctrl: row's selection
// toggled, the others kept) and returns false if it does not within
// timeout or row does not exist. A click that plainly got lost (nothing
// changed after a few seconds, the list answering) is made again; a Ctrl
// click that landed plain selects the rows it was to leave selected again.
// The parent's handling of the click may still be under way: wait for its
// visible effect.
bool ClickRow(HWND list, int row, bool ctrl = false, milliseconds timeout = kDefaultTimeout);

// A left click at screen point; returns at once. Two clicks at one spot
// closer than the double-click time would make a double click, so a second
// click there first waits that time out.
void ClickAt(POINT screen);

// A click lands on whatever window is on top at its point (another
// program's window left on the shared display, say): brings the window of
// `control` forward when the point is not on the control.
void BringForwardAt(HWND control, POINT screen);

// Holds a key (e.g. VK_CONTROL) down for the object's life, so that input
// sent meanwhile is modified by it.
class HeldKey {
public:
    explicit HeldKey(WORD key);
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;
    ~HeldKey();

private:
    WORD key_;
};

} // namespace gsd::e2e
