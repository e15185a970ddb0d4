#include "platform/Win32RunningGame.h"

#include <windows.h>

namespace gsd {

Win32RunningGame::Win32RunningGame(unsigned long answerTimeoutMs)
    : answerTimeoutMs_(answerTimeoutMs)
{
}

GameCloseOutcome Win32RunningGame::AskToClose()
{
    HWND window = ::FindWindowA("Rubbleton: Gravelpit", nullptr);
    if (window == nullptr) {
        return GameCloseOutcome::NotRunning;
    }
    DWORD_PTR ignored = 0;
    if (::SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, answerTimeoutMs_, &ignored)
        != 0) {
        return GameCloseOutcome::Asked;
    }
    // A game that ended between the search and the request has nothing left
    // to close.
    return ::IsWindow(window) ? GameCloseOutcome::NoAnswer : GameCloseOutcome::NotRunning;
}

} // namespace gsd
