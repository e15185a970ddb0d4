#include "platform/Win32MainWindow.h"

#include <string>

#include "platform/DisabledOwnerKept.h"
#include "platform/SentMessages.h"
#include "platform/UniqueResource.h"
#include "platform/WindowThread.h"
#include "res/resource.h"
#include "shell/SupportLogLines.h"

namespace gsd {

namespace {

UINT ButtonStyle(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::YesNo:
        return MB_YESNO;
    case MessageButtons::Ok:
        break;
    }
    return MB_OK;
}

MessageAnswer Answer(int pressed)
{
    switch (pressed) {
    case IDOK:
        return MessageAnswer::Ok;
    case IDYES:
        return MessageAnswer::Yes;
    case IDNO:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Cancel;
    }
}

const char* AnswerName(MessageAnswer answer)
{
    switch (answer) {
    case MessageAnswer::Ok:
        return "OK";
    case MessageAnswer::Yes:
        return "Yes";
    case MessageAnswer::No:
        return "No";
    case MessageAnswer::Cancel:
        break;
    }
    return "Cancel";
}

// The whole screen's device context, from GetDC(nullptr).
struct ScreenDcTraits {
    using type = HDC;
    static type invalid() noexcept { return nullptr; }
    static void close(type dc) noexcept { ::ReleaseDC(nullptr, dc); }
};

// A function of user32 that older systems lack; null there.
template <typename Fn>
Fn User32Function(const char* name)
{
    HMODULE user = ::GetModuleHandleA("user32.dll");
    // GetProcAddress hands out a generic function pointer; the export's real
    // type is the caller's to name.
    return user == nullptr ? nullptr : reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(user, name)));
}

// The DPI `window` is drawn at: its own where the system knows one per
// window, otherwise the screen's.
int DpiOf(HWND window)
{
    const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) {
            return static_cast<int>(dpi);
        }
    }
    const UniqueResource<ScreenDcTraits> screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

// Whether the system lays dialogs out anew, fonts included, when they move
// to a screen of another DPI (per-monitor v2). Under the older per-monitor
// awareness a dialog keeps the size and fonts it was made with, and so do
// its columns.
bool DialogsFollowDpiChanges()
{
    const auto threadContext = User32Function<DPI_AWARENESS_CONTEXT(WINAPI*)()>("GetThreadDpiAwarenessContext");
    const auto equal = User32Function<BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT)>(
        "AreDpiAwarenessContextsEqual");
    return threadContext != nullptr && equal != nullptr
        && equal(threadContext(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) != FALSE;
}

// `text` in UTF-16, every byte the code page does not map shown as the
// system's replacement character, as MessageBoxA shows it.
std::wstring WidenedText(UINT codePage, std::string_view text)
{
    if (text.empty()) {
        return {};
    }
    const int size = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) {
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
    }
    return wide;
}

} // namespace

Win32MainWindow::Win32MainWindow(HWND window, SupportLog* log)
    : window_(window),
      log_(log),
      dpi_(DpiOf(window)),
      localList_(::GetDlgItem(window, IDC_LOCAL_LIST)),
      serverList_(::GetDlgItem(window, IDC_SERVER_LIST))
{
}

MessageAnswer Win32MainWindow::ShowMessage(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    return ShowFileMessage(text, {}, caption, buttons);
}

MessageAnswer Win32MainWindow::ShowFileMessage(
    std::string_view text, std::string_view path, std::string_view caption, MessageButtons buttons)
{
    CheckWindowThread("Win32MainWindow::ShowFileMessage");
    // The wide box shows the texts of the code page as the ANSI one would,
    // and the path with every character of its name.
    std::wstring wideText = WidenedText(CP_ACP, text);
    if (!path.empty()) {
        wideText.append(L"\r\n").append(WidenedText(CP_UTF8, path));
    }
    const std::wstring wideCaption = WidenedText(CP_ACP, caption);
    const DisabledOwnerKept busy(window_);
    const MessageAnswer answer
        = Answer(::MessageBoxW(window_, wideText.c_str(), wideCaption.c_str(), ButtonStyle(buttons)));
    if (log_ != nullptr) {
        log_->Write(MessageLogLine(caption, text, AnswerName(answer), path));
    }
    return answer;
}

