// The main dialog's lists from the keyboard, and how their selections look:
// the description follows the row the keys move to, a list entered with Tab
// shows its focused row, and the rows selected in a list without the focus
// stand out on screen.

#include "driver/uidriver.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>

#include "tests/support/ReferenceServer.h"

namespace gsd::e2e {
namespace {

using test::ReferenceServer;
using test::ReferenceServerOptions;

constexpr int kDescription = 1005, kServerList = 1007, kLocalList = 1008, kDownloadButton = 1003, kLocalGroup = 1001,
              kServerGroup = 1002, kDescriptionLabel = 1011;
constexpr const char* kMainCaption = "Rubbleton: Gravelpit Secure Download";

// How far apart two colours look on screen (1 to 21), from their relative
// luminances.
double Contrast(COLORREF first, COLORREF second)
{
    const auto linear = [](int channel) {
        const double value = channel / 255.0;
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const auto luminance = [&](COLORREF colour) {
        return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour))
            + 0.0722 * linear(GetBValue(colour)) + 0.05;
    };
    const double a = luminance(first), b = luminance(second);
    return std::max(a, b) / std::min(a, b);
}

std::string Hex(COLORREF colour)
{
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

class KeyboardAndColoursTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyDemoMedia(game_);
        ReferenceServerOptions options;
        options.catalogue = {
            "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9",
            "3|Quarry|Quarry|Quil Studios|Stone and dust.|New|1|0|0|9",
            "3|Tunnels|Tunnels|Quil Studios|Deep and dark.|New|1|0|0|9",
        };
        server_.emplace(options);
        ASSERT_TRUE(server_->Start()) << server_->Error();
        run_.emplace(game_);
        dialog_ = WaitForWindow(run_->Pid(), kMainCaption);
        ASSERT_NE(dialog_, nullptr);
        serverList_ = Control(dialog_, kServerList);
        localList_ = Control(dialog_, kLocalList);
        ASSERT_TRUE(WaitUntil([&] { return ListRowCount(serverList_) == 3; }));
    }

    bool Shows(const std::string& text)
    {
        return WaitUntil([&] { return ControlText(dialog_, kDescription) == text; });
    }

    // Presses Tab until `control` has the focus; whether it got it.
    bool TabTo(HWND control)
    {
        for (int press = 0; press < 12; ++press) {
            if (WaitUntil([&] { return FocusedControl(dialog_) == control; }, milliseconds(500)))
                return true;
            PressKey(FocusedControl(dialog_), VK_TAB);
        }
        return FocusedControl(dialog_) == control;
    }

    // `row` of `list` on screen, as far as the list shows it.
    static RECT ShownPartOfRow(HWND list, int row)
    {
        RECT client {};
        GetClientRect(list, &client);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const RECT whole = RowOnScreen(list, row);
        RECT shown {};
        IntersectRect(&shown, &whole, &client);
        return shown;
    }

    // The commonest colour of `rect` on a fresh screenshot.
    std::optional<COLORREF> ColourOn(const RECT& rect)
    {
        const std::string path = game_.PathOf("selection.bmp");
        const std::optional<ScreenPicture> screen = Screenshot(path) ? ScreenPicture::Read(path) : std::nullopt;
        if (!screen)
            return std::nullopt;
        return screen->CommonestColourIn(rect);
    }

    std::optional<ReferenceServer> server_;
    GameFolder game_;
    std::optional<ProgramRun> run_;
    HWND dialog_ = nullptr;
    HWND serverList_ = nullptr;
    HWND localList_ = nullptr;
};

TEST_F(KeyboardAndColoursTest, TheDescriptionFollowsTheRowTheKeysMoveTo)
{
    const std::string before = ControlText(dialog_, kDescription);
    struct Step {
        HWND list;
        WORD key;
        int row; // -1: the last
    };
    const int lastLocal = ListRowCount(localList_) - 1;
    const Step steps[] = {
        { serverList_, VK_END, 2 },
        { serverList_, VK_UP, 1 },
        { serverList_, VK_HOME, 0 },
        { serverList_, VK_NEXT, 2 },
        { localList_, VK_END, lastLocal },
        { localList_, VK_HOME, 0 },
        { localList_, VK_DOWN, 1 },
        { serverList_, VK_UP, 1 },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.key) + " to row " + std::to_string(step.row));
        PressKey(step.list, step.key);
        ASSERT_TRUE(WaitUntil([&] { return FocusedRow(step.list) == step.row; })) << FocusedRow(step.list);
        const std::string description = ListCell(step.list, step.row, 2);
        ASSERT_NE(description, before);
        EXPECT_TRUE(Shows(description)) << ControlText(dialog_, kDescription);
    }
}

