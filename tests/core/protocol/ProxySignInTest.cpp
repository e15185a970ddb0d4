#include "protocol/ProxySignIn.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeHttpClient.h"
#include "fakes/FakeTiming.h"

namespace gsd {
namespace {

class PatientWaiter final : public ServerWaiter {
public:
    bool KeepWaiting() override { return true; }
};

TEST(ProxySignInTest, AsksAtMostThreeTimesAndResendsTheSameRequest)
{
    struct Case {
        const char* name;
        int proxyRefusals;
        std::vector<bool> signIns;
        bool refused;
        std::vector<std::string> journal;
    };
    const std::string resend = "send Content-Type: x";
    const std::vector<Case> cases = {
        { "no proxy sign-in", 0, {}, false, {} },
        { "signed in at once", 1, { true }, false, { "proxy sign-in", resend } },
        { "third sign-in accepted", 3, { true, true, true }, false,
            { "proxy sign-in", resend, "proxy sign-in", resend, "proxy sign-in", resend } },
        { "still refused after three", 4, { true, true, true, true }, true,
            { "proxy sign-in", resend, "proxy sign-in", resend, "proxy sign-in", resend } },
        { "cancelled", 1, { false }, true, { "proxy sign-in" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> journal;
        testing::FakeClock clock;
        testing::FakeHttpClient http(journal, clock);
        testing::FakeHttpAttempt attempt;
        attempt.proxyRefusals = c.proxyRefusals;
        attempt.signIns = c.signIns;
        http.attempts.push_back(attempt);
        std::unique_ptr<HttpSession> session;
        std::unique_ptr<HttpRequest> request;
        ASSERT_EQ(http.OpenSession("agent", session), NoInternetError);
        PatientWaiter waiter;
        ASSERT_EQ(session->OpenUrl("https://localhost/", 0, request, waiter), NoInternetError);
        journal.clear();

        bool refused = false;
        const auto resend = [&] { return request->Send("Content-Type: x", "body", waiter); };
        EXPECT_EQ(SignInToProxy(*request, resend, refused), NoInternetError);

        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(journal, c.journal);
        for (std::size_t i = 0; i < http.sentBodies.size(); ++i) {
            EXPECT_EQ(http.sentBodies[i], "body");
        }
    }
}

} // namespace
} // namespace gsd
