// The small modeless window that tells the user what a server exchange is
// doing while it blocks the program, and the offer to try again after the
// server could not be reached. The Win32 adapters are the dialogs of
// templates 130 and 129; tests record the calls.
#pragma once

#include <memory>
#include <string_view>

#include "ports/WindowHandle.h"

namespace gsd {

// One status dialog, from creation (hidden, placed) to destruction, which
// hides and destroys the window.
class StatusDialog {
public:
    virtual ~StatusDialog() = default;

    // Shows the dialog; done at the start of every attempt.
    virtual void Show() = 0;

    // Sets the status line and asks it to repaint.
    virtual void SetStatusLine(std::string_view text) = 0;

    // Sets the detail lines; asks them to repaint only when `repaint`.
    virtual void SetDetailLines(std::string_view text, bool repaint) = 0;

    // Whether the user has pressed Cancel since the dialog was created.
    virtual bool CancelRequested() const = 0;

    // Greys Cancel out for the rest of the dialog's life: what runs now
    // cannot be taken back.
    virtual void DisableCancel() = 0;

    // The progress bar below the lines: `fraction` from 0 to 1 shows it at
    // that fill; a negative value hides it.
    virtual void SetProgress(double fraction) = 0;

    // The dialog's window, for what is shown over it.
    virtual WindowHandle Window() const = 0;
};

class ServerDialogs {
public:
    virtual ~ServerDialogs() = default;

    // Creates a status dialog owned by the main dialog, placed and on top
    // but not shown yet; null when it cannot be created (the exchange then
    // runs without one).
    virtual std::unique_ptr<StatusDialog> OpenStatusDialog() = 0;

    // Runs the connection dialog modally with `text` and the two button
    // texts; true when the user pressed OK (try again), false otherwise.
    virtual bool OfferConnectionRetry(std::string_view text, std::string_view okText, std::string_view cancelText) = 0;
};

} // namespace gsd
