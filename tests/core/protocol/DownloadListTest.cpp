#include "protocol/DownloadList.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "fakes/ExchangeRig.h"
#include "protocol/Account.h"
#include "protocol/ActionMessage.h"

namespace gsd {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::ExchangeRig;
using testing::FakeHttpAttempt;
using testing::Messages;
using ::testing::Not;

TEST(RequestDownloadListTest, RepliesDecideOutcomeAndStoredList)
{
    struct Case {
        const char* name;
        std::string reply;
        int statusCode;
        bool success;
        std::string stored;
        std::vector<std::string> messages;
    };
    const std::string line = "3|Quarry Pack|QuarryPack.mdc|Quil|Rocks|new|1|0|5|1";
    std::string mostLines;
    for (int i = 1; i < 100'000; ++i) {
        mostLines += "3|p\r\n";
    }
    mostLines += "3|p";
    const std::vector<Case> cases = {
        { "the most lines a list may have", mostLines, 200, true, mostLines, {} },
        { "one line more", mostLines + "\r\n3|p", 200, false, "previous",
            { "message Error!: The download list holds more than 100000 lines, far more than the server offers.  "
              "Closing Program." } },
        { "empty reply: nothing to download", "", 200, true, "", {} },
        { "two digits", "12", 200, false, "12",
            { "message Error Number 12: Get File To Return Failed.  Closing Program." } },
        { "three letters", "abc", 200, false, "abc", { "message Error Number abc: Unknown Error.  Closing Program." } },
        { "four digits are a list", "1234", 200, true, "1234", {} },
        { "a list", line + "\r\n" + line, 200, true, line + "\r\n" + line, {} },
        { "another success status", line, 203, true, line, {} },
        { "status unknown to the layer", line, 0, true, line, {} },
        { "server error page", "<html>Internal Server Error</html>", 500, false, "previous",
            { "message Error!: The download server answered with HTTP status 500 instead of the download list.  "
              "Closing Program." } },
        { "missing page", "Not Found", 404, false, "previous",
            { "message Error!: The download server answered with HTTP status 404 instead of the download list.  "
              "Closing Program." } },
        { "error number under an error status", "12", 503, false, "12",
            { "message Error Number 12: Get File To Return Failed.  Closing Program." } },
        { "four bytes under an error status", "1234", 500, false, "previous",
            { "message Error!: The download server answered with HTTP status 500 instead of the download list.  "
              "Closing Program." } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        rig.Answer(c.reply, c.statusCode);
        std::string list = "previous";

        EXPECT_EQ(RequestDownloadList(
                      rig.Services(), [] { return std::string("m"); }, list),
            c.success);

        EXPECT_EQ(list, c.stored);
        EXPECT_EQ(Messages(rig.journal), c.messages);
        if (c.success) {
            EXPECT_THAT(rig.journal, Contains("status listed"));
            EXPECT_THAT(rig.journal, Contains("sleep 500"));
        } else {
            EXPECT_THAT(rig.journal, Not(Contains("sleep 500")));
        }
        EXPECT_THAT(rig.journal, Contains("status listing"));
        EXPECT_TRUE(rig.AllReleased());
    }
}

TEST(RequestDownloadListTest, BodyCarriesTheFormEncodedMessageBuiltOnceForAllAttempts)
{
    ExchangeRig rig;
    FakeHttpAttempt refused;
    refused.openUrlError = 12029;
    rig.http.attempts.push_back(refused);
    rig.Answer("");
    rig.dialogs.retryAnswers = { true };
    int built = 0;
    const auto build = [&] {
        ++built;
        return BuildDownloadListMessage("1|0|5", "1|0|2|5", -1, "2|Big Pack.mdc|1|0|0|1|x_y.mdc|2|1|0|3");
    };
    std::string list;

    EXPECT_TRUE(RequestDownloadList(rig.Services(), build, list));

    EXPECT_EQ(built, 1);
    const std::string body = "ACTION_REQUEST=RETURN+DOWNLOAD+LIST&ACTION_MESSAGE="
                             "1%7c0%7c0000%7c2%7c"
        + std::string(DownloadAccount())
        + "%7c1%7c0%7c5%7c1%7c0%7c2%7c5%7c%2d1%7c2%7cBig+Pack%2emdc%7c1%7c0%7c0%7c1%7c"
          "x%5fy%2emdc%7c2%7c1%7c0%7c3";
    EXPECT_THAT(rig.http.sentBodies, ElementsAre(body));
    EXPECT_THAT(rig.journal, Contains("open url https://localhost:47443/autodownload.asp 84000002"));
}

TEST(RequestDownloadListTest, SecondAttemptAfterRetrySendsTheBodyAgain)
{
    ExchangeRig rig;
    FakeHttpAttempt dropped;
    dropped.chunks = { "3|Half" };
    dropped.readError = 12029;
    rig.http.attempts.push_back(dropped);
    rig.Answer("3|Whole");
    rig.dialogs.retryAnswers = { true };
    std::string list;

    EXPECT_TRUE(RequestDownloadList(
        rig.Services(), [] { return std::string("same"); }, list));

    EXPECT_EQ(rig.http.sentBodies.size(), 2u);
    EXPECT_EQ(rig.http.sentBodies[0], rig.http.sentBodies[1]);
    EXPECT_EQ(list, "3|Whole");
}

TEST(RequestDownloadListTest, AbandonedExchangeLeavesTheListAlone)
{
    struct Case {
        InternetError error;
        bool offered;
    };
    for (const Case& c : { Case { 12029, true }, Case { 12045, false }, Case { 12007, false } }) {
        SCOPED_TRACE(c.error);
        ExchangeRig rig;
        FakeHttpAttempt failing;
        failing.chunks = { "3|Partial|line" };
        failing.readError = c.error;
        rig.http.attempts.push_back(failing);
        rig.dialogs.retryAnswers = { false };
        std::string list = "previous";

        EXPECT_FALSE(RequestDownloadList(
            rig.Services(), [] { return std::string("m"); }, list));

        EXPECT_EQ(list, "previous");
        EXPECT_EQ(Messages(rig.journal),
            std::vector<std::string> { "message Error!: Error Code:" + std::to_string(c.error) });
        EXPECT_EQ(std::count_if(rig.journal.begin(), rig.journal.end(),
                      [](const std::string& l) { return l.starts_with("connection dialog"); }),
            c.offered ? 1 : 0);
    }
}

} // namespace
} // namespace gsd
