#include "shell/SelectionColours.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsd {
namespace {

constexpr Rgb White { 255, 255, 255 };
constexpr Rgb Black { 0, 0, 0 };

TEST(SelectionColoursTest, ContrastIsTheRatioOfLuminancesEitherWayRound)
{
    struct Case {
        Rgb first;
        Rgb second;
        double expected;
    };
    const std::vector<Case> cases = {
        { White, Black, 21.0 },
        { Black, White, 21.0 },
        { White, White, 1.0 },
        { White, { 245, 245, 245 }, 1.0902 }, // the list's own grey on white
        { White, { 128, 128, 128 }, 3.9494 },
        { { 0, 0, 255 }, Black, 2.4440 },
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(ContrastRatio(c.first, c.second), c.expected, 0.0005);
    }
}

TEST(SelectionColoursTest, UnfocusedSelectionIsThePalestMixOfTheHighlightThatStandsOut)
{
    struct Case {
        std::string scheme;
        ListColours list;
        RowColours expected;
    };
    const std::vector<Case> cases = {
        { "blue highlight", { White, Black, { 0, 120, 215 }, White }, { Black, { 159, 204, 240 } } },
        { "navy highlight", { White, Black, { 0, 0, 128 }, White }, { Black, { 191, 191, 223 } } },
        { "dark list", { Black, White, { 0, 120, 215 }, White }, { White, { 0, 53, 94 } } },
        // A highlight as light as the list: the text colour is mixed in.
        { "white highlight", { White, Black, White, Black }, { Black, { 191, 191, 191 } } },
        // Nothing to mix: the row is drawn inverted.
        { "one colour", { White, White, White, White }, { White, White } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scheme);
        const RowColours colours = UnfocusedSelectionColours(c.list);
        EXPECT_EQ(colours, c.expected);
    }
}

TEST(SelectionColoursTest, UnfocusedSelectionStandsOutAndIsNotTheFocusedOne)
{
    const std::vector<ListColours> schemes = {
        { White, Black, { 0, 120, 215 }, White },
        { White, Black, { 10, 36, 106 }, White },
        { { 240, 240, 240 }, Black, { 51, 153, 255 }, White },
        { Black, White, { 0, 120, 215 }, White },
        { { 30, 30, 30 }, { 220, 220, 220 }, { 38, 79, 120 }, White },
        { Black, { 0, 255, 0 }, { 0, 0, 128 }, White },
    };
    for (const ListColours& list : schemes) {
        const RowColours colours = UnfocusedSelectionColours(list);
        EXPECT_GE(ContrastRatio(colours.Background, list.Background), UnfocusedSelectionContrast);
        EXPECT_NE(colours.Background, list.Highlight);
        EXPECT_GE(ContrastRatio(colours.Text, colours.Background), 4.5) << "the row's text stays readable";
    }
}

} // namespace
} // namespace gsd
