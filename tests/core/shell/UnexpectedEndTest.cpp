#include "shell/UnexpectedEnd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace gsd {
namespace {

TEST(UnexpectedEndTest, ExceptionDetailsGiveTheCodeAndAPointerWideAddress)
{
    struct Case {
        std::uint32_t code;
        std::uint64_t address;
        int bits;
        const char* expected;
    };
    const Case cases[] = {
        { 0xC0000005u, 0x140001234u, 64, "exception 0xC0000005 at 0x0000000140001234" },
        { 0xC0000005u, 0x401234u, 32, "exception 0xC0000005 at 0x00401234" },
        { 0xE06D7363u, 0xFFFFFFFFFFFFFFFFu, 64, "exception 0xE06D7363 at 0xFFFFFFFFFFFFFFFF" },
        { 0x80000003u, 0, 32, "exception 0x80000003 at 0x00000000" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExceptionDetails(c.code, c.address, c.bits), c.expected);
    }
}

TEST(UnexpectedEndTest, TheLineAndTheMessageCarryTheDetailsOnOneLine)
{
    const std::string details = FailedCallDetails("DialogBoxParamA", 1813);
    EXPECT_EQ(details, "DialogBoxParamA failed, error 1813");
    EXPECT_EQ(UnexpectedEndLogLine("bad\r\nalloc"), "ended unexpectedly: bad\\x0D\\x0Aalloc");
    EXPECT_EQ(UnexpectedEndText(details),
        "Gravelpit Secure Download has to end because of an unexpected error (DialogBoxParamA failed, error 1813).  "
        "The support log, Temp\\SecureDownload.log in the game folder, has a line about it.");
}

} // namespace
} // namespace gsd
