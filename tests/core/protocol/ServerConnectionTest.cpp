#include "protocol/ServerConnection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/ExchangeRig.h"
#include "protocol/Account.h"
#include "protocol/ActionMessage.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/MessageScrambler.h"

namespace gsd {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using testing::ExchangeRig;
using testing::FakeHttpAttempt;
using testing::Messages;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(CheckServerConnectionTest, OnlyASingleZeroIsAnswerEnough)
{
    struct Case {
        std::string reply;
        int statusCode;
        bool connected;
    };
    const std::vector<Case> cases = {
        { "0", 200, true }, { "0\r\n", 200, false }, { " 0", 200, false }, { "", 200, false }, { "1", 200, false },
        { "00", 200, false }, { "0", 500, true }, // the status is not looked at
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.reply));
        ExchangeRig rig;
        rig.Answer(c.reply, c.statusCode);

        EXPECT_EQ(CheckServerConnection(rig.Services()), c.connected);

        EXPECT_THAT(Messages(rig.journal), ElementsAre()) << "no message for any reply";
        EXPECT_THAT(rig.journal, Contains("open url https://localhost:47443/autodownload.asp 84800002"));
        EXPECT_THAT(rig.journal, Contains("status checking"));
        // The exchange went well whatever the reply: its status and pause follow.
        EXPECT_THAT(rig.journal, Contains("status checked"));
        EXPECT_THAT(rig.journal, Contains("sleep 500"));
        EXPECT_TRUE(rig.http.sentBodies.empty()) << "the check has no body";
    }
}

// What the server sees and must answer, computed independently of the code
// under test from a generator in its first state.
struct ExpectedAuthentication {
    std::string challenge;
    std::string body;
};

ExpectedAuthentication ExpectedFirstAuthentication()
{
    ChallengeGenerator generator;
    const std::string challenge = generator.MakeChallenge();
    return { challenge,
        "ACTION_REQUEST=AUTHENTICATE+HOST&ACTION_MESSAGE=1|0|0000|2|" + std::string(DownloadAccount()) + "|"
            + Scramble(challenge) };
}

TEST(AuthenticateHostTest, SendsTheScrambledChallengeRawAndAcceptsItsEcho)
{
    const ExpectedAuthentication expected = ExpectedFirstAuthentication();
    ExchangeRig rig;
    rig.Answer(expected.challenge);
    ChallengeGenerator generator;

    EXPECT_TRUE(AuthenticateHost(rig.Services(), generator));

    ASSERT_THAT(rig.http.sentBodies, ElementsAre(expected.body));
    EXPECT_EQ(rig.http.sentBodies[0].size(), 48u + 12u + DownloadAccount().size() + 100u);
    EXPECT_THAT(rig.journal, Contains("open url https://localhost:47443/autodownload.asp 84000002"));
    EXPECT_THAT(rig.journal, Contains("status authenticating"));
    EXPECT_THAT(rig.journal, Contains("status authenticated"));
    EXPECT_THAT(Messages(rig.journal), ElementsAre());
}

TEST(AuthenticateHostTest, EchoSplitAtAnyChunkBoundaryStillMatches)
{
    const ExpectedAuthentication expected = ExpectedFirstAuthentication();
    for (std::size_t split = 1; split < expected.challenge.size(); ++split) {
        SCOPED_TRACE(split);
        ExchangeRig rig;
        FakeHttpAttempt attempt;
        attempt.chunks = { expected.challenge.substr(0, split), expected.challenge.substr(split) };
        rig.http.attempts.push_back(attempt);
        ChallengeGenerator generator;
        EXPECT_TRUE(AuthenticateHost(rig.Services(), generator));
    }
}

TEST(AuthenticateHostTest, EveryOtherReplyFails)
{
    const ExpectedAuthentication expected = ExpectedFirstAuthentication();
    std::string oneLetterOff = expected.challenge;
    oneLetterOff[57] = oneLetterOff[57] == 'A' ? 'B' : 'A';
    struct Case {
        const char* name;
        std::string reply;
        int statusCode;
        std::vector<std::string> messages;
        bool pause;
    };
    const std::vector<Case> cases = {
        { "empty reply is an error code", "", 200, { "message Error Number : Unknown Error.  Closing Program." },
            false },
        { "digit 3", "3", 200, { "message Error Number 3: Invalid Private Key.  Closing Program." }, false },
        { "blank and 17", " 17", 200, { "message Error Number  17: Get Download ID Failed.  Closing Program." },
            false },
        { "the scrambled challenge sent back", Scramble(expected.challenge), 200, {}, true },
        { "one letter off", oneLetterOff, 200, {}, true },
        { "challenge and a line break", expected.challenge + "\r\n", 200, {}, true },
        { "an error page", "<html><body>Internal Server Error</body></html>", 500, {}, true },
        { "the challenge under an error status", expected.challenge, 500, {}, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExchangeRig rig;
        rig.Answer(c.reply, c.statusCode);
        ChallengeGenerator generator;

        const bool authenticated = AuthenticateHost(rig.Services(), generator);

        // An echo under an error status still proves the key; the status is
        // not what authentication checks.
        EXPECT_EQ(authenticated, c.reply == expected.challenge);
        EXPECT_EQ(Messages(rig.journal), c.messages);
        if (c.pause) {
            EXPECT_THAT(rig.journal, Contains("sleep 500"));
        } else {
            EXPECT_THAT(rig.journal, Not(Contains("sleep 500")));
            EXPECT_THAT(rig.journal, Not(Contains("status authenticated")));
        }
        EXPECT_TRUE(rig.AllReleased());
    }
}

TEST(AuthenticateHostTest, SameChallengeOnEveryRunOfTheProgram)
{
    // Two fresh generators stand for two runs of the program.
    std::vector<std::string> bodies;
    for (int run = 0; run < 2; ++run) {
        ExchangeRig rig;
        rig.Answer("no");
        ChallengeGenerator generator;
        AuthenticateHost(rig.Services(), generator);
        bodies.push_back(rig.http.sentBodies.at(0));
    }
    EXPECT_EQ(bodies[0], bodies[1]);
    EXPECT_THAT(bodies[0], HasSubstr("ACTION_MESSAGE=1|0|0000|2|"));
}

TEST(AuthenticateHostTest, RetryAfterCannotConnectSendsTheSameChallenge)
{
    const ExpectedAuthentication expected = ExpectedFirstAuthentication();
    ExchangeRig rig;
    FakeHttpAttempt dropped;
    dropped.readError = 12029;
    rig.http.attempts.push_back(dropped);
    rig.Answer(expected.challenge);
    rig.dialogs.retryAnswers = { true };
    ChallengeGenerator generator;

    EXPECT_TRUE(AuthenticateHost(rig.Services(), generator));

    EXPECT_THAT(rig.http.sentBodies, ElementsAre(expected.body, expected.body));
}

} // namespace
} // namespace gsd
