#include "app/SingleInstance.h"

namespace gsd {

namespace {

// Download records and the temporary download file are shared by every user
// of the machine, so the guard is machine-wide where the system allows it.
constexpr const char* GlobalMutexName = "Global\\RubbletonGravelpitSecureDownload";
constexpr const char* LocalMutexName = "Local\\RubbletonGravelpitSecureDownload";
constexpr const char* MainDialogProperty = "RubbletonGravelpitSecureDownload.MainDialog";

constexpr const char* RunningElsewhereCaption = "Gravelpit Secure Download";
constexpr const char* RunningElsewhereText
    = "Gravelpit Secure Download is already running on this computer, but its window cannot be shown here "
      "(another user may be running it).  Only one copy can run at a time.";

// The running copy may still be starting: its dialog appears moments after
// its mutex. Wait this long for it before telling the user.
constexpr DWORD FindWindowPatienceMs = 3000;
constexpr DWORD FindWindowPollMs = 50;

BOOL CALLBACK FindMarkedWindow(HWND window, LPARAM found)
{
    if (::GetPropA(window, MainDialogProperty) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindRunningMainDialog()
{
    for (DWORD waited = 0;; waited += FindWindowPollMs) {
        HWND found = nullptr;
        ::EnumWindows(&FindMarkedWindow, reinterpret_cast<LPARAM>(&found));
        if (found != nullptr || waited >= FindWindowPatienceMs) {
            return found;
        }
        ::Sleep(FindWindowPollMs);
    }
}

} // namespace

bool SingleInstance::Claim()
{
    mutex_.reset(::CreateMutexA(nullptr, FALSE, GlobalMutexName));
    if (!mutex_ && ::GetLastError() == ERROR_ACCESS_DENIED) {
        mutex_.reset(::CreateMutexA(nullptr, FALSE, LocalMutexName));
    }
    if (!mutex_ || ::GetLastError() != ERROR_ALREADY_EXISTS) {
        // Without a mutex at all nothing can be detected; running is better
        // than refusing to start.
        return true;
    }
    mutex_.reset();
    if (HWND running = FindRunningMainDialog()) {
        if (::IsIconic(running)) {
            ::ShowWindow(running, SW_RESTORE);
        }
        ::SetForegroundWindow(running);
    } else {
        // The other copy runs where its window cannot be reached, most
        // likely in another user's session: say why nothing appears.
        ::MessageBoxA(nullptr, RunningElsewhereText, RunningElsewhereCaption, MB_OK | MB_ICONINFORMATION);
    }
    return false;
}

void SingleInstance::MarkMainDialog(HWND dialog)
{
    ::SetPropA(dialog, MainDialogProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
}

void SingleInstance::UnmarkMainDialog(HWND dialog)
{
    ::RemovePropA(dialog, MainDialogProperty);
}

} // namespace gsd
