// "Rubbleton Gravelpit.exe" of the demo: a window of the game's class that the
// download client can find and ask to close, and that it can start again when
// a download is over. It keeps a journal, "StandInGame.log" in the game folder
// (its current directory), with a line when it starts, naming the program
// that started it ("started by explorer.exe": the desktop's shell), and one
// for each close request.
//
// GSD_GAME_IGNORE_CLOSE=1 makes it a game that hangs: a close request is
// journalled and then not answered for two minutes, for checking that the
// client does not wait on such a game for ever.

#include "DemoSupport.h"

#include "platform/Handles.h"

#include <tlhelp32.h>

#include <cstring>
#include <string>

namespace {

constexpr const char* kWindowClass = "Rubbleton: Gravelpit";
constexpr const char* kWindowTitle = "Rubbleton: Gravelpit (stand-in)";
constexpr DWORD kHangMs = 120 * 1000;

std::string JournalPath()
{
    return gsd::demo::CurrentFolder() + "\\StandInGame.log";
}

// The file name of the program that started this one; "?" when unknown.
std::string ParentProgram()
{
    // The snapshot fails with INVALID_HANDLE_VALUE, as files do.
    const gsd::unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry {};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = snapshot && ::Process32First(snapshot.get(), &entry); more;
         more = ::Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId()) {
            parent = entry.th32ParentProcessID;
        }
    }
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && ::Process32First(snapshot.get(), &entry); more;
         more = ::Process32Next(snapshot.get(), &entry)) {
        if (parent != 0 && entry.th32ProcessID == parent) {
            return entry.szExeFile;
        }
    }
    return "?";
}

bool IgnoresCloseRequests()
{
    char value[4];
    const DWORD n = ::GetEnvironmentVariableA("GSD_GAME_IGNORE_CLOSE", value, sizeof value);
    return n > 0 && n < sizeof value && std::strcmp(value, "1") == 0;
}

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(window, &paint);
    RECT client;
    ::GetClientRect(window, &client);
    ::DrawTextA(dc, "The game would be playing here.", -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        gsd::demo::AppendJournalLine(JournalPath(), "close requested");
        if (IgnoresCloseRequests()) {
            ::Sleep(kHangMs);
            return 0;
        }
        // The window's owner in WinMain destroys it once the loop has ended.
        ::PostQuitMessage(0);
        return 0;
    case WM_PAINT:
        Paint(window);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = &GameWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kWindowClass;
    if (::RegisterClassA(&windowClass) == 0) {
        return 1;
    }
    gsd::unique_hwnd window(::CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
        CW_USEDEFAULT, 480, 240, nullptr, nullptr, instance, nullptr));
    if (!window) {
        return 1;
    }
    gsd::demo::AppendJournalLine(JournalPath(), "started by " + ParentProgram());
    ::ShowWindow(window.get(), showCommand);
    ::UpdateWindow(window.get());

    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
