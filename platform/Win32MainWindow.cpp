#include "platform/Win32MainWindow.h"

#include <string>

namespace gsd {

namespace {

UINT ButtonStyle(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
        return MB_OKCANCEL;
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

MessageAnswer Win32MainWindow::ShowMessage(std::string_view text, std::string_view caption, MessageButtons buttons)
{
    const std::string textZ(text);
    const std::string captionZ(caption);
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

void Win32MainWindow::Repaint()
{
    ::InvalidateRect(window_, nullptr, TRUE);
    ::UpdateWindow(window_);
}

} // namespace gsd
