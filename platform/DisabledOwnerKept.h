// A modal window (a message box, a dialog) enables its owner when it closes,
// also an owner that was disabled before it opened: a main dialog kept
// disabled while a download runs would take input again in the middle of it.
#pragma once

#include <windows.h>

namespace gsd {

// Made before the modal window opens; when it goes, an owner that was
// disabled then is disabled again.
class DisabledOwnerKept {
public:
    explicit DisabledOwnerKept(HWND owner)
        : owner_(owner)
        , wasDisabled_(owner != nullptr && !::IsWindowEnabled(owner))
    {
    }
    ~DisabledOwnerKept()
    {
        if (wasDisabled_) {
            ::EnableWindow(owner_, FALSE);
        }
    }
    DisabledOwnerKept(const DisabledOwnerKept&) = delete;
    DisabledOwnerKept& operator=(const DisabledOwnerKept&) = delete;

private:
    HWND owner_;
    bool wasDisabled_;
};

} // namespace gsd
