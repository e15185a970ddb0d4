#include "app/StartupStatusDialog.h"

#include <algorithm>
#include <string>

#include <commctrl.h>

#include "platform/SentMessages.h"
#include "platform/Win32WindowHandle.h"
#include "platform/WindowThread.h"
#include "resource.h"

namespace gsd {

void PlaceStartupDialog(HWND window)
{
    const DialogOrigin origin
        = CentredDialogOrigin(::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN));
    ::SetWindowPos(window, HWND_TOP, origin.x, origin.y, 0, 0, SWP_NOSIZE);
}

StartupStatusDialog::StartupStatusDialog(HINSTANCE instance, HWND owner)
    : window_(dialog_.CreateModeless(instance, IDD_STARTUP_STATUS_DIALOG, owner))
{
    if (window_) {
        PlaceStartupDialog(window_.get());
    }
}

StartupStatusDialog::~StartupStatusDialog()
{
    CheckWindowThread("StartupStatusDialog::~StartupStatusDialog");
    if (window_) {
        HWND owner = ::GetWindow(window_.get(), GW_OWNER);
        ::ShowWindow(window_.get(), SW_HIDE);
        // What it uncovered of the main dialog, which has just become active
        // again, is painted now: the thread goes on with more work (the next
        // item, rebuilding a list) before it handles messages again. Only
        // that: painting the whole dialog costs far more than the part
        // uncovered, and the work after it follows without a break.
        if (owner != nullptr) {
            PaintWhatWaits(owner);
        }
        // With the picture whole, other programs get their answers.
        AnswerSentMessages();
    }
}

void StartupStatusDialog::Show()
{
    CheckWindowThread("StartupStatusDialog::Show");
    ::ShowWindow(window_.get(), SW_SHOW);
    // The thread is about to block in an exchange: paint the frame, both
    // lines and Cancel now rather than when messages are next handled.
    ::RedrawWindow(window_.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void StartupStatusDialog::SetStatusLine(std::string_view text)
{
    CheckWindowThread("StartupStatusDialog::SetStatusLine");
    SetText(IDC_STATUS_LINE, text, true);
}

void StartupStatusDialog::SetDetailLines(std::string_view text, bool repaint)
{
    CheckWindowThread("StartupStatusDialog::SetDetailLines");
    SetText(IDC_DETAIL_LINES, text, repaint);
}

void StartupStatusDialog::SetProgress(double fraction)
{
    CheckWindowThread("StartupStatusDialog::SetProgress");
    HWND bar = ::GetDlgItem(window_.get(), IDC_TRANSFER_PROGRESS);
    if (fraction < 0) {
        ::ShowWindow(bar, SW_HIDE);
        return;
    }
    constexpr int Steps = 1000;
    ::SendMessageA(bar, PBM_SETRANGE32, 0, Steps);
    ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(std::min(fraction, 1.0) * Steps), 0);
    if (!::IsWindowVisible(bar)) {
        ::ShowWindow(bar, SW_SHOWNA);
    }
    ::UpdateWindow(bar);
}

void StartupStatusDialog::DisableCancel()
{
    CheckWindowThread("StartupStatusDialog::DisableCancel");
    ::EnableWindow(::GetDlgItem(window_.get(), IDCANCEL), FALSE);
}

bool StartupStatusDialog::CancelNoted::OnCommand(int id, int, HWND)
{
    if (id == IDCANCEL) {
        cancelRequested = true;
    }
    return false;
}

void StartupStatusDialog::SetText(int controlId, std::string_view text, bool repaint)
{
    HWND control = ::GetDlgItem(window_.get(), controlId);
    ::SetWindowTextA(control, std::string(text).c_str());
    if (repaint) {
        // Painted at once: the thread may not handle messages for a while.
        ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
}

WindowHandle StartupStatusDialog::Window() const
{
    return ToWindowHandle(window_.get());
}

} // namespace gsd
