#include "app/SecureDownloadApp.h"

#include <winsock2.h>
#include <commctrl.h>

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
