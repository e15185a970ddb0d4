#include "protocol/ServerExchange.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/ExchangeRig.h"

namespace gsd {
namespace {

using namespace std::string_literals;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::ExchangeRig;
using testing::FakeHttpAttempt;

constexpr StatusTextFields ListTexts { 5, 10, 11 };

// A body request whose verdict is "good" for every reply.
ExchangeRequest BodyRequest(std::string_view body)
{
    ExchangeRequest request;
    request.openFlags = 0x84000002;
    request.body = body;
    request.statusTexts = ListTexts;
    request.evaluate = [](const CompletedReply&) { return ReplyVerdict { true, true }; };
    return request;
}

TEST(ServerExchangeTest, JoinsChunksEachUpToItsFirstNul)
{
    struct Case {
        const char* name;
        std::vector<std::string> chunks;
        std::string expected;
    };
    const std::string full(1024, 'k');
    const std::vector<Case> cases = {
        { "no bytes at all", {}, "" },
        { "one chunk", { "0" }, "0" },
        { "chunks in order", { "AB", "CD", "E" }, "ABCDE" },
        { "a NUL ends its chunk only", { "ab\0cd"s, "ef" }, "abef" },
        { "a chunk that starts with NUL adds nothing", { "\0xyz"s, "q" }, "q" },
        { "full chunks", { full, full, "z" }, full + full + "z" },
        { "bytes above 0x7F pass", { "\xE9\xFF|\r\n" }, "\xE9\xFF|\r\n" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        FakeHttpAttempt attempt;
        attempt.chunks = c.chunks;
        rig.http.attempts.push_back(attempt);
        std::string seen;
        ExchangeRequest request = BodyRequest("body");
        request.evaluate = [&](const CompletedReply& reply) {
            seen = std::string(reply.text);
            return ReplyVerdict { true, true };
        };

        const ExchangeResult result = ServerExchange(rig.Services(), request);

        EXPECT_TRUE(result.completed);
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(result.replyText, c.expected);
        EXPECT_EQ(rig.http.largestRead, 1024u);
        EXPECT_TRUE(rig.AllReleased());
    }
}

TEST(ServerExchangeTest, DeadlineDropsTheChunkReadAfterIt)
{
    struct Case {
        const char* name;
        std::int64_t millisecondsPerRead;
        std::int64_t ticksPerSecond;
        std::string expected;
    };
    // The timer is armed before the first read; the fake clock moves on with
    // every read, so chunk n is read n * millisecondsPerRead after arming.
    const std::vector<Case> cases = {
        { "well within the deadline", 1000, 1000, "ABCD" },
        { "third chunk lands exactly on 30000 ms", 10000, 1000, "AB" },
        { "first chunk already too late", 30001, 1000, "" },
        { "just before the deadline", 7499, 1000, "ABCD" },
        { "performance counter rate", 10000, 10'000'000, "AB" },
        { "no clock rate: the first chunk is dropped", 0, 0, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        rig.clock.perSecond = c.ticksPerSecond;
        FakeHttpAttempt attempt;
        attempt.chunks = { "A", "B", "C", "D" };
        attempt.millisecondsPerRead = c.millisecondsPerRead * c.ticksPerSecond / 1000;
        rig.http.attempts.push_back(attempt);

        const ExchangeResult result = ServerExchange(rig.Services(), BodyRequest("body"));

        EXPECT_TRUE(result.completed) << "a deadline is no error: the reply is evaluated";
        EXPECT_EQ(result.replyText, c.expected);
    }
}

TEST(ServerExchangeTest, GoodReplyRunsTheStepsInOrder)
{
    ExchangeRig rig;
    rig.Answer("reply");
    ExchangeRequest request = BodyRequest("ACTION_REQUEST=X&ACTION_MESSAGE=1%7c0");
    request.evaluate = [&](const CompletedReply& reply) {
        rig.journal.push_back("evaluate " + std::string(reply.text) + " " + std::to_string(reply.statusCode));
        return ReplyVerdict { true, true };
    };

    const ExchangeResult result = ServerExchange(rig.Services(), request);

    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.statusCode, 200);
    EXPECT_THAT(rig.journal,
        ElementsAre("status open", "status show", "status connecting", "open session Veraduri Ravirove 2003",
            "open url https://localhost:47443/autodownload.asp 84000002",
            "send Content-Type: application/x-www-form-urlencoded", "status listing", "evaluate reply 200",
            "close request", "close session", "status listed", "sleep 500", "status close"));
    EXPECT_THAT(rig.http.sentBodies, ElementsAre("ACTION_REQUEST=X&ACTION_MESSAGE=1%7c0"));
}

TEST(ServerExchangeTest, BodilessRequestSendsNothingAndRejectedReplySkipsThePause)
{
    ExchangeRig rig;
    rig.Answer("1");
    ExchangeRequest request = BodyRequest("");
    request.openFlags = 0x84800002;
    request.body.reset();
    request.evaluate = [](const CompletedReply&) { return ReplyVerdict { false, false }; };

    const ExchangeResult result = ServerExchange(rig.Services(), request);

    EXPECT_FALSE(result.success);
    EXPECT_TRUE(result.completed);
    EXPECT_THAT(rig.journal,
        ElementsAre("status open", "status show", "status connecting", "open session Veraduri Ravirove 2003",
            "open url https://localhost:47443/autodownload.asp 84800002", "status listing", "close request",
            "close session", "status close"));
    EXPECT_TRUE(rig.http.sentBodies.empty());
}

TEST(ServerExchangeTest, LayerFailureIsReportedThenReleasedWithoutRetryOffer)
{
    struct Case {
        const char* name;
        FakeHttpAttempt attempt;
        std::vector<std::string> tail; // the journal after "open session"
    };
    const std::string box = "message Error!: The certificate authority is invalid or incorrect";
    auto failing = [](auto setter) {
        FakeHttpAttempt attempt;
        attempt.chunks = { "partial" };
        setter(attempt);
        return attempt;
    };
    const std::string openUrl = "open url https://localhost:47443/autodownload.asp 84000002";
    const std::string send = "send Content-Type: application/x-www-form-urlencoded";
    const std::vector<Case> cases = {
        { "root session", failing([](FakeHttpAttempt& a) { a.openSessionError = 12045; }), { box } },
        { "open", failing([](FakeHttpAttempt& a) { a.openUrlError = 12045; }), { openUrl, box, "close session" } },
        { "send", failing([](FakeHttpAttempt& a) { a.sendError = 12045; }),
            { openUrl, send, box, "close request", "close session" } },
        { "read", failing([](FakeHttpAttempt& a) { a.readError = 12045; }),
            { openUrl, send, "status listing", box, "close request", "close session" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        rig.errorTexts.layer[12045] = "The certificate authority is invalid or incorrect";
        rig.http.attempts.push_back(c.attempt);
        bool evaluated = false;
        ExchangeRequest request = BodyRequest("body");
        request.evaluate = [&](const CompletedReply&) {
            evaluated = true;
            return ReplyVerdict { true, true };
        };

        const ExchangeResult result = ServerExchange(rig.Services(), request);

        EXPECT_FALSE(result.success);
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.replyText, "") << "nothing of an abandoned attempt is kept";
        EXPECT_FALSE(evaluated);
        std::vector<std::string> expected
            = { "status open", "status show", "status connecting", "open session Veraduri Ravirove 2003" };
        expected.insert(expected.end(), c.tail.begin(), c.tail.end());
        expected.emplace_back("status close");
        EXPECT_THAT(rig.journal, ElementsAreArray(expected));
    }
}

TEST(ServerExchangeTest, CannotConnectOffersRetryAndOkTriesAgainOnANewSession)
{
    ExchangeRig rig;
    FakeHttpAttempt refused;
    refused.openUrlError = 12029;
    rig.http.attempts = { refused, refused };
    rig.Answer("list");
    rig.dialogs.retryAnswers = { true, true };

    const ExchangeResult result = ServerExchange(rig.Services(), BodyRequest("same body"));

    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.replyText, "list");
    const std::string openSession = "open session Veraduri Ravirove 2003";
    const std::string openUrl = "open url https://localhost:47443/autodownload.asp 84000002";
    const std::vector<std::string> failedAttempt = {
        "status show",
        "status connecting",
        openSession,
        openUrl,
        "message Error!: Error Code:12029",
        "close session",
        "connection dialog no connection [try again] [give up]",
    };
    std::vector<std::string> expected = { "status open" };
    expected.insert(expected.end(), failedAttempt.begin(), failedAttempt.end());
    expected.insert(expected.end(), failedAttempt.begin(), failedAttempt.end());
    expected.insert(expected.end(),
        { "status show", "status connecting", openSession, openUrl,
            "send Content-Type: application/x-www-form-urlencoded", "status listing", "close request", "close session",
            "status listed", "sleep 500", "status close" });
    EXPECT_THAT(rig.journal, ElementsAreArray(expected));
    EXPECT_THAT(rig.http.sentBodies, ElementsAre("same body"));
}

TEST(ServerExchangeTest, RetriedReadFailureSendsTheSameBodyAgain)
{
    ExchangeRig rig;
    FakeHttpAttempt dropped;
    dropped.chunks = { "half a li" };
    dropped.readError = 12029;
    rig.http.attempts = { dropped };
    rig.Answer("whole list");
    rig.dialogs.retryAnswers = { true };

    const ExchangeResult result = ServerExchange(rig.Services(), BodyRequest("body once built"));

    EXPECT_TRUE(result.success);
    EXPECT_EQ(result.replyText, "whole list") << "the dropped attempt's bytes are not kept";
    EXPECT_THAT(rig.http.sentBodies, ElementsAre("body once built", "body once built"));
    EXPECT_TRUE(rig.AllReleased());
}

TEST(ServerExchangeTest, CancelInTheConnectionDialogGivesUp)
{
    ExchangeRig rig;
    FakeHttpAttempt refused;
    refused.openUrlError = 12029;
    rig.http.attempts = { refused };
    rig.Answer("never read");
    rig.dialogs.retryAnswers = { false };

    const ExchangeResult result = ServerExchange(rig.Services(), BodyRequest("body"));

    EXPECT_FALSE(result.success);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(rig.http.attempts.size(), 1u) << "no second attempt";
    EXPECT_EQ(rig.journal.back(), "status close");
    EXPECT_TRUE(rig.AllReleased());
}

namespace gsd {
namespace {

// A sink that keeps what it is handed, as handed.
class RecordingSink final : public ReplySink {
public:
    std::vector<std::string> chunks;
    std::vector<std::uint64_t> totals;
    ReplyHead head;
    int attempts = 0;
    int ended = 0;

    bool BeginAttempt() override
    {
        ++attempts;
        return true;
    }
    bool ReplyOpened(const ReplyHead& opened) override
    {
        head = opened;
        return true;
    }
    bool Accept(std::string_view chunk, std::uint64_t total) override
    {
        chunks.emplace_back(chunk);
        totals.push_back(total);
        return true;
    }
    void EndAttempt() override { ++ended; }
};

TEST(StreamingExchangeTest, SinkGetsEveryByteWithRunningTotalsAndTheAnnouncedLength)
{
    ExchangeRig rig;
    FakeHttpAttempt attempt;
    attempt.chunks = { "\0\x01"s, "ab\0c"s, std::string(1024, '\xFF') };
    attempt.contentLength = 1030;
    rig.http.attempts.push_back(attempt);
    RecordingSink sink;
    std::uint64_t judgedReceived = 0;
    ExchangeRequest request = BodyRequest("body");
    request.sink = &sink;
    request.limit = ReadLimit::Idle;
    request.evaluate = [&](const CompletedReply& reply) {
        judgedReceived = reply.received;
        EXPECT_EQ(reply.contentLength, std::optional<std::uint64_t>(1030));
        return ReplyVerdict { true, false };
    };
    EXPECT_TRUE(ServerExchange(rig.Services(), request).success);
    EXPECT_THAT(sink.chunks, ElementsAre("\0\x01"s, "ab\0c"s, std::string(1024, '\xFF')));
    EXPECT_THAT(sink.totals, ElementsAre(2u, 6u, 1030u));
    EXPECT_EQ(judgedReceived, 1030u);
    EXPECT_EQ(sink.head.contentLength, std::optional<std::uint64_t>(1030));
    EXPECT_EQ(sink.ended, 1);
    EXPECT_TRUE(rig.AllReleased());
}

TEST(StreamingExchangeTest, StalledOrCancelledReadingFailsWithoutRetry)
{
    struct Case {
        const char* name;
        ReadLimit limit;
        int cancelAfterQuestions;
        ReadStop stopped;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        { "idle limit after a stall", ReadLimit::Idle, -1, ReadStop::Idle,
            { "message Error!: The server stopped sending: no data arrived from it for 30 seconds." } },
        { "idle limit within the whole-reply limit", ReadLimit::WholeReply, -1, ReadStop::Idle,
            { "message Error!: The server stopped sending: no data arrived from it for 30 seconds." } },
        { "cancel while the server stalls", ReadLimit::Idle, 3, ReadStop::Cancelled, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        rig.dialogs.cancelAfterQuestions = c.cancelAfterQuestions;
        FakeHttpAttempt attempt;
        attempt.chunks = { "part" };
        attempt.stallAfterChunks = true;
        rig.http.attempts.push_back(attempt);
        RecordingSink sink;
        ExchangeRequest request = BodyRequest("body");
        request.sink = &sink;
        request.limit = c.limit;
        request.cancellable = true;
        bool judged = false;
        request.evaluate = [&](const CompletedReply&) {
            judged = true;
            return ReplyVerdict { true, true };
        };
        const ExchangeResult result = ServerExchange(rig.Services(), request);
        EXPECT_FALSE(result.success);
        EXPECT_FALSE(result.completed);
        EXPECT_FALSE(judged);
        EXPECT_EQ(result.stopped, c.stopped);
        EXPECT_EQ(testing::Messages(rig.journal), c.messages);
        EXPECT_EQ(sink.attempts, 1);
        EXPECT_EQ(sink.ended, 1);
        // The windows kept getting their messages while the server stalled.
        EXPECT_GT(rig.pump.calls, 0);
        EXPECT_TRUE(rig.AllReleased());
    }
}

TEST(StreamingExchangeTest, StartupRepliesIgnoreCancel)
{
    ExchangeRig rig;
    rig.dialogs.cancelAfterQuestions = 0;
    FakeHttpAttempt attempt;
    attempt.chunks = { "list" };
    rig.http.attempts.push_back(attempt);
    std::string seen;
    ExchangeRequest request = BodyRequest("body");
    request.evaluate = [&](const CompletedReply& reply) {
        seen = std::string(reply.text);
        return ReplyVerdict { true, false };
    };
    EXPECT_TRUE(ServerExchange(rig.Services(), request).success);
    EXPECT_EQ(seen, "list");
}

} // namespace
} // namespace gsd

TEST(ServerExchangeTest, RedirectsAreFollowedOnlyToHttpsAddresses)
{
    struct Case {
        const char* name;
        std::vector<std::pair<int, std::string>> redirects; // status, Location
        std::vector<std::string> urlsAfterTheFirst;
        std::string message; // empty: the reply after the redirects is read
    };
    const std::string insecure = "message Error!: The download server sent the request on to ";
    const std::vector<Case> cases = {
        { "to another https host", { { 302, "https://mirror.example/get.asp" } }, { "https://mirror.example/get.asp" },
            "" },
        { "a path on the same host", { { 307, "/moved.asp?x=1" } }, { "https://localhost:47443/moved.asp?x=1" }, "" },
        { "scheme-relative", { { 301, "//cdn.example/a" } }, { "https://cdn.example/a" }, "" },
        { "scheme in capitals, twice", { { 303, "HTTPS://a.example/1" }, { 308, "https://b.example/2" } },
            { "HTTPS://a.example/1", "https://b.example/2" }, "" },
        { "to plain http", { { 302, "http://localhost:47480/autodownload.asp" } }, {},
            insecure + "\"http://localhost:47480/autodownload.asp\", which is not a secure (HTTPS) address.  "
                       "The request was not sent there." },
        { "https, then plain http", { { 302, "https://a.example/1" }, { 302, "http://a.example/1" } },
            { "https://a.example/1" }, insecure + "\"http://a.example/1\", which is not a secure (HTTPS) address.  "
                                                  "The request was not sent there." },
        { "no Location", { { 302, "" } }, {},
            insecure + "\"\", which is not a secure (HTTPS) address.  The request was not sent there." },
        { "a relative path", { { 302, "moved.asp" } }, {},
            insecure + "\"moved.asp\", which is not a secure (HTTPS) address.  The request was not sent there." },
        { "a blank hidden in the address", { { 302, "https://a.example/\r\nX: y" } }, {},
            insecure + "\"https://a.example/??X: y\", which is not a secure (HTTPS) address.  "
                       "The request was not sent there." },
        { "six in a row",
            { { 302, "https://r.example/1" }, { 302, "https://r.example/2" }, { 302, "https://r.example/3" },
                { 302, "https://r.example/4" }, { 302, "https://r.example/5" }, { 302, "https://r.example/6" } },
            { "https://r.example/1", "https://r.example/2", "https://r.example/3", "https://r.example/4",
                "https://r.example/5" },
            "message Error!: The download server sent the request on more than 5 times.  The request was given up." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        for (const auto& [status, location] : c.redirects) {
            FakeHttpAttempt redirect;
            redirect.statusCode = status;
            redirect.location = location;
            redirect.chunks = { "<html>Moved</html>" };
            rig.http.attempts.push_back(redirect);
        }
        rig.Answer("list");

        const ExchangeResult result = ServerExchange(rig.Services(), BodyRequest("body"));

        std::vector<std::string> urls;
        for (const std::string& line : rig.journal) {
            if (line.starts_with("open url ")) {
                urls.push_back(line.substr(9, line.rfind(' ') - 9));
            }
        }
        std::vector<std::string> expectedUrls = { "https://localhost:47443/autodownload.asp" };
        expectedUrls.insert(expectedUrls.end(), c.urlsAfterTheFirst.begin(), c.urlsAfterTheFirst.end());
        EXPECT_EQ(urls, expectedUrls);
        EXPECT_EQ(rig.http.sentBodies, std::vector<std::string>(urls.size(), "body"));
        EXPECT_EQ(result.completed, c.message.empty());
        EXPECT_EQ(result.replyText, c.message.empty() ? "list" : "");
        EXPECT_EQ(testing::Messages(rig.journal),
            c.message.empty() ? std::vector<std::string>() : std::vector<std::string> { c.message });
        EXPECT_TRUE(rig.AllReleased());
    }
}

TEST(ServerExchangeTest, TextReplyLongerThanTheLimitIsNeitherKeptNorJudged)
{
    ExchangeRig rig;
    FakeHttpAttempt attempt;
    attempt.chunks.assign(MaxTextReplyBytes / 1024, std::string(1024, 'x'));
    attempt.chunks.emplace_back("y");
    rig.http.attempts.push_back(attempt);
    bool evaluated = false;
    ExchangeRequest request = BodyRequest("body");
    request.evaluate = [&](const CompletedReply&) {
        evaluated = true;
        return ReplyVerdict { true, true };
    };

    const ExchangeResult result = ServerExchange(rig.Services(), request);

    EXPECT_FALSE(result.completed);
    EXPECT_FALSE(evaluated);
    EXPECT_EQ(result.replyText, "");
    EXPECT_THAT(testing::Messages(rig.journal),
        ElementsAre("message Error!: The download server's reply is longer than 16 MB, far more than any list it "
                    "sends.  It was not read further."));
    EXPECT_TRUE(rig.AllReleased());
}

TEST(ServerExchangeTest, EachAttemptIsLoggedWithItsEndingButNeverTheBody)
{
    ExchangeRig rig;
    FakeHttpAttempt refused;
    refused.openUrlError = 12029;
    FakeHttpAttempt slow;
    slow.chunks = { "li", "st" };
    slow.millisecondsPerRead = 750;
    rig.http.attempts = { refused, slow };
    rig.dialogs.retryAnswers = { true };
    ExchangeRequest request = BodyRequest("ACTION_REQUEST=X&ACTION_MESSAGE=secret");
    request.action = "RETURN+DOWNLOAD+LIST";

    ServerExchange(rig.Services(), request);

    EXPECT_THAT(rig.logLines,
        ElementsAre("exchange RETURN+DOWNLOAD+LIST: failed, HTTP 0, 0 bytes, 0.000 s, Internet error 12029",
            "exchange RETURN+DOWNLOAD+LIST: completed, HTTP 200, 4 bytes, 2.250 s"));
}

} // namespace
} // namespace gsd
