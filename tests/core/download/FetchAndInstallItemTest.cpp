#include "download/FetchAndInstallItem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "download/TransferSink.h"
#include "fakes/DownloadRig.h"
#include "protocol/ActionMessage.h"
#include "protocol/FormEncode.h"

namespace gsd {
namespace {

using ::testing::Contains;
using testing::DownloadRig;
using ::testing::ElementsAre;
using testing::FakeHttpAttempt;
using testing::Messages;
using ::testing::Not;
using ::testing::StartsWith;

const std::string BricksLine = "3|Bricks Title|Bricks|Ann|Red bricks|new|1|2|3|5";
const std::string Wait = "This may take up to 30 minutes depending on your connection speed and server availability.";
constexpr const char* Installed = "status Installed File Successfully!";

struct TransferTest : ::testing::Test {
    TransferTest() { rig.state.DownloadListText = "1|Game|Setup|Quil||||||\r\n" + BricksLine + "\r\n"; }

    bool Fetch(std::string_view name = "Bricks") { return FetchAndInstallItem(rig.Services(), name); }

    bool AllClosed() const { return rig.AllReleased() && rig.files.filesHeld == 0; }

    // A rig of its own for one case of a table: the same download list and
    // one scripted attempt.
    std::unique_ptr<DownloadRig> CaseRig(const FakeHttpAttempt& attempt) const
    {
        auto fresh = std::make_unique<DownloadRig>();
        fresh->state = rig.state;
        fresh->http.attempts.push_back(attempt);
        return fresh;
    }

