// Where the start-up status and connection dialogs are placed on screen.
#pragma once

namespace gsd {

// Where a status or connection dialog goes: its top-left corner at half the
// full-screen client size less (200, 100) pixels, integer division, no
// clamping (a narrow screen gives a negative position).
struct DialogOrigin {
    int x;
    int y;
    bool operator==(const DialogOrigin&) const = default;
};
DialogOrigin CentredDialogOrigin(int fullScreenWidth, int fullScreenHeight);

} // namespace gsd
