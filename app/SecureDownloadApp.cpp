#include "app/SecureDownloadApp.h"

#include <winsock2.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/SecureDownloadDialog.h"
#include "app/SingleInstance.h"
#include "platform/GamePaths.h"
#include "platform/ResourceStrings.h"
#include "platform/Win32SupportLog.h"
#include "platform/Win32UnexpectedEnd.h"
#include "shell/UnexpectedEnd.h"
#include "shell/SupportLogLines.h"
#include "resource.h"

namespace gsd {

namespace {

// Windows sockets 1.1, exactly: a layer that offers anything else is refused.
// The error WSAStartup reported, WSAVERNOTSUPPORTED for another version, 0
// when started.
int StartSockets()
{
    WSADATA data{};
    if (const int error = ::WSAStartup(MAKEWORD(1, 1), &data); error != 0) {
        return error;
    }
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return WSAVERNOTSUPPORTED;
    }
    return 0;
}

class SocketsSession {
public:
    SocketsSession() : error_(StartSockets()) {}
    ~SocketsSession()
    {
        if (error_ == 0) {
            ::WSACleanup();
        }
    }
    SocketsSession(const SocketsSession&) = delete;
    SocketsSession& operator=(const SocketsSession&) = delete;
    explicit operator bool() const noexcept { return error_ == 0; }
    [[nodiscard]] int Error() const noexcept { return error_; }

private:
    int error_;
};

// COM for this thread, the window thread, as a single-threaded apartment:
// the desktop's shell that starts the game is reached through it.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment()
    {
        if (initialised_) {
            ::CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

} // namespace

int SecureDownloadApp::Start(HINSTANCE instance, std::string_view gameFolderLine)
{
    SocketsSession sockets;
    if (!sockets) {
        Win32SupportLog().Write(
            UnexpectedEndLogLine(FailedCallDetails("WSAStartup", static_cast<std::uint32_t>(sockets.Error()))));
        ::MessageBoxA(nullptr, LoadResourceString(instance, IDS_SOCKETS_INIT_FAILED).c_str(),
                      "Gravelpit Secure Download", MB_OK);
        return 1;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    const ComApartment com;
    SingleInstance instanceGuard;
    if (!instanceGuard.Claim()) {
        return 0;
    }
    Win32SupportLog().Write(StartLogLine(ProgramVersion(), static_cast<int>(sizeof(void*) * 8), ShownGameFolder()));
    if (!gameFolderLine.empty()) {
        Win32SupportLog().Write(gameFolderLine);
    }

    SecureDownloadDialog dialog(instance);
    if (!dialog.Run()) {
        ReportUnexpectedEnd(FailedCallDetails("DialogBoxParamA", static_cast<std::uint32_t>(::GetLastError())));
        return 1;
    }
    return 0;
}

} // namespace gsd
