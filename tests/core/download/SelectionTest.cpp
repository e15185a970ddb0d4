#include "download/Selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/FakeMainWindow.h"
#include "res/resource.h"

namespace gsd {
namespace {

TEST(SelectionTest, DescriptionFollowsTheRowThatGetsTheFocus)
{
    struct Case {
        std::string what;
        RowStateChange change;
        std::string shown;
    };
    const auto focusGained = [](int list, int row) {
        RowStateChange change;
        change.ListId = list;
        change.Row = row;
        change.StateChanged = true;
        change.IsFocused = true;
        return change;
    };
    const auto with = [](RowStateChange change, auto&& alter) {
        alter(change);
        return change;
    };
    const std::vector<Case> cases = {
        { "a local row", focusGained(IDC_LOCAL_LIST, 1), "Local one." },
        { "a server row", focusGained(IDC_SERVER_LIST, 0), "Server zero." },
        { "a row losing the focus",
            with(focusGained(IDC_LOCAL_LIST, 1),
                [](auto& c) {
                    c.WasFocused = true;
                    c.IsFocused = false;
                }),
            "As before." },
        { "the focused row selected", with(focusGained(IDC_LOCAL_LIST, 1), [](auto& c) { c.WasFocused = true; }),
            "As before." },
        { "a selection without the focus", with(focusGained(IDC_SERVER_LIST, 1), [](auto& c) { c.IsFocused = false; }),
            "As before." },
        { "no state changed", with(focusGained(IDC_LOCAL_LIST, 1), [](auto& c) { c.StateChanged = false; }),
            "As before." },
        { "the program's own change", with(focusGained(IDC_LOCAL_LIST, 1), [](auto& c) { c.ByTheProgram = true; }),
            "As before." },
        { "every row at once", focusGained(IDC_LOCAL_LIST, -1), "As before." },
        { "a row past the end", focusGained(IDC_SERVER_LIST, 2), "As before." },
        { "another control", focusGained(IDC_DESCRIPTION, 0), "As before." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> journal;
        testing::FakeMainWindow window(journal);
        window.localList.rows = { { "Pack", "Zero", "Local zero." }, { "Game", "One", "Local one." } };
        window.serverList.rows = { { "Pack", "Zero", "Server zero." }, { "Pack", "One", "Server one." } };
        window.texts[IDC_DESCRIPTION] = "As before.";
        ShowDescriptionOfFocusedRow(window, c.change);
        EXPECT_EQ(window.texts[IDC_DESCRIPTION], c.shown);
    }
}

} // namespace
} // namespace gsd
