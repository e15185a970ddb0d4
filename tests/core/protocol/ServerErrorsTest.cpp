#include "protocol/ServerErrors.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "protocol/DecimalNumber.h"

namespace gsd {
namespace {

TEST(ServerErrorsTest, EveryCodeHasItsText)
{
    const std::vector<std::pair<int, std::string>> table = {
        { 1, "General Error." },
        { 2, "Invalid Public Key." },
        { 3, "Invalid Private Key." },
        { 4, "Invalid Protocol." },
        { 5, "Unknown Error." },
        { 6, "Get Column Failed." },
        { 7, "Unknown Error." },
        { 8, "Get Newest Program Update Failed." },
        { 9, "Get Newest Language Update Failed." },
        { 10, "Get Newest Object Packs Failed." },
        { 11, "Decrypt Message Failed." },
        { 12, "Get File To Return Failed." },
        { 13, "Get Encrypted Message Failed." },
        { 14, "ADO Failed." },
        { 15, "User Denied Access." },
        { 16, "Get File Name Failed." },
        { 17, "Get Download ID Failed." },
        { 18, "Unknown Error." },
        { 0, "Unknown Error." },
        { -1, "Unknown Error." },
        { 99, "Unknown Error." },
        { INT_MIN, "Unknown Error." },
    };
    for (const auto& [code, text] : table) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ServerErrorText(code), text);
    }
}

TEST(ServerErrorsTest, ReportShowsTheReplyAsReceivedAndTheTextOfItsNumber)
{
    struct Case {
        std::string reply;
        std::string caption;
        std::string text;
    };
    const std::vector<Case> cases = {
        { "4", "Error Number 4", "Invalid Protocol.  Closing Program." },
        { " 17", "Error Number  17", "Get Download ID Failed.  Closing Program." },
        { "12", "Error Number 12", "Get File To Return Failed.  Closing Program." },
        { "3", "Error Number 3", "Invalid Private Key.  Closing Program." },
        { "", "Error Number ", "Unknown Error.  Closing Program." },
        { "abc", "Error Number abc", "Unknown Error.  Closing Program." },
        { "-1", "Error Number -1", "Unknown Error.  Closing Program." },
        { "0", "Error Number 0", "Unknown Error.  Closing Program." },
        { "99", "Error Number 99", "Unknown Error.  Closing Program." },
        { "x", "Error Number x", "Unknown Error.  Closing Program." },
        { "+2", "Error Number +2", "Invalid Public Key.  Closing Program." },
        { "1x", "Error Number 1x", "General Error.  Closing Program." },
        { "\t9\n", "Error Number \t9\n", "Get Newest Language Update Failed.  Closing Program." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.reply));
        const ServerErrorReport report = MakeServerErrorReport(c.reply);
        EXPECT_EQ(report.caption, c.caption);
        EXPECT_EQ(report.text, c.text);
    }
}

TEST(ServerErrorsTest, ShortReplyRulesDifferPerRequest)
{
    struct Case {
        std::string reply;
        bool authenticationError;
        bool downloadListError;
    };
    const std::vector<Case> cases = {
        { "", true, false }, // an empty list is a regular answer
        { "1", true, true },
        { "123", true, true },
        { "1234", false, false },
        { std::string(100, 'A'), false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_EQ(IsAuthenticationErrorReply(c.reply), c.authenticationError);
        EXPECT_EQ(IsDownloadListErrorReply(c.reply), c.downloadListError);
    }
}

TEST(DecimalNumberTest, ReadsLeadingNumberLikeTheServerCodes)
{
    const std::vector<std::pair<std::string, int>> cases = {
        { "", 0 },
        { "x", 0 },
        { "17", 17 },
        { " 17", 17 },
        { "\t\r\n 5", 5 },
        { "-3", -3 },
        { "+8", 8 },
        { "- 3", 0 },
        { "12ab", 12 },
        { "007", 7 },
        { "--1", 0 },
        { "+-1", 0 },
        { "-+1", 0 },
        { "2147483647", INT_MAX },
        { "2147483648", INT_MAX },
        { "99999999999999999999", INT_MAX },
        { "-2147483648", INT_MIN },
        { "-99999999999999999999", INT_MIN },
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ReadDecimal(text), value);
    }
}

} // namespace
} // namespace gsd