    DownloadRig rig;
};

TEST_F(TransferTest, NameNotInTheListIsOnlyReported)
{
    rig.state.DownloadListText += "\r\n3|After the end|Late\r\n";
    for (const char* name : { "Nope", "bricks", "Late" }) {
        rig.journal.clear();
        EXPECT_FALSE(Fetch(name));
        EXPECT_THAT(rig.journal, ElementsAre("message Notice: not listed: " + std::string(name)));
    }
}

TEST_F(TransferTest, NameTheCodePageCannotSpellIsRefusedBeforeAnythingIsFetched)
{
    rig.files.unnameable = { "Bricks" };
    EXPECT_FALSE(Fetch());
    EXPECT_THAT(rig.journal,
        ElementsAre("message Error!: The server named the file \"Bricks\" for this item, which cannot be installed "
                    "in the Media folder: this system's code page holds no characters for some of its bytes."));
}

TEST_F(TransferTest, RequestCarriesTheItemFieldsAndStatusFollowsTheStages)
{
    rig.Answer("MDC-file-bytes");

    EXPECT_TRUE(Fetch());

    EXPECT_THAT(rig.http.sentBodies,
        ElementsAre(
            "ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=" + FormEncode(BuildBaseFields() + "|1|2|3|5|Bricks Title|3")));
    const std::vector<std::string> expected
        = { "status open", "status show", "status connecting", "create Temp\\Download.tmp",
              "open session Veraduri Ravirove 2003", "open url https://localhost:47443/autodownload.asp 84000002",
              "send Content-Type: application/x-www-form-urlencoded", "status receiving", "detail " + Wait,
              "detail " + Wait + " Total KBytes Transfered = 0", "close request", "close session", "status received",
              "status Installing File.", "move Temp\\Download.tmp to Media\\Bricks.mdc", Installed,
              "release Media\\Bricks.mdc", "status close" };
    EXPECT_EQ(rig.journal, expected);
    EXPECT_EQ(rig.files.files["Media\\Bricks.mdc"], "MDC-file-bytes");
    EXPECT_TRUE(AllClosed());
}

TEST_F(TransferTest, OnlyACompleteFileIsInstalled)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        int statusCode;
        std::optional<std::uint64_t> contentLength;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        { "empty reply", {}, 200, {}, { "message Error Number : Unknown Error." } },
        { "server error number", { "12" }, 200, {}, { "message Error Number 12: Get File To Return Failed." } },
        { "three bytes in two reads", { "a", "bc" }, 200, {}, { "message Error Number abc: Unknown Error." } },
        { "error number under an error status", { "12" }, 503, {},
            { "message Error Number 12: Get File To Return Failed." } },
        { "four bytes are a file", { "MDC1" }, 200, 4, {} },
        { "status unknown to the layer", { "MDC1" }, 0, {}, {} },
        { "error page", { "<html>Not Found</html>" }, 404, {},
            { "message Error!: The download server answered with HTTP status 404 instead of the file \"Bricks\".  "
              "Nothing was installed." } },
        { "cut short of its length", { "MDC1", "more" }, 200, 20,
            { "message Error!: The download of \"Bricks\" ended after 8 of 20 bytes.  The incomplete file was not "
              "installed." } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpAttempt attempt;
        attempt.chunks = c.chunks;
        attempt.statusCode = c.statusCode;
        attempt.contentLength = c.contentLength;
        const auto fresh = CaseRig(attempt);

        const bool installed = FetchAndInstallItem(fresh->Services(), "Bricks");

        EXPECT_EQ(installed, c.messages.empty());
        EXPECT_EQ(Messages(fresh->journal), c.messages);
        EXPECT_EQ(std::count(fresh->journal.begin(), fresh->journal.end(), Installed), installed ? 1 : 0);
        EXPECT_FALSE(fresh->files.files.contains("Temp\\Download.tmp")) << "installed or deleted";
        EXPECT_TRUE(fresh->AllReleased());
    }
}

TEST_F(TransferTest, FileMustFitTheDriveWithAMargin)
{
    struct Case {
        const char* name;
        std::optional<std::uint64_t> freeBytes;
        std::optional<std::uint64_t> contentLength;
        std::vector<std::string> messages;
    };
    constexpr std::uint64_t Margin = 4 * 1024 * 1024;
    const std::vector<Case> cases = {
        { "48 MB on a drive with 11 MB", 11'000'000, 48'000'000,
            { "message Error!: There is not enough free space on the game's drive for \"Bricks\": it needs "
              "52195 KB and 11000 KB are free.  Nothing was downloaded." } },
        { "one byte short of the margin", 8 + Margin - 1, 8,
            { "message Error!: There is not enough free space on the game's drive for \"Bricks\": it needs "
              "4195 KB and 4194 KB are free.  Nothing was downloaded." } },
        { "the file and the margin fit exactly", 8 + Margin, 8, {} },
        { "no length, the file outgrows the margin", 6 + Margin, std::nullopt,
            { "message Error!: There is not enough free space on the game's drive for \"Bricks\": it needs "
              "4195 KB and 4194 KB are free.  Nothing was downloaded." } },
        { "no length, the file and the margin fit exactly", 8 + Margin, std::nullopt, {} },
        { "no length, free space unknown", std::nullopt, std::nullopt, {} },
        { "free space unknown", std::nullopt, 8, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpAttempt attempt;
        attempt.chunks = { "MDC1", "more" };
        attempt.contentLength = c.contentLength;
        const auto fresh = CaseRig(attempt);
        fresh->files.freeBytes = c.freeBytes;

        const bool installed = FetchAndInstallItem(fresh->Services(), "Bricks");

        EXPECT_EQ(installed, c.messages.empty());
        EXPECT_EQ(Messages(fresh->journal), c.messages);
        if (!installed) {
            EXPECT_EQ(fresh->files.files["Temp\\Download.tmp"], "") << "nothing was written";
        }
        EXPECT_TRUE(fresh->AllReleased());
    }
}

TEST_F(TransferTest, EachItemIsLoggedWithItsOutcomeAfterItsExchange)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::string itemLine;
    };
    const std::vector<Case> cases = {
        { "installed", { "MDC1", "more" }, "item Bricks (object pack): installed, 8 bytes" },
        { "server error number", { "12" }, "item Bricks (object pack): not received, 2 bytes" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpAttempt attempt;
        attempt.chunks = c.chunks;
        const auto fresh = CaseRig(attempt);

        FetchAndInstallItem(fresh->Services(), "Bricks");

        ASSERT_EQ(fresh->logLines.size(), 2u);
        EXPECT_THAT(fresh->logLines[0], StartsWith("exchange RETURN+FILE Bricks: completed, HTTP 200, "));
        EXPECT_EQ(fresh->logLines[1], c.itemLine);
    }
}

TEST_F(TransferTest, StoppedTransferIsNeverInstalled)
{
    struct Case {
        const char* name;
        int cancelAfterQuestions;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        { "server stops sending", -1, { "message Error!: " + IdleReplyText() } },
        { "user cancels", 0, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpAttempt attempt;
        attempt.chunks = { "MDC-part" };
        attempt.stallAfterChunks = true;
        const auto fresh = CaseRig(attempt);
        fresh->dialogs.cancelAfterQuestions = c.cancelAfterQuestions;

        EXPECT_FALSE(FetchAndInstallItem(fresh->Services(), "Bricks"));

        EXPECT_EQ(Messages(fresh->journal), c.messages);
        EXPECT_THAT(fresh->journal, Not(Contains(StartsWith("move "))));
        EXPECT_FALSE(fresh->files.files.contains("Temp\\Download.tmp")) << "the part received is deleted";
        EXPECT_TRUE(fresh->AllReleased());
    }
}

TEST_F(TransferTest, FileErrorEndsTheAttemptWithoutRetry)
{
    struct Case {
        const char* name;
        enum { Create, Write, Finish } step;
        FileFailure failure;
        std::string message;
    };
    const std::vector<Case> cases = {
        { "Temp folder missing", Case::Create,
            { 3, "The system cannot find the path specified.", "C:\\G\\Temp\\Download.tmp" },
            "message Error!: The system cannot find the path specified.\r\nC:\\G\\Temp\\Download.tmp" },
        { "no description", Case::Create, { 3, "", "" }, "message Error!: Error Code:3" },
        { "disk full while writing", Case::Write, { 112, "There is not enough space on the disk.", "D.tmp" },
            "message Error!: There is not enough space on the disk.\r\nD.tmp" },
        { "disk full when the last bytes are written out", Case::Finish,
            { 112, "There is not enough space on the disk.", "D.tmp" },
            "message Error!: There is not enough space on the disk.\r\nD.tmp" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpAttempt attempt;
        attempt.chunks = { "MDC-file-bytes" };
        const auto fresh = CaseRig(attempt);
        (c.step == Case::Create         ? fresh->files.createFailure
                : c.step == Case::Write ? fresh->files.writeFailure
                                        : fresh->files.finishFailure)
            = c.failure;
        fresh->dialogs.retryAnswers = { true };

        EXPECT_FALSE(FetchAndInstallItem(fresh->Services(), "Bricks"));

        EXPECT_THAT(Messages(fresh->journal), ElementsAre(c.message));
        EXPECT_EQ(std::count(fresh->journal.begin(), fresh->journal.end(), "create Temp\\Download.tmp"), 1);
        EXPECT_EQ(fresh->http.sentBodies.size(), c.step == Case::Create ? 0U : 1U);
        EXPECT_FALSE(fresh->files.files.contains("Temp\\Download.tmp"));
        EXPECT_TRUE(fresh->AllReleased());
        EXPECT_EQ(fresh->files.filesHeld, 0);
    }
}

TEST_F(TransferTest, CannotConnectRetryRunsAFreshAttemptWithTheSameRequest)
{
    FakeHttpAttempt unreachable;
    unreachable.sendError = 12029;
    rig.http.attempts.push_back(unreachable);
    rig.Answer("MDC-file-bytes");
    rig.dialogs.retryAnswers = { true };
    rig.files.files["Temp\\Download.tmp"] = "left from before";

    EXPECT_TRUE(Fetch());

    ASSERT_EQ(rig.http.sentBodies.size(), 2U);
    EXPECT_EQ(rig.http.sentBodies[0], rig.http.sentBodies[1]);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), "create Temp\\Download.tmp"), 2);
    EXPECT_EQ(std::count(rig.journal.begin(), rig.journal.end(), "status open"), 1);
    EXPECT_EQ(rig.files.files["Media\\Bricks.mdc"], "MDC-file-bytes");
    EXPECT_TRUE(AllClosed());
}

