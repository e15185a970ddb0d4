#include "platform/Win32ListView.h"

#include <algorithm>

#include "platform/WindowThread.h"
#include "shell/SelectionColours.h"
#include "texts/ListColumns.h"

namespace gsd {

namespace {

// The list view copies the text it is given; the const_cast only satisfies
// the structure's non-const field.
LPSTR TextField(const std::string& text)
{
    return const_cast<LPSTR>(text.c_str());
}

// Holds a control's painting for its life, then has it repaint whole at
// once: the thread may not handle messages for a while (a download goes on
// with its next item).
class RedrawHeld {
public:
    explicit RedrawHeld(HWND control) : control_(control) { ::SendMessageA(control_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawHeld()
    {
        ::SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
        ::RedrawWindow(control_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    }
    RedrawHeld(const RedrawHeld&) = delete;
    RedrawHeld& operator=(const RedrawHeld&) = delete;

private:
    HWND control_;
};

Rgb RgbOf(COLORREF colour)
{
    return { GetRValue(colour), GetGValue(colour), GetBValue(colour) };
}

// A list's own colour, or the system's when the list has none of its own.
COLORREF ListColour(HWND control, UINT message, int systemColour)
{
    const auto colour = static_cast<COLORREF>(::SendMessageA(control, message, 0, 0));
    return colour == CLR_NONE || colour == CLR_DEFAULT ? ::GetSysColor(systemColour) : colour;
}

} // namespace

void Win32ListView::SetFullRowSelect()
{
    ::SendMessageA(control_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void Win32ListView::AddColumn(int index, std::string_view heading, int width)
{
    const std::string text(heading);
    LVCOLUMNA column{};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = TextField(text);
    column.iSubItem = index;
    ::SendMessageA(control_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void Win32ListView::DeleteAllRows()
{
    CheckWindowThread("Win32ListView::DeleteAllRows");
    const OwnChange own(ownChanges_);
    ::SendMessageA(control_, LVM_DELETEALLITEMS, 0, 0);
}

int Win32ListView::InsertRow(const std::vector<std::string>& columns)
{
    CheckWindowThread("Win32ListView::InsertRow");
    const OwnChange own(ownChanges_);
    const std::string empty;
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = TextField(columns.empty() ? empty : columns.front());
    const int index = static_cast<int>(::SendMessageA(control_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) {
        return -1;
    }
    for (size_t column = 1; column < columns.size(); ++column) {
        LVITEMA sub{};
        sub.iSubItem = static_cast<int>(column);
        sub.pszText = TextField(columns[column]);
        ::SendMessageA(control_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
    }
    return index;
}

void Win32ListView::InsertRows(const std::vector<std::vector<std::string>>& rows)
{
    CheckWindowThread("Win32ListView::InsertRows");
    // Painting held, an insertion no longer recomputes the scroll range and
    // invalidates its row each time, work that grows with every cell of
    // the list.
    const OwnChange own(ownChanges_);
    const RedrawHeld held(control_);
    for (const std::vector<std::string>& row : rows) {
        InsertRow(row);
    }
}

void Win32ListView::ReplaceAllRows(const std::vector<std::vector<std::string>>& rows)
{
    CheckWindowThread("Win32ListView::ReplaceAllRows");
    // Only the unsorted list ("My Computer") is ever refilled this way: a
    // sorted control would move each row as it is rewritten.
    const OwnChange own(ownChanges_);
    const RedrawHeld held(control_);
    // Emptied, the control hides its scroll bars and repaints at once, held
    // or not (seen under Wine): it would be seen empty. So the rows are
    // rewritten where they stand, and only the difference in number is
    // inserted or deleted, at the end. Each row inserted at the top would
    // end up above the ones before it: the last row comes first.
    const int wanted = static_cast<int>(rows.size());
    for (int count = RowCount(); count > wanted; --count) {
        DeleteRow(count - 1);
    }
    for (int count = RowCount(); count < wanted; ++count) {
        LVITEMA item {};
        item.mask = LVIF_TEXT;
        item.iItem = count;
        item.pszText = const_cast<LPSTR>("");
        ::SendMessageA(control_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    const int columns = static_cast<int>(
        ::SendMessageA(reinterpret_cast<HWND>(::SendMessageA(control_, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
    const std::string empty;
    for (int index = 0; index < wanted; ++index) {
        const std::vector<std::string>& row = rows[static_cast<std::size_t>(wanted - 1 - index)];
        for (int column = 0; column < std::max(columns, static_cast<int>(row.size())); ++column) {
            LVITEMA cell {};
            cell.iSubItem = column;
            const auto at = static_cast<std::size_t>(column);
            cell.pszText = TextField(at < row.size() ? row[at] : empty);
            ::SendMessageA(control_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&cell));
        }
    }
    // New rows are not selected, as after emptying the control.
    LVITEMA state {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(control_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
}

int Win32ListView::RowCount() const
{
    return static_cast<int>(::SendMessageA(control_, LVM_GETITEMCOUNT, 0, 0));
}

int Win32ListView::NextSelectedRow(int after) const
{
    return static_cast<int>(::SendMessageA(control_, LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(LVNI_SELECTED, 0)));
}

int Win32ListView::SelectedRowCount() const
{
    return static_cast<int>(::SendMessageA(control_, LVM_GETSELECTEDCOUNT, 0, 0));
}

std::string Win32ListView::CellText(int row, int column) const
{
    // File names and descriptions fit; a longer text is cut, never overrun.
    std::string text(1024, '\0');
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = ::SendMessageA(control_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

void Win32ListView::SelectRow(int row)
{
    CheckWindowThread("Win32ListView::SelectRow");
    const OwnChange own(ownChanges_);
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageA(control_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::DeleteRow(int row)
{
    CheckWindowThread("Win32ListView::DeleteRow");
    const OwnChange own(ownChanges_);
    ::SendMessageA(control_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

RowStateChange Win32ListView::ChangeOf(const NMLISTVIEW& notification) const
{
    RowStateChange change;
    change.ListId = static_cast<int>(notification.hdr.idFrom);
    change.Row = notification.iItem;
    change.StateChanged = (notification.uChanged & LVIF_STATE) != 0;
    change.WasFocused = (notification.uOldState & LVIS_FOCUSED) != 0;
    change.IsFocused = (notification.uNewState & LVIS_FOCUSED) != 0;
    change.ByTheProgram = ownChanges_ > 0;
    return change;
}

void Win32ListView::FocusFirstRowWhenNone()
{
    const auto focused = ::SendMessageA(control_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0));
    if (RowCount() == 0 || focused >= 0) {
        return;
    }
    const OwnChange own(ownChanges_);
    LVITEMA item {};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    ::SendMessageA(control_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
}

LRESULT Win32ListView::OnCustomDraw(NMLVCUSTOMDRAW& draw) const
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) {
        return CDRF_NOTIFYITEMDRAW;
    }
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT || ::GetFocus() == control_) {
        return CDRF_DODEFAULT;
    }
    const auto row = static_cast<WPARAM>(draw.nmcd.dwItemSpec);
    if ((::SendMessageA(control_, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) == 0) {
        return CDRF_DODEFAULT;
    }
    const ListColours colours {
        RgbOf(ListColour(control_, LVM_GETBKCOLOR, COLOR_WINDOW)),
        RgbOf(ListColour(control_, LVM_GETTEXTCOLOR, COLOR_WINDOWTEXT)),
        RgbOf(::GetSysColor(COLOR_HIGHLIGHT)),
        RgbOf(::GetSysColor(COLOR_HIGHLIGHTTEXT)),
    };
    const RowColours chosen = UnfocusedSelectionColours(colours);
    // The list would paint a row it draws as selected in its own colours
    // whatever it is given: drawn as an unselected row, it takes these.
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    draw.clrText = RGB(chosen.Text.Red, chosen.Text.Green, chosen.Text.Blue);
    draw.clrTextBk = RGB(chosen.Background.Red, chosen.Background.Green, chosen.Background.Blue);
    return CDRF_NEWFONT;
}

void Win32ListView::RescaleColumns(int fromDpi, int toDpi)
{
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(control_, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        const auto at = static_cast<WPARAM>(column);
        const int width = static_cast<int>(::SendMessageA(control_, LVM_GETCOLUMNWIDTH, at, 0));
        ::SendMessageA(control_, LVM_SETCOLUMNWIDTH, at, MAKELPARAM(ScaledWidth(width, toDpi, fromDpi), 0));
    }
}

} // namespace gsd
