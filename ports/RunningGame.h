// The game, when it runs: found by its window class "Rubbleton: Gravelpit"
// (title ignored). The Win32 adapter sends its window a close request;
// tests script the outcome.
#pragma once

namespace gsd {

enum class GameCloseOutcome {
    // No window of the game was open.
    NotRunning,
    // The game's window has handled the close request.
    Asked,
    // The game did not handle the request in reasonable time; the program
    // goes on without waiting for it any longer.
    NoAnswer,
};

class RunningGame {
public:
    virtual ~RunningGame() = default;

    // Sends the game's window a close request and waits until it has been
    // handled, but never without end.
    virtual GameCloseOutcome AskToClose() = 0;
};

} // namespace gsd
