#include "shell/SupportLogLines.h"

#include <gtest/gtest.h>

#include <string>

namespace gsd {
namespace {

TEST(SupportLogLinesTest, OutsideTextStaysOneBoundedLine)
{
    EXPECT_EQ(MessageLogLine("Error!", "two\r\nlines\tand\x7F", "OK"), "message Error!: two  lines and  [OK]");
    const std::string line = ItemLogLine(std::string(1000, 'n'), 3, "installed", 12);
    EXPECT_EQ(line, "item " + std::string(400, 'n') + "... (kind 3): installed, 12 bytes");
}

} // namespace
} // namespace gsd
