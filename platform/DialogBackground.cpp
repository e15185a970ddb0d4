#include "platform/DialogBackground.h"

#include "platform/Handles.h"

namespace gsd {
namespace {

bool IsGroupBox(HWND control)
{
    char className[16] = {};
    ::GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "Button") == 0 && (::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// The control's rectangle in the dialog's client coordinates.
RECT AreaIn(HWND dialog, HWND control)
{
    RECT area {};
    ::GetWindowRect(control, &area);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

void Subtract(HRGN from, const RECT& area)
{
    const unique_hrgn part(::CreateRectRgnIndirect(&area));
    ::CombineRgn(from, from, part.get(), RGN_DIFF);
}

} // namespace

void EraseAroundControls(HWND dialog, HDC dc)
{
    RECT client {};
    ::GetClientRect(dialog, &client);
    const unique_hrgn background(::CreateRectRgnIndirect(&client));
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        // A group box draws only its frame and heading: its inside, and the
        // strip beside its heading, are the dialog's background.
        if (::IsWindowVisible(control) && !IsGroupBox(control)) {
            Subtract(background.get(), AreaIn(dialog, control));
        }
    }
    auto brush = reinterpret_cast<HBRUSH>(
        ::DefWindowProcA(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog)));
    if (brush == nullptr) {
        brush = ::GetSysColorBrush(COLOR_3DFACE);
    }
    ::FillRgn(dc, background.get(), brush);
}

} // namespace gsd
