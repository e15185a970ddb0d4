#include "platform/Win32MainWindow.h"

#include <string>

#include "platform/DisabledOwnerKept.h"
#include "platform/SentMessages.h"
#include "shell/SupportLogLines.h"
#include "res/resource.h"

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
    closedByTheProgram_ = true;
    ::PostMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::SendClose()
{
    closedByTheProgram_ = true;
    ::SendMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::SetCaption(std::string_view text)
{
    ::SetWindowTextA(window_, std::string(text).c_str());
}

void Win32MainWindow::SetControlText(int controlId, std::string_view text)
{
    ::SetDlgItemTextA(window_, controlId, std::string(text).c_str());
}

void Win32MainWindow::EnableControl(int controlId, bool enabled)
{
    ::EnableWindow(::GetDlgItem(window_, controlId), enabled ? TRUE : FALSE);
}

void Win32MainWindow::EndDialog(int result)
{
    ::EndDialog(window_, result);
}

void Win32MainWindow::SetBusy(bool busy)
{
    ::EnableWindow(window_, busy ? FALSE : TRUE);
}

void Win32MainWindow::Repaint()
{
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
    if (--repaintsGathered_ > 0) {
        return;
    }
    // At once, before the caller goes on: were a message box or the status
    // dialog to open while this dialog still waits for its painting, the two
    // would be painted interleaved, and a control could be seen erased and
    // not yet drawn for as long as the new window takes. Other programs get
    // their answers just before it (rewriting a hundred rows and painting
    // the dialog took 115 ms together under Wine) and again after it, which
    // also lets the system show the new picture there and then.
    AnswerSentMessages();
    PaintWhatWaits(window_);
    AnswerSentMessages();
}

} // namespace gsd
