// The MainWindow port over a real dialog window.
#pragma once

#include <windows.h>

#include "ports/MainWindow.h"
#include "ports/SupportLog.h"
#include "platform/Win32ListView.h"

namespace gsd {

class Win32MainWindow final : public MainWindow {
public:
    // `window` is the main dialog; its list views are looked up once here.
    // Every message box and its answer goes to `log` when there is one.
    explicit Win32MainWindow(HWND window, SupportLog* log = nullptr);

    // Both through MessageBoxW: the texts widened from the ANSI code page,
    // the path from UTF-8.
    MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageButtons buttons) override;
    MessageAnswer ShowFileMessage(
        std::string_view text, std::string_view path, std::string_view caption, MessageButtons buttons) override;
    void PostClose() override;
    void SendClose() override;
    void Repaint() override;
    void GatherRepaints() override;
    void PaintGathered() override;
    void SetCaption(std::string_view text) override;
    void SetControlText(int controlId, std::string_view text) override;
    void EnableControl(int controlId, bool enabled) override;
    void EndDialog(int result) override;
    void SetBusy(bool busy) override;
    int Dpi() const override { return dpi_; }
    ListView& LocalList() override { return localList_; }
    ListView& ServerList() override { return serverList_; }

    // The list of control `id`; null for any other control.
    Win32ListView* ListOfControl(UINT_PTR id);

    // The dialog has moved to a screen of another DPI: the lists' columns
    // follow it where the system lays the rest of the dialog out anew.
    void OnDpiChanged(int dpi);

    // Whether the program has asked this window to close (PostClose or
    // SendClose): after a failure it has shown, never on the player's word.
    bool ClosedByTheProgram() const { return closedByTheProgram_; }

private:
    HWND window_;
    bool closedByTheProgram_ = false;
    // RepaintsGathered may nest: the outermost one paints.
    int repaintsGathered_ = 0;
    bool busy_ = false;
    // What the download button is to be once the dialog is no longer busy.
    bool buttonEnabledAfterBusy_ = true;
    SupportLog* log_;
    int dpi_;
    Win32ListView localList_;
    Win32ListView serverList_;
};

} // namespace gsd
