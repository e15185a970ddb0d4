// The RunningGame port: the game's window, found by its class, sent a close
// request with a time limit.
#pragma once

#include "ports/RunningGame.h"

namespace gsd {

class Win32RunningGame final : public RunningGame {
public:
    // `answerTimeoutMs`: how long a close request may take to be handled.
    explicit Win32RunningGame(unsigned long answerTimeoutMs = 15000);

    // FindWindowA("Rubbleton: Gravelpit", nullptr), then WM_CLOSE through
    // SendMessageTimeoutA with SMTO_NORMAL | SMTO_ABORTIFHUNG: Asked when it
    // was handled, NoAnswer when it timed out or the window hangs, NotRunning
    // when there is no window or it went away before it was asked.
    GameCloseOutcome AskToClose() override;

private:
    unsigned long answerTimeoutMs_;
};

} // namespace gsd
