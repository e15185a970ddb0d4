#include "window_search.h"

#include "controls.h"

#include <algorithm>

namespace gsd::e2e {
namespace {

// The static that carries a message box's text has this id on Windows and
// under Wine.
constexpr int kMessageTextId = 0xFFFF;

struct Search {
    DWORD pid;
    Visibility which;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if ((search->pid == kAnyProcess || pid == search->pid)
        && (search->which == Visibility::kShownOrHidden || IsWindowVisible(window))) {
        search->found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

bool IsStandardButtonId(int id)
{
    return id >= IDOK && id <= IDCONTINUE;
}

} // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, Visibility which)
{
    Search search { pid, which, {} };
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildWindows(HWND parent)
{
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    // EnumChildWindows walks grandchildren too (a list view's header).
    std::erase_if(all, [&](HWND child) { return GetParent(child) != parent; });
    return all;
}

HWND WaitForWindow(DWORD pid, const std::function<bool(HWND)>& match, milliseconds timeout, Visibility which)
{
    return WaitFor(
        [&]() -> HWND {
            for (HWND window : TopLevelWindows(pid, which)) {
                if (match(window))
                    return window;
            }
            return nullptr;
        },
        timeout);
}

HWND WaitForWindow(DWORD pid, const std::string& caption, milliseconds timeout)
{
    return WaitForWindow(
        pid, [&](HWND window) { return Caption(window) == caption; }, timeout);
}

bool WaitForNoWindow(DWORD pid, const std::function<bool(HWND)>& match, milliseconds timeout)
{
    return WaitUntil(
        [&] {
            const std::vector<HWND> windows = TopLevelWindows(pid);
            return std::none_of(windows.begin(), windows.end(), match);
        },
        timeout);
}

const DialogButton* MessageBoxInfo::Button(int id) const
{
    auto it = std::find_if(buttons.begin(), buttons.end(), [&](const DialogButton& b) { return b.id == id; });
    return it == buttons.end() ? nullptr : &*it;
}

std::vector<int> MessageBoxInfo::ButtonIds() const
{
    std::vector<int> ids;
    for (const DialogButton& b : buttons)
        ids.push_back(b.id);
    return ids;
}

int MessageBoxInfo::DefaultButton() const
{
    for (const DialogButton& b : buttons) {
        if (b.is_default)
            return b.id;
    }
    return 0;
}

bool IsMessageBox(HWND window)
{
    if (ClassNameOf(window) != "#32770")
        return false;
    bool has_text = false;
    for (HWND child : ChildWindows(window)) {
        const std::string cls = ClassNameOf(child);
        const int id = GetDlgCtrlID(child);
        if (_stricmp(cls.c_str(), "Static") == 0) {
            has_text = has_text || id == kMessageTextId;
        } else if (_stricmp(cls.c_str(), "Button") != 0 || !IsStandardButtonId(id)) {
            return false;
        }
    }
    return has_text;
}

MessageBoxInfo ReadMessageBox(HWND box)
{
    MessageBoxInfo info;
    info.hwnd = box;
    info.caption = Caption(box);
    info.text = ControlText(box, kMessageTextId);
    info.wide_text = WideWindowText(Control(box, kMessageTextId));
    for (HWND child : ChildWindows(box)) {
        // Unused buttons of the box's template may stay as hidden windows.
        if (_stricmp(ClassNameOf(child).c_str(), "Button") != 0 || !IsWindowVisible(child))
            continue;
        const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        info.buttons.push_back(
            { child, GetDlgCtrlID(child), WindowText(child), (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON });
    }
    return info;
}

std::optional<MessageBoxInfo> FindMessageBox(DWORD pid, milliseconds timeout)
{
    HWND box = WaitForWindow(pid, IsMessageBox, timeout);
    if (!box)
        return std::nullopt;
    return ReadMessageBox(box);
}

bool Press(const MessageBoxInfo& box, int button_id, milliseconds timeout)
{
    const DialogButton* button = box.Button(button_id);
    if (!button || !IsWindowEnabled(button->hwnd))
        return false;
    PostMessageA(button->hwnd, BM_CLICK, 0, 0);
    HWND hwnd = box.hwnd;
    return WaitUntil([&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); }, timeout);
}

} // namespace gsd::e2e
