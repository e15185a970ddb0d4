// Makes sure only one copy of the program runs. A named mutex detects a
// running copy whatever language its window caption is in; the running copy's
// main dialog carries a window property by which the new copy finds it.
#pragma once

#include <windows.h>

#include "platform/Handles.h"

namespace gsd {

class SingleInstance {
public:
    // Claims the program's single-instance mutex. When another copy holds it,
    // brings that copy's main dialog to the front (or, when its window
    // cannot be found, says so in a message box) and returns false.
    bool Claim();

    // Marks `dialog` as this copy's main dialog, so a later copy can find it.
    static void MarkMainDialog(HWND dialog);
    // Removes the mark before the dialog is destroyed.
    static void UnmarkMainDialog(HWND dialog);

private:
    unique_handle mutex_;
};

} // namespace gsd
