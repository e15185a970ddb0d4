#pragma once

#include "wait.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gsd::e2e {

// Which windows a search looks at. Hidden ones are, e.g., a modeless status
// dialog between its uses.
enum class Visibility { kShown, kShownOrHidden };

// For a pid: windows of every process (a program started by another one,
// or the newer build an upgrade starts).
inline constexpr DWORD kAnyProcess = 0;

// The top-level windows of process pid (owned popups such as dialogs and
// message boxes included), topmost first.
std::vector<HWND> TopLevelWindows(DWORD pid, Visibility which = Visibility::kShown);

// The direct child windows (controls) of parent, in child order.
std::vector<HWND> ChildWindows(HWND parent);

// Waits for a top-level window of pid that match accepts; null on timeout.
// A timeout of 0 looks once.
HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& match, milliseconds timeout = kDefaultTimeout,
    Visibility which = Visibility::kShown);

// Waits for a visible top-level window of pid with exactly this caption.
HWND WaitForWindow(DWORD pid, const std::string& caption, milliseconds timeout = kDefaultTimeout);

// Waits until pid has no visible top-level window left that match accepts
// (e.g. until a box has closed); false on timeout.
bool WaitForNoWindow(DWORD pid, const std::function<bool(HWND)>& match, milliseconds timeout = kDefaultTimeout);

struct DialogButton {
    HWND hwnd = nullptr;
    int id = 0; // IDOK, IDCANCEL, IDYES, ...
    std::string text; // as shown, e.g. "&Yes"
    bool is_default = false; // has the BS_DEFPUSHBUTTON style
};

// What a message box shows. Wine answers DM_GETDEFID with 1 whatever the
// default button is, so the default is read from the buttons' styles.
struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string caption;
    std::string text;
    // The text in UTF-16, as shown: with the characters the code page of
    // `text` cannot spell.
    std::wstring wide_text;
    std::vector<DialogButton> buttons; // in child window order

    // The button with this id, or null.
    const DialogButton* Button(int id) const;
    // The ids of the buttons, in order, e.g. {IDYES, IDNO}.
    std::vector<int> ButtonIds() const;
    // The id of the default button, or 0 if none is marked.
    int DefaultButton() const;
};

// Whether window looks like a message box: a dialog ("#32770") with a
// static whose id is 0xFFFF (the message text) and only buttons with the
// standard ids IDOK..IDCONTINUE. A dialog of the program made only of id-less
// statics and an OK button passes too; tell those apart by caption.
bool IsMessageBox(HWND window);

// Reads caption, text and buttons of a message box window.
MessageBoxInfo ReadMessageBox(HWND box);

// Waits for a message box of pid and reads it; nothing on timeout.
std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, milliseconds timeout = kDefaultTimeout);

// Presses button_id of the box (a posted BM_CLICK, as a user's click) and
// waits until the box has closed. False if the box has no such visible,
// enabled button or did not close within timeout.
bool Press(const MessageBoxInfo& box, int button_id, milliseconds timeout = kDefaultTimeout);

} // namespace gsd::e2e
