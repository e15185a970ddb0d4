#include "platform/Win32MessagePump.h"

#include <windows.h>

#include "platform/MessageWait.h"

namespace gsd {

void Win32MessagePump::HandlePendingMessages()
{
    MSG message {};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Not ours to act on: it goes back to the loop that waits for
            // it, once the waits that handle messages meanwhile are over.
            if (!KeepQuitForWaitEnd(static_cast<int>(message.wParam))) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
            }
            return;
        }
        HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && ::IsDialogMessageA(root, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

} // namespace gsd
