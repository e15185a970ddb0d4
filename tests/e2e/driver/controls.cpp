#include "controls.h"

#include <stdexcept>

namespace gsd::e2e {

LRESULT SendAndWait(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, milliseconds timeout)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(window, msg, wparam, lparam, SMTO_NORMAL, static_cast<UINT>(timeout.count()), &answer)) {
        throw std::runtime_error("window " + std::to_string(reinterpret_cast<uintptr_t>(window))
            + " did not answer message " + std::to_string(msg) + " (error " + std::to_string(GetLastError()) + ")");
    }
    return static_cast<LRESULT>(answer);
}

std::string ClassNameOf(HWND window)
{
    char name[256];
    const int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

std::string Caption(HWND window)
{
    char text[1024];
    const int n = GetWindowTextA(window, text, sizeof text);
    return std::string(text, n > 0 ? n : 0);
}

HWND Control(HWND dialog, int id)
{
    return GetDlgItem(dialog, id);
}

std::string WindowText(HWND window)
{
    if (!IsWindow(window))
        return {};
    const std::string cls = ClassNameOf(window);
    if (_stricmp(cls.c_str(), "Static") == 0 || _stricmp(cls.c_str(), "Button") == 0) {
        // These keep their text as the window's own, which can be read
        // without the program's help: a status line stays readable while
        // the program is blocked in a network call.
        const std::wstring wide = WideWindowText(window);
        const int n = static_cast<int>(wide.size());
        std::string text(static_cast<size_t>(n) * 2 + 1, '\0');
        const int bytes = WideCharToMultiByte(
            CP_ACP, 0, wide.data(), n, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(bytes > 0 ? bytes : 0);
        return text;
    }
    // WM_GETTEXTLENGTH may overstate (never understate) the length.
    std::string text(static_cast<size_t>(SendAndWait(window, WM_GETTEXTLENGTH)) + 1, '\0');
    text.resize(
        static_cast<size_t>(SendAndWait(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring WideWindowText(HWND window)
{
    wchar_t wide[4096];
    const int n = InternalGetWindowText(window, wide, static_cast<int>(std::size(wide)));
    return std::wstring(wide, n > 0 ? n : 0);
}

std::string ControlText(HWND dialog, int id)
{
    HWND control = Control(dialog, id);
    return control ? WindowText(control) : std::string();
}

bool IsVisible(HWND dialog, int id)
{
    HWND control = Control(dialog, id);
    return control && (GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsEnabled(HWND dialog, int id)
{
    HWND control = Control(dialog, id);
    return control && IsWindowEnabled(control);
}

bool Click(HWND dialog, int id)
{
    if (!IsVisible(dialog, id) || !IsEnabled(dialog, id))
        return false;
    return PostMessageA(Control(dialog, id), BM_CLICK, 0, 0) != FALSE;
}

void SendSysCommand(HWND window, WPARAM command)
{
    PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

void Close(HWND window)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
}

} // namespace gsd::e2e
