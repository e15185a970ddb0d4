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

    // Shows a message that names a file, as ShowMessage does: `text`, then,
    // on a line of its own when not empty, `path` as the file is named on
    // disk (UTF-8), which the system's code page may not be able to spell.
    virtual MessageAnswer ShowFileMessage(std::string_view text, std::string_view path, std::string_view caption,
                                          MessageButtons buttons = MessageButtons::Ok) = 0;

    // Posts a close request: it takes effect once the dialog's own message
    // loop runs, so the caller's work goes on first.
    virtual void PostClose() = 0;

    // Sends a close request: the dialog handles it before this returns.
    virtual void SendClose() = 0;

    // Invalidates the whole dialog, its controls included, and paints it
    // now; its background is erased where something uncovered it. While
    // repaints are gathered, it only invalidates, and other programs get
    // their answers.
    virtual void Repaint() = 0;

    // Between these two, repaints are gathered: the second paints at once
    // all that waits to be painted. A rebuild of a list runs several reading
    // passes in a row; gathered, they cost one painting, and the thread
    // answers other programs between them. Use RepaintsGathered.
    virtual void GatherRepaints() = 0;
    virtual void PaintGathered() = 0;

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

    // The dots per inch the dialog is drawn at: 96 at 100 %, 144 at 150 %.
    virtual int Dpi() const = 0;

    // The "My Computer" list (1008) and the server's list (1007).
    virtual ListView& LocalList() = 0;
    virtual ListView& ServerList() = 0;
};

// Keeps the main dialog busy (SetBusy) for its life.
class BusyWhile {
public:
    explicit BusyWhile(MainWindow& window) : window_(window) { window_.SetBusy(true); }
    ~BusyWhile() { window_.SetBusy(false); }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;

private:
    MainWindow& window_;
};

// Gathers the main dialog's repaints for its life, then paints them at once.
class RepaintsGathered {
public:
    explicit RepaintsGathered(MainWindow& window) : window_(window) { window_.GatherRepaints(); }
    ~RepaintsGathered() { window_.PaintGathered(); }
    RepaintsGathered(const RepaintsGathered&) = delete;
    RepaintsGathered& operator=(const RepaintsGathered&) = delete;

private:
    MainWindow& window_;
};

} // namespace gsd
