#pragma once

#include "wait.h"

#include <windows.h>

#include <string>

namespace gsd::e2e {

// How long a window of the program under test may take to answer one
// message before the driver gives up on it.
inline constexpr milliseconds kAnswerTimeout { 5000 };

// Sends msg to a window of another process and returns its answer. Throws
// std::runtime_error if the window does not answer within timeout (its
// thread is blocked or gone), so a hung program fails the test instead of
// hanging it. Only for messages that carry no pointers, or whose pointers
// point into the target process (see RemoteMemory).
LRESULT SendAndWait(HWND window, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0, milliseconds timeout = kAnswerTimeout);

// The window's class name, e.g. "#32770" for dialogs and message boxes.
std::string ClassNameOf(HWND window);

// A top-level window's caption, read without a message (works while the
// window's thread is busy).
std::string Caption(HWND window);

// The child control id of dialog, or null if it has none.
HWND Control(HWND dialog, int id);

// The text of a window: for statics and buttons the text Windows keeps for
// them, read without a message, so it works while the program is busy; for
// others (edits) WM_GETTEXT, which throws like SendAndWait if the program
// does not answer. Empty if the window does not exist.
std::string WindowText(HWND window);

// The text Windows keeps for a static or a button, in UTF-16, with every
// character the code page cannot spell.
std::wstring WideWindowText(HWND window);

// WindowText of control id of dialog; empty if there is no such control.
std::string ControlText(HWND dialog, int id);

// Whether control id of dialog exists and has the visible style (its parent
// may still be hidden).
bool IsVisible(HWND dialog, int id);

// Whether control id of dialog exists and is enabled.
bool IsEnabled(HWND dialog, int id);

// Clicks the push button id of dialog the way a user can: false, with
// nothing done, if the button is missing, hidden or disabled. Returns at
// once: the click is posted, because its handler may run a modal box and
// would block a sent message until that box closes.
bool Click(HWND dialog, int id);

// Posts a system-menu command (e.g. SC_CLOSE, or a program's own entry).
void SendSysCommand(HWND window, WPARAM command);

// Posts WM_CLOSE, as the window's close box would.
void Close(HWND window);

} // namespace gsd::e2e
