#include "shell/SupportLogLines.h"

#include <gtest/gtest.h>

#include <string>

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(SupportLogLinesTest, OutsideTextStaysOneBoundedLine)
{
    EXPECT_EQ(MessageLogLine("Error!", "two\r\nlines\tand\x7F", "OK"),
        "message Error!: two\\x0D\\x0Alines\\x09and\\x7F [OK]");
    // A right-to-left override, a lone C1 byte and a NUL from the server.
    EXPECT_EQ(ItemLogLine("a\xE2\x80\xAE" "exe.txt\x9B\0"s, 3, "installed", 1),
        "item a\\xE2\\x80\\xAEexe.txt\\x9B\\x00 (kind 3): installed, 1 bytes");
    const std::string line = ItemLogLine(std::string(1000, 'n'), 3, "installed", 12);
    EXPECT_EQ(line, "item " + std::string(400, 'n') + "... (kind 3): installed, 12 bytes");
}

} // namespace
} // namespace gsd
