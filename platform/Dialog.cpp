#include "platform/Dialog.h"

#include <exception>
#include <string>

#include "platform/WindowThread.h"

namespace gsd {

namespace {

// A failure inside a message handler must not unwind through the window
// manager: tell the user what happened and carry on with the default handling.
void ReportUnexpected(HWND window, const char* what)
{
    std::string text = "An unexpected error occurred: ";
    text += what;
    ::MessageBoxA(window, text.c_str(), "Error!", MB_OK | MB_ICONERROR);
}

} // namespace

INT_PTR Dialog::RunModal(HINSTANCE instance, int templateId, HWND owner)
{
    CheckWindowThread("Dialog::RunModal");
    modal_ = true;
    return ::DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, &Dialog::Procedure,
                             reinterpret_cast<LPARAM>(this));
}

HWND Dialog::CreateModeless(HINSTANCE instance, int templateId, HWND owner)
{
    CheckWindowThread("Dialog::CreateModeless");
    modal_ = false;
    return ::CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), owner, &Dialog::Procedure,
                                reinterpret_cast<LPARAM>(this));
}

bool Dialog::OnCommand(int, int, HWND)
{
    return false;
}

bool Dialog::OnNotify(NMHDR&)
{
    return false;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&)
{
    return false;
}

void Dialog::SetMsgResult(LRESULT result) const
{
    ::SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
}

bool Dialog::DefaultCommand(int id)
{
    if (id != IDOK && id != IDCANCEL) {
        return false;
    }
    if (modal_) {
        ::EndDialog(window_, id);
    } else {
        ::ShowWindow(window_, SW_HIDE);
    }
    return true;
}

INT_PTR Dialog::Route(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (OnCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
            return TRUE;
        }
        return DefaultCommand(id) ? TRUE : FALSE;
    }
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam)) ? TRUE : FALSE;
    default: {
        INT_PTR result = FALSE;
        return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->window_ = window;
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    }
    if (self == nullptr) {
        return FALSE;
    }
    try {
        const INT_PTR result = self->Route(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            self->window_ = nullptr;
        }
        return result;
    } catch (const std::exception& error) {
        ReportUnexpected(window, error.what());
    } catch (...) {
        ReportUnexpected(window, "unknown failure");
    }
    return FALSE;
}

} // namespace gsd
