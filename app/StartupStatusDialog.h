// The start-up status dialog (template 130): a status line (1008) and
// detail lines (1009) that a server exchange sets while it blocks the
// program. Created hidden and placed at creation; hidden and destroyed with
// the object.
#pragma once

#include <windows.h>

#include "ports/StatusDialog.h"
#include "shell/DialogOrigin.h"
#include "platform/Dialog.h"
#include "platform/Handles.h"

namespace gsd {

class StartupStatusDialog final : public StatusDialog {
public:
    // Creates the window, owned by `owner`, and places it on top.
    StartupStatusDialog(HINSTANCE instance, HWND owner);
    ~StartupStatusDialog() override;

    // False when the window could not be created.
    explicit operator bool() const noexcept { return static_cast<bool>(window_); }

    void Show() override;
    void SetStatusLine(std::string_view text) override;
    void SetDetailLines(std::string_view text, bool repaint) override;
    bool CancelRequested() const override { return dialog_.cancelRequested; }
    void DisableCancel() override;
    void SetProgress(double fraction) override;
    WindowHandle Window() const override;

private:
    // Notes Cancel; the default handling then hides the window.
    class CancelNoted final : public Dialog {
    public:
        bool cancelRequested = false;

    private:
        bool OnCommand(int id, int code, HWND control) override;
    };

    void SetText(int controlId, std::string_view text, bool repaint);

    // Declared before the window so that the window goes first.
    CancelNoted dialog_;
    unique_hwnd window_;
};

// Moves `window` to the place of the start-up dialogs (half the full-screen
// client size less (200, 100) pixels), on top, its size unchanged.
void PlaceStartupDialog(HWND window);

} // namespace gsd
