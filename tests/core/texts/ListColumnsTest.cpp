#include "texts/ListColumns.h"

#include <gtest/gtest.h>

#include <vector>

namespace gsd {
namespace {

TEST(ListColumnsTest, WidthsScaleWithTheDpiToTheNearestPixel)
{
    struct Case {
        int width;
        int toDpi;
        int fromDpi;
        int expected;
    };
    const std::vector<Case> cases = {
        { 75, 96, 96, 75 },
        { 75, 144, 96, 113 }, // 112.5: a half goes up
        { 65, 144, 96, 98 },
        { 110, 144, 96, 165 },
        { 75, 192, 96, 150 },
        { 95, 120, 96, 119 },
        { 70, 168, 96, 123 },
        { 113, 96, 144, 75 }, // back to a smaller screen
        { 98, 192, 144, 131 },
        { 75, 0, 96, 75 }, // a failed query changes nothing
        { 75, -96, 96, 75 },
        { 75, 144, 0, 75 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaledWidth(c.width, c.toDpi, c.fromDpi), c.expected)
            << c.width << " from " << c.fromDpi << " to " << c.toDpi;
    }
}

} // namespace
} // namespace gsd
