// The main dialog as the core sees it: the few things start-up and the
// subsystems ask of the window itself. The Win32 dialog implements it; tests
// use a fake that records the calls.
#pragma once

#include <string_view>

#include "ports/ListView.h"

namespace gsd {

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MainWindow {
public:
    virtual ~MainWindow() = default;

    // Shows a modal message box owned by the main dialog and returns the
    // button the user pressed.
    virtual MessageAnswer ShowMessage(std::string_view text, std::string_view caption,
                                      MessageButtons buttons = MessageButtons::Ok) = 0;

    // Posts a close request: it takes effect once the dialog's own message
    // loop runs, so the caller's work goes on first.
    virtual void PostClose() = 0;

    // Sends a close request: the dialog handles it before this returns.
    virtual void SendClose() = 0;

    // Invalidates the whole dialog, its controls included, and paints it
    // now; its background is erased where something uncovered it.
    virtual void Repaint() = 0;

    // The dialog's window caption.
    virtual void SetCaption(std::string_view text) = 0;

    // The text of control `controlId` (IDs of res/resource.h).
    virtual void SetControlText(int controlId, std::string_view text) = 0;

    virtual void EnableControl(int controlId, bool enabled) = 0;

    // Ends the dialog with `result`; the program then ends.
    virtual void EndDialog(int result) = 0;

    // While busy the dialog takes no input (its own windows, message boxes
    // and the status dialog still do), so no second download or close can
    // start inside the first.
    virtual void SetBusy(bool busy) = 0;

    // The "My Computer" list (1008) and the server's list (1007).
    virtual ListView& LocalList() = 0;
    virtual ListView& ServerList() = 0;
};

} // namespace gsd