// A screen reader names a control from the label right before it in the
// dialog's order.
TEST_F(KeyboardAndColoursTest, EachListAndTheDescriptionComesRightAfterItsLabel)
{
    const struct {
        int control;
        int label;
    } pairs[] = { { kLocalList, kLocalGroup }, { kServerList, kServerGroup }, { kDescription, kDescriptionLabel } };
    for (const auto& pair : pairs) {
        EXPECT_EQ(GetWindow(Control(dialog_, pair.control), GW_HWNDPREV), Control(dialog_, pair.label))
            << "control " << pair.control;
    }
}

TEST_F(KeyboardAndColoursTest, AListEnteredWithTabShowsItsFirstRowFocused)
{
    ASSERT_EQ(FocusedRow(serverList_), -1);
    const std::string before = ControlText(dialog_, kDescription);
    ASSERT_TRUE(TabTo(serverList_));
    EXPECT_TRUE(WaitUntil([&] { return FocusedRow(serverList_) == 0; }));
    EXPECT_TRUE(SelectedRows(serverList_).empty()) << "the focus selects nothing";
    EXPECT_EQ(ControlText(dialog_, kDescription), before) << "entering the list leaves the description";

    // The focus rectangle runs down the row's left end, before its text.
    RECT edge = ShownPartOfRow(serverList_, 0);
    edge.right = edge.left + 5;
    EXPECT_TRUE(WaitUntil([&] {
        const std::string path = game_.PathOf("focus.bmp");
        const std::optional<ScreenPicture> screen = Screenshot(path) ? ScreenPicture::Read(path) : std::nullopt;
        return screen && screen->ColoursIn(edge).size() > 1;
    })) << "no focus rectangle on the first row";
}

TEST_F(KeyboardAndColoursTest, SelectedRowsStandOutWhenTheirListLosesTheFocus)
{
    ASSERT_TRUE(ClickRow(serverList_, 1));
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(dialog_) == serverList_; }));
    const RECT row = ShownPartOfRow(serverList_, 1);

    // The list's own background, below its last row.
    RECT list {};
    GetClientRect(serverList_, &list);
    MapWindowPoints(serverList_, nullptr, reinterpret_cast<POINT*>(&list), 2);
    const RECT below { list.left + 2, RowOnScreen(serverList_, 2).bottom + 4, list.right - 2, list.bottom - 2 };
    ASSERT_LT(below.top, below.bottom) << "the list has no room below its rows";

    const std::optional<COLORREF> background = ColourOn(below);
    const std::optional<COLORREF> focused = ColourOn(row);
    ASSERT_TRUE(background && focused);

    ASSERT_TRUE(TabTo(Control(dialog_, kDownloadButton)));
    std::optional<COLORREF> unfocused;
    EXPECT_TRUE(WaitUntil([&] {
        unfocused = ColourOn(row);
        return unfocused && *unfocused != *focused;
    })) << "an unfocused selection looks like the focused one, "
        << Hex(*focused);
    ASSERT_TRUE(unfocused);
    const double contrast = Contrast(*unfocused, *background);
    std::printf("list %s, selected row focused %s (contrast %.2f), unfocused %s (contrast %.2f)\n",
        Hex(*background).c_str(), Hex(*focused).c_str(), Contrast(*focused, *background), Hex(*unfocused).c_str(),
        contrast);
    EXPECT_GE(contrast, 1.5) << Hex(*unfocused) << " on " << Hex(*background);
    EXPECT_EQ(SelectedRows(serverList_), std::vector<int> { 1 });
}

} // namespace
} // namespace gsd::e2e