void Win32MainWindow::PostClose()
{
    CheckWindowThread("Win32MainWindow::PostClose");
    closedByTheProgram_ = true;
    ::PostMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::SendClose()
{
    CheckWindowThread("Win32MainWindow::SendClose");
    closedByTheProgram_ = true;
    ::SendMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::SetCaption(std::string_view text)
{
    CheckWindowThread("Win32MainWindow::SetCaption");
    ::SetWindowTextA(window_, std::string(text).c_str());
}

void Win32MainWindow::SetControlText(int controlId, std::string_view text)
{
    CheckWindowThread("Win32MainWindow::SetControlText");
    ::SetDlgItemTextA(window_, controlId, std::string(text).c_str());
}

void Win32MainWindow::EnableControl(int controlId, bool enabled)
{
    CheckWindowThread("Win32MainWindow::EnableControl");
    if (busy_ && controlId == IDC_DOWNLOAD_SELECTIONS) {
        buttonEnabledAfterBusy_ = enabled;
        return;
    }
    ::EnableWindow(::GetDlgItem(window_, controlId), enabled ? TRUE : FALSE);
}

void Win32MainWindow::EndDialog(int result)
{
    CheckWindowThread("Win32MainWindow::EndDialog");
    ::EndDialog(window_, result);
}

void Win32MainWindow::SetBusy(bool busy)
{
    CheckWindowThread("Win32MainWindow::SetBusy");
    // A disabled dialog takes no clicks of the mouse, but a click posted to
    // the button (as accessibility and macro tools click) still reaches it
    // while the pass handles messages: the button is greyed out too, and
    // keeps the state the pass gave it for afterwards.
    HWND button = ::GetDlgItem(window_, IDC_DOWNLOAD_SELECTIONS);
    if (busy && !busy_) {
        buttonEnabledAfterBusy_ = ::IsWindowEnabled(button) != FALSE;
        ::EnableWindow(button, FALSE);
    } else if (!busy && busy_) {
        ::EnableWindow(button, buttonEnabledAfterBusy_ ? TRUE : FALSE);
    }
    busy_ = busy;
    ::EnableWindow(window_, busy ? FALSE : TRUE);
}

Win32ListView* Win32MainWindow::ListOfControl(UINT_PTR id)
{
    if (id == IDC_LOCAL_LIST) {
        return &localList_;
    }
    if (id == IDC_SERVER_LIST) {
        return &serverList_;
    }
    return nullptr;
}

void Win32MainWindow::OnDpiChanged(int dpi)
{
    if (dpi <= 0 || dpi == dpi_ || !DialogsFollowDpiChanges()) {
        return;
    }
    localList_.RescaleColumns(dpi_, dpi);
    serverList_.RescaleColumns(dpi_, dpi);
    dpi_ = dpi;
}

void Win32MainWindow::Repaint()
{
    CheckWindowThread("Win32MainWindow::Repaint");
    // Every control repaints itself whole. The dialog's own background is
    // erased only where something uncovered it: an erase of all of it would
    // wipe the group boxes, and until they had repainted the dialog would be
    // seen without them.
    if (repaintsGathered_ == 0) {
        ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    ::RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    AnswerSentMessages();
}

void Win32MainWindow::GatherRepaints()
{
    CheckWindowThread("Win32MainWindow::GatherRepaints");
    if (repaintsGathered_++ > 0) {
        return;
    }
    // What already waits is painted first. Each answer given while repaints
    // are gathered lets the system copy the dialog's picture to the display,
    // and a part still waiting for its painting (uncovered by a window that
    // has just closed, or a row just removed) would be seen unpainted until
    // the gathered painting. With the picture whole, other programs get
    // their answers: the item's retirement before this ran without a break.
    PaintWhatWaits(window_);
    AnswerSentMessages();
}

void Win32MainWindow::PaintGathered()
{
    CheckWindowThread("Win32MainWindow::PaintGathered");
    if (--repaintsGathered_ > 0) {
        return;
    }
    // At once, before the caller goes on: were a message box or the status
    // dialog to open while this dialog still waits for its painting, the two
    // would be painted interleaved, and a control could be seen erased and
    // not yet drawn for as long as the new window takes. Other programs get
    // their answers just before it (rewriting a long list and painting the
    // dialog keep them waiting a noticeable while together) and again after
    // it, which also lets the system show the new picture there and then.
    AnswerSentMessages();
    PaintWhatWaits(window_);
    AnswerSentMessages();
}

} // namespace gsd
