#include "app/SingleInstance.h"

namespace gsd {

namespace {

// Download records and the temporary download file are shared by every user
// of the machine, so the guard is machine-wide where the system allows it.
constexpr const char* GlobalMutexName = "Global\\RubbletonGravelpitSecureDownload";
constexpr const char* LocalMutexName = "Local\\RubbletonGravelpitSecureDownload";
constexpr const char* MainDialogProperty = "RubbletonGravelpitSecureDownload.MainDialog";

// The running copy may still be starting: its dialog appears moments after
// its mutex. Wait this long for it before giving up quietly.
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
