#include "list_view.h"

#include "controls.h"
#include "remote_memory.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace gsd::e2e {
namespace {

// Longest cell or heading text read; longer texts come back cut.
constexpr size_t kTextCapacity = 1024;

// A row click that has not shown in the selection by then, with the list
// answering, was lost; ClickRow tries this many times in all.
constexpr milliseconds kClickLandsWithin { 3000 };
constexpr int kClickAttempts = 3;

// Rectangle of part (LVIR_LABEL, ...) of row, in the list's client area.
RECT ItemRect(HWND list, int row, int part)
{
    RemoteMemory memory(list, sizeof(RECT));
    RECT rect {};
    rect.left = part;
    memory.Put(rect);
    if (!SendAndWait(list, LVM_GETITEMRECT, row, memory.Param()))
        return RECT {};
    return memory.Get<RECT>();
}

INPUT KeyInput(WORD key, DWORD flags)
{
    INPUT input {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

INPUT MouseInput(DWORD flags)
{
    INPUT input {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

} // namespace

int ListRowCount(HWND list)
{
    return static_cast<int>(SendAndWait(list, LVM_GETITEMCOUNT));
}

int FocusedRow(HWND list)
{
    return static_cast<int>(SendAndWait(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

RECT RowOnScreen(HWND list, int row)
{
    RECT rect = ItemRect(list, row, LVIR_BOUNDS);
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PressKey(HWND control, WORD key)
{
    const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    const bool extended = key == VK_HOME || key == VK_END || key == VK_PRIOR || key == VK_NEXT || key == VK_UP
        || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT;
    // Repeat count 1, the scan code, the extended-key flag; a key-up also
    // has the previous-state and transition flags.
    const DWORD down = 1u | (scan << 16) | (extended ? 1u << 24 : 0u);
    const DWORD up = down | 1u << 30 | 1u << 31;
    PostMessageA(control, WM_KEYDOWN, key, static_cast<LPARAM>(down));
    PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(up));
}

HWND FocusedControl(HWND dialog)
{
    GUITHREADINFO info {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

int ListColumnCount(HWND list)
{
    HWND header = reinterpret_cast<HWND>(SendAndWait(list, LVM_GETHEADER));
    return header ? static_cast<int>(SendAndWait(header, HDM_GETITEMCOUNT)) : 0;
}

std::vector<std::string> ListHeadings(HWND list)
{
    const int count = ListColumnCount(list);
    RemoteMemory memory(list, sizeof(LVCOLUMNA) + kTextCapacity);
    std::vector<std::string> headings;
    for (int column = 0; column < count; ++column) {
        LVCOLUMNA request {};
        request.mask = LVCF_TEXT;
        request.pszText = static_cast<char*>(memory.Address(sizeof request));
        request.cchTextMax = kTextCapacity;
        memory.Put(request);
        memory.Put('\0', sizeof request);
        SendAndWait(list, LVM_GETCOLUMNA, column, memory.Param());
        char text[kTextCapacity] = {};
        memory.Read(text, kTextCapacity - 1, sizeof request);
        headings.emplace_back(text);
    }
    return headings;
}

std::string ListCell(HWND list, int row, int column)
{
    RemoteMemory memory(list, sizeof(LVITEMA) + kTextCapacity);
    LVITEMA request {};
    request.iSubItem = column;
    request.pszText = static_cast<char*>(memory.Address(sizeof request));
    request.cchTextMax = kTextCapacity;
    memory.Put(request);
    const auto length = static_cast<size_t>(SendAndWait(list, LVM_GETITEMTEXTA, row, memory.Param()));
    std::string text(std::min(length, kTextCapacity - 1), '\0');
    memory.Read(text.data(), text.size(), sizeof request);
    return text;
}

std::vector<std::vector<std::string>> ListRows(HWND list)
{
    const int rows = ListRowCount(list);
    const int columns = std::max(ListColumnCount(list), 1);
    std::vector<std::vector<std::string>> cells(rows);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column)
            cells[row].push_back(ListCell(list, row, column));
    }
    return cells;
}

std::vector<int> SelectedRows(HWND list)
{
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(SendAndWait(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0) {
        rows.push_back(row);
    }
    return rows;
}

void BringForwardAt(HWND control, POINT screen)
{
    if (WindowFromPoint(screen) != control) {
        HWND root = GetAncestor(control, GA_ROOT);
        SetWindowPos(root, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(root);
        WaitUntil([&] { return WindowFromPoint(screen) == control; }, milliseconds(2000));
    }
}

namespace {

using Clock = std::chrono::steady_clock;

std::string RowList(const std::vector<int>& rows)
{
    std::string text = "{";
    for (int row : rows)
        text += (text.size() > 1 ? "," : "") + std::to_string(row);
    return text + "}";
}

// Wine brings its idea of the modifier keys in line with the X server's
// whenever one of its windows gains the focus. The X server never saw a
// Ctrl sent with SendInput, so a focus change that the program takes while
// Ctrl is held releases it, and the click lands as a plain one. Let the
// focus settle before Ctrl goes down.
void SettleFocus(HWND list)
{
    HWND root = GetAncestor(list, GA_ROOT);
    if (GetForegroundWindow() != root) {
        SetForegroundWindow(root);
        WaitUntil([&] { return GetForegroundWindow() == root; }, milliseconds(2000));
    }
    Sleep(50);
    // The program takes its queued focus events before it answers this.
    SendAndWait(list, WM_NULL);
}

bool ClickRowBefore(HWND list, int row, bool ctrl, Clock::time_point deadline, int reselections);

// Selects rows again from scratch: a plain click on the first, Ctrl clicks
// on the others.
bool SelectAgain(HWND list, const std::vector<int>& rows, Clock::time_point deadline, int reselections)
{
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!ClickRowBefore(list, rows[i], i > 0, deadline, reselections))
            return false;
    }
    return true;
}

bool ClickRowBefore(HWND list, int row, bool ctrl, Clock::time_point deadline, int reselections)
{
    if (row < 0 || row >= ListRowCount(list))
        return false;
    SendAndWait(list, LVM_ENSUREVISIBLE, row, FALSE);
    const RECT cell = ItemRect(list, row, LVIR_LABEL);
    RECT client {};
    GetClientRect(list, &client);
    // A wide first column may reach past the list's right edge.
    POINT point { (cell.left + std::min(cell.right, client.right)) / 2, (cell.top + cell.bottom) / 2 };
    ClientToScreen(list, &point);

    const std::vector<int> before = SelectedRows(list);
    std::vector<int> expected = before;
    if (!ctrl) {
        expected = { row };
    } else if (auto it = std::find(expected.begin(), expected.end(), row); it != expected.end()) {
        expected.erase(it);
    } else {
        expected.insert(std::upper_bound(expected.begin(), expected.end(), row), row);
    }
    const auto remaining = [&] {
        return std::max(std::chrono::duration_cast<milliseconds>(deadline - Clock::now()), milliseconds(0));
    };
    for (int attempt = 1;; ++attempt) {
        BringForwardAt(list, point);
        if (ctrl)
            SettleFocus(list);
        {
            // Ctrl stays down until the list has taken the click, whenever
            // it reads the key state.
            std::optional<HeldKey> held;
            if (ctrl) {
                held.emplace(VK_CONTROL);
                WaitUntil([] { return (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0; }, milliseconds(1000));
            }
            ClickAt(point);
            const milliseconds wait = attempt < kClickAttempts ? std::min(kClickLandsWithin, remaining()) : remaining();
            if (WaitUntil([&] { return SelectedRows(list) == expected; }, wait))
                return true;
        }
        const std::vector<int> now = SelectedRows(list);
        if (ctrl && now == std::vector<int> { row } && reselections > 0) {
            std::fprintf(stderr, "ClickRow: Ctrl was lost on the click on row %d; selecting %s again\n", row,
                RowList(expected).c_str());
            return SelectAgain(list, expected, deadline, reselections - 1);
        }
        // On a loaded shared display a click is now and then lost
        // altogether. Click again only when it surely was: the list answers
        // (so the click is not still queued) and nothing changed; a second
        // click after one that did land would undo a Ctrl toggle.
        if (attempt == kClickAttempts || remaining() <= milliseconds(0) || now != before) {
            std::fprintf(stderr, "ClickRow: %s click on row %d: selected %s, was %s, expected %s\n",
                ctrl ? "Ctrl" : "plain", row, RowList(now).c_str(), RowList(before).c_str(),
                RowList(expected).c_str());
            return false;
        }
        std::fprintf(stderr, "ClickRow: click on row %d at (%ld, %ld) was lost; clicking again\n", row,
            static_cast<long>(point.x), static_cast<long>(point.y));
    }
}

} // namespace

bool ClickRow(HWND list, int row, bool ctrl, milliseconds timeout)
{
    // One fresh selection after a lost Ctrl; a second loss fails the click.
    return ClickRowBefore(list, row, ctrl, Clock::now() + timeout, 1);
}

HeldKey::HeldKey(WORD key)
    : key_(key)
{
    INPUT input = KeyInput(key_, 0);
    SendInput(1, &input, sizeof input);
}

HeldKey::~HeldKey()
{
    INPUT input = KeyInput(key_, KEYEVENTF_KEYUP);
    SendInput(1, &input, sizeof input);
}

void ClickAt(POINT screen)
{
    static POINT last_point { -1000, -1000 };
    static DWORD last_time = 0;
    const int near_x = GetSystemMetrics(SM_CXDOUBLECLK) / 2 + 1;
    const int near_y = GetSystemMetrics(SM_CYDOUBLECLK) / 2 + 1;
    if (std::abs(screen.x - last_point.x) < near_x && std::abs(screen.y - last_point.y) < near_y) {
        const DWORD since = GetTickCount() - last_time;
        if (since <= GetDoubleClickTime())
            Sleep(GetDoubleClickTime() - since + 50);
    }
    SetCursorPos(screen.x, screen.y);
    INPUT inputs[] = { MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP) };
    SendInput(2, inputs, sizeof(INPUT));
    last_point = screen;
    last_time = GetTickCount();
}

} // namespace gsd::e2e
