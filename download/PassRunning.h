// One pass at a time: a download and a verify each run while the windows
// answer, so a press of the button, the window menu's verify or a close can
// arrive inside either. The pass that runs holds this.
#pragma once

#include "shell/MainDialogState.h"

namespace gsd {

// The pass runs while this lives; a close asked in an earlier one is
// forgotten.
class PassRunning {
public:
    explicit PassRunning(MainDialogState& state)
        : state_(state)
    {
        state_.PassRunning = true;
        state_.CloseAsked = false;
    }
    ~PassRunning() { state_.PassRunning = false; }
    PassRunning(const PassRunning&) = delete;
    PassRunning& operator=(const PassRunning&) = delete;

private:
    MainDialogState& state_;
};

} // namespace gsd
