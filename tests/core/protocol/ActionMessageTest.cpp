#include "protocol/ActionMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "protocol/Account.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/FieldList.h"
#include "protocol/MessageScrambler.h"

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(ActionMessageTest, BaseFieldsEndWithTheAccount)
{
    for (const std::string& account : { ""s, "acct-7"s, "\0\xE9"s }) {
        SCOPED_TRACE(testing::PrintToString(account));
        const std::string fields = BuildBaseFields(account);
        EXPECT_EQ(fields, "1|0|0000|2|" + account);
        EXPECT_EQ(FieldCount(fields, "|"), 5u);
        EXPECT_EQ(GetField(fields, 4, "|"), account);
    }
    EXPECT_EQ(BuildBaseFields(), BuildBaseFields(DownloadAccount()));
}

TEST(ActionMessageTest, DownloadListAppendsReportsAndLanguageIndex)
{
    struct Case {
        int languageIndex;
        std::string packReport;
        std::string expectedTail;
    };
    const std::vector<Case> cases = {
        { 0, "0", "|1|2|3|1|0|4|127|0|0" },
        { -1, "0", "|1|2|3|1|0|4|127|-1|0" },
        { 12, "1|p|a|b|c|d", "|1|2|3|1|0|4|127|12|1|p|a|b|c|d" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedTail);
        const std::string message = BuildDownloadListMessage("1|2|3", "1|0|4|127", c.languageIndex, c.packReport);
        EXPECT_EQ(message, BuildBaseFields() + c.expectedTail);
    }
}

TEST(ActionMessageTest, FileRequestCopiesItemFieldsInWireOrder)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        { "3|Pack \xE9|pack.mdc|d|s|x|1|2|3|127", "|1|2|3|127|Pack \xE9|3" },
        { "4|Title", "|||||Title|4" },
        { "", "||||||" },
    };
    for (const auto& [line, expectedTail] : cases) {
        SCOPED_TRACE(line);
        EXPECT_EQ(BuildFileRequestMessage(line), BuildBaseFields() + expectedTail);
    }
}

TEST(ActionMessageTest, AuthenticationPayloadScramblesTheChallenge)
{
    ChallengeGenerator generator;
    const auto payload = BuildAuthenticationPayload(generator);
    ASSERT_TRUE(payload.has_value());
    EXPECT_EQ(payload->challenge, ChallengeGenerator().MakeChallenge());
    EXPECT_EQ(payload->message, BuildBaseFields() + "|" + Scramble(payload->challenge));
}

TEST(ActionRequestBodyTest, PrefixesAndPayloadTreatment)
{
    const std::string message = "1|0|0000|2|a b.\xE9\0"s;
    const std::string encoded = "1%7c0%7c0000%7c2%7ca+b%2e%e9%00";
    EXPECT_EQ(AuthenticationRequestBody(message), "ACTION_REQUEST=AUTHENTICATE+HOST&ACTION_MESSAGE=" + message);
    EXPECT_EQ(DownloadListRequestBody(message), "ACTION_REQUEST=RETURN+DOWNLOAD+LIST&ACTION_MESSAGE=" + encoded);
    EXPECT_EQ(FileRequestBody(message), "ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=" + encoded);
}

} // namespace
} // namespace gsd
