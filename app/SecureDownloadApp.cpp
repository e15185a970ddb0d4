#include "app/SecureDownloadApp.h"

#include <winsock2.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/SecureDownloadDialog.h"
#include "app/SingleInstance.h"
#include "platform/ResourceStrings.h"
#include "platform/Win32SupportLog.h"
#include "shell/SupportLogLines.h"
#include "resource.h"

namespace gsd {

namespace {

// Windows sockets 1.1, exactly: a layer that offers anything else is refused.
bool StartSockets()
{
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        return false;
    }
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return false;
    }
    return true;
}

class SocketsSession {
public:
    SocketsSession() : started_(StartSockets()) {}
    ~SocketsSession()
    {
        if (started_) {
            ::WSACleanup();
        }
    }
    SocketsSession(const SocketsSession&) = delete;
    SocketsSession& operator=(const SocketsSession&) = delete;
    explicit operator bool() const noexcept { return started_; }

private:
    bool started_;
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

int SecureDownloadApp::Start(HINSTANCE instance)
{
    SocketsSession sockets;
    if (!sockets) {
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
    Win32SupportLog().Write(StartLogLine(ProgramVersion(), static_cast<int>(sizeof(void*) * 8)));

    SecureDownloadDialog dialog(instance);
    dialog.Run();
    return 0;
}

} // namespace gsd
