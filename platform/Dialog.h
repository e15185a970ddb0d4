// A dialog window made from a dialog template, with one shared dialog
// procedure that routes messages to the object. Derived dialogs hold no logic
// of their own: they turn messages into calls of the core.
#pragma once

#include <windows.h>

namespace gsd {

class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog of template `templateId` modally, owned by `owner`;
    // returns the value it ended with, or -1 when it could not be created.
    INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);

    // Creates the dialog of template `templateId` modeless, owned by `owner`;
    // null when it could not be created. The caller owns the window.
    HWND CreateModeless(HINSTANCE instance, int templateId, HWND owner);

    [[nodiscard]] HWND window() const noexcept { return window_; }

protected:
    // Called for WM_INITDIALOG; the result is the dialog procedure's (true:
    // focus to the first control).
    virtual bool OnInit() { return true; }

    // Called for every other message. Returns true when the message was
    // handled, with `result` as the dialog procedure's value; false leaves it
    // to the default handling: OK and Cancel (and so Escape and closing the
    // window) end a modal dialog with that result and hide a modeless one.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool DefaultCommand(WPARAM wParam);

    HWND window_ = nullptr;
    bool modal_ = false;
};

} // namespace gsd
