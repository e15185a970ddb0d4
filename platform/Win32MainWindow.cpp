#include "platform/Win32MainWindow.h"

#include <string>

#include "platform/DisabledOwnerKept.h"
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

} // namespace

Win32MainWindow::Win32MainWindow(HWND window)
    : window_(window),
      localList_(::GetDlgItem(window, IDC_LOCAL_LIST)),
      serverList_(::GetDlgItem(window, IDC_SERVER_LIST))
{
}

MessageAnswer Win32MainWindow::ShowMessage(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    const std::string textZ(text);
    const std::string captionZ(caption);
    const DisabledOwnerKept busy(window_);
    return Answer(::MessageBoxA(window_, textZ.c_str(), captionZ.c_str(), ButtonStyle(buttons)));
}

void Win32MainWindow::PostClose()
{
    ::PostMessageA(window_, WM_CLOSE, 0, 0);
}

void Win32MainWindow::SendClose()
{
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
    ::InvalidateRect(window_, nullptr, TRUE);
    ::UpdateWindow(window_);
}

} // namespace gsd
