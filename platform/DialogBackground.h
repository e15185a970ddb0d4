// Erasing a dialog's background without wiping its controls. The default
// erase fills the whole client area, under the controls too, and the
// controls then repaint one after the other: a dialog repainted while its
// thread is busy is seen with controls missing until the last has painted
// (under Wine every finished paint is shown at once).
#pragma once

#include <windows.h>

namespace gsd {

// Fills the client area of `dialog` on `dc` with the dialog's background
// brush (WM_CTLCOLORDLG), leaving out every visible control but group boxes,
// whose inside is the dialog's background; they are drawn again with the
// other controls when the dialog is repainted with its children.
void EraseAroundControls(HWND dialog, HDC dc);

} // namespace gsd
