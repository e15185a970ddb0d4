// A dialog window made from a dialog template, with one shared dialog
// procedure that routes messages to the object. Derived dialogs hold no logic
// of their own: they turn messages into calls of the core.
#pragma once

#include <windows.h>

#include <commctrl.h>

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

    // Called for WM_COMMAND with the control's (or menu item's) ID, the
    // notification code and the control's window. Returns true when handled;
    // false leaves it to the default handling: OK and Cancel (and so Escape
    // and closing the window) end a modal dialog with that result and hide a
    // modeless one.
    virtual bool OnCommand(int id, int code, HWND control);

    // Called for WM_NOTIFY. Returns true when handled; a handler whose
    // notification expects a result sets it with SetMsgResult. The header
    // heads the sender's whole structure, into which some notifications
    // (custom drawing) take answers back.
    virtual bool OnNotify(NMHDR& header);

    // Called for every other message. Returns true when the message was
    // handled, with `result` as the dialog procedure's value.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // The result of the notification being handled (DWLP_MSGRESULT).
    void SetMsgResult(LRESULT result) const;

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam);
    bool DefaultCommand(int id);

    HWND window_ = nullptr;
    bool modal_ = false;
};

} // namespace gsd
