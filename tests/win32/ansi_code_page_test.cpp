// The system's ANSI code page as the support log reads it; Wine's default
// here is 1252.
#include "platform/Win32AnsiCodePage.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "shell/LogText.h"

namespace gsd {
namespace {

TEST(AnsiCodePageOnWine, WindowsMessagesAndServerTextsConvertAndOddBytesStayEscaped)
{
    if (::GetACP() != 1252) {
        GTEST_SKIP() << "the cases are for code page 1252, this system has " << ::GetACP();
    }
    struct Case {
        std::string text;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { "Acc\xE8s refus\xE9", "Acc\xC3\xA8s refus\xC3\xA9" },
        { "\x80 5", "\xE2\x82\xAC 5" },
        // Holes of the code page, and the C1 controls some systems map them to.
        { "a\x81z\x9D", "a\\x81z\\x9D" },
        { "C:\\x", "C:\\x5Cx" },
    };
    const Win32AnsiCodePage codePage;
    for (const Case& c : cases) {
        EXPECT_EQ(LogText(c.text, codePage, TextOrigin::Outside), c.expected) << c.text;
    }
}

} // namespace
} // namespace gsd