TEST_F(TransferTest, ProgressIsCountedInThousandsAFewTimesASecondAndOnceAtTheEnd)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::int64_t millisecondsPerRead;
        std::optional<std::uint64_t> contentLength;
        std::size_t mostUpdates;
        std::string lastCount;
    };
    const std::vector<Case> cases = {
        { "999 bytes", { std::string(999, 'x') }, 0, {}, 1, "0" },
        { "1000 bytes", { std::string(1000, 'x') }, 0, 1000, 1, "1" },
        { "a thousand chunks in one second", std::vector<std::string>(1000, std::string(7, 'x')), 1, 7000, 12, "7" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHttpAttempt attempt;
        attempt.chunks = c.chunks;
        attempt.millisecondsPerRead = c.millisecondsPerRead;
        attempt.contentLength = c.contentLength;
        const auto fresh = CaseRig(attempt);

        EXPECT_TRUE(FetchAndInstallItem(fresh->Services(), "Bricks"));

        std::vector<std::string> counts;
        for (const std::string& line : fresh->journal) {
            if (line.starts_with("detail ") && line.find(TransferCountText) != std::string::npos) {
                counts.push_back(line);
            }
        }
        EXPECT_LE(counts.size(), c.mostUpdates);
        ASSERT_FALSE(counts.empty());
        EXPECT_EQ(counts.back(), "detail " + Wait + " Total KBytes Transfered = " + c.lastCount);
        ASSERT_FALSE(fresh->dialogs.progress.empty());
        EXPECT_EQ(fresh->dialogs.progress.front(), c.contentLength ? 0.0 : -1.0);
        EXPECT_EQ(fresh->dialogs.progress.back(), c.contentLength ? 1.0 : -1.0);
    }
}


TEST_F(TransferTest, ACancelDuringTheInstallersCheckStartsNothingAndLeavesTempEmpty)
{
    rig.Answer("MZ-installer");
    // Cancel is pressed while the windows answer during the check.
    rig.pump.arrives = [&] {
        if (rig.journal.back() == "check Temp\\Download.tmp") {
            rig.dialogs.cancelAfterQuestions = rig.dialogs.cancelQuestions;
        }
    };

    EXPECT_FALSE(Fetch("Setup"));

    EXPECT_THAT(rig.journal, Not(Contains(StartsWith("start "))));
    EXPECT_TRUE(Messages(rig.journal).empty());
    EXPECT_TRUE(rig.files.files.empty());
    EXPECT_EQ(rig.logLines.back(), "item Setup (game installer): cancelled, 12 bytes");
    EXPECT_TRUE(AllClosed());
}

} // namespace
} // namespace gsd
