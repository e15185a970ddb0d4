#include "protocol/ProxySignIn.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/ExchangeRig.h"
#include "fakes/FakeHttpClient.h"
#include "fakes/FakeTiming.h"

namespace gsd {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const ProxyCredentials Player { L"player", L"Quarry-Secret-77" };
const ProxyCredentials Changed { L"player", L"Quarry-Secret-78" };
const ProxyCredentials Mistyped { L"player", L"Quarry-Secret" };

constexpr WindowHandle Owner = static_cast<WindowHandle>(7);

class PatientWaiter final : public ServerWaiter {
public:
    bool KeepWaiting() override { return true; }
};

// No line of the log holds what the player typed.
void ExpectNothingTypedIn(const std::vector<std::string>& log)
{
    for (const std::string& line : log) {
        EXPECT_THAT(line, Not(HasSubstr("player")));
        EXPECT_THAT(line, Not(HasSubstr("Quarry")));
    }
}

TEST(ProxySignInTest, AsksOnlyWhatTheKeptSignInCannotAnswerAndKeepsWhatTheProxyTook)
{
    struct Case {
        const char* name;
        // The sign-in the proxy takes; none: no proxy asks.
        std::optional<ProxyCredentials> wanted;
        // Kept before the request, and given to it before a send of the
        // body (otherwise only the opening's own request went out).
        std::optional<ProxyCredentials> kept;
        bool keptSent;
        std::vector<std::optional<ProxyCredentials>> typed;
        std::vector<std::string> journal;
        bool refused;
        std::optional<ProxyCredentials> keptAfter;
        std::vector<std::string> log;
    };
    const std::string send = "send Content-Type: x";
    const std::string ask = "proxy sign-in";
    const std::string line = "proxy sign-in check: ";
    const std::vector<Case> cases = {
        { "no proxy asks", std::nullopt, std::nullopt, false, {}, {}, false, std::nullopt, {} },
        { "signed in at once, kept", Player, std::nullopt, false, { Player }, { ask, send }, false, Player,
            { line + "asked", line + "given", line + "accepted, kept for this run" } },
        { "third sign-in taken", Player, std::nullopt, false, { Mistyped, Mistyped, Player },
            { ask, send, ask, send, ask, send }, false, Player,
            { line + "asked", line + "given", line + "asked", line + "given", line + "asked", line + "given",
                line + "accepted, kept for this run" } },
        { "still refused after three", Player, std::nullopt, false, { Mistyped, Mistyped, Mistyped },
            { ask, send, ask, send, ask, send }, true, std::nullopt,
            { line + "asked", line + "given", line + "asked", line + "given", line + "asked", line + "given",
                line + "still refused after 3 sign-ins" } },
        { "cancelled", Player, std::nullopt, false, { std::nullopt }, { ask }, true, std::nullopt,
            { line + "asked", line + "cancelled" } },
        { "kept sign-in sent with the body is taken", Player, Player, true, {}, {}, false, Player, {} },
        { "opening went without the kept sign-in: sent again, not asked", Player, Player, false, {}, { send }, false,
            Player, {} },
        { "kept sign-in refused: asked again, the new one kept", Changed, Player, true, { Changed }, { ask, send },
            false, Changed,
            { line + "the kept sign-in was refused", line + "asked", line + "given",
                line + "accepted, kept for this run" } },
        { "kept sign-in refused after the opening: sent again, then asked", Changed, Player, false, { Changed },
            { send, ask, send }, false, Changed,
            { line + "the kept sign-in was refused", line + "asked", line + "given",
                line + "accepted, kept for this run" } },
        { "kept sign-in refused, cancelled: forgotten", Changed, Player, true, { std::nullopt }, { ask }, true,
            std::nullopt, { line + "the kept sign-in was refused", line + "asked", line + "cancelled" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> journal;
        testing::FakeClock clock;
        testing::FakeHttpClient http(journal, clock);
        http.attempts.emplace_back();
        http.proxy.wanted = c.wanted;
        http.proxy.signIns.assign(c.typed.begin(), c.typed.end());
        ProxySignInMemory memory;
        if (c.kept) {
            memory.Keep(*c.kept);
        }
        std::unique_ptr<HttpSession> session;
        std::unique_ptr<HttpRequest> request;
        ASSERT_EQ(http.OpenSession("agent", session), NoInternetError);
        PatientWaiter waiter;
        ASSERT_EQ(session->OpenUrl("https://localhost/", 0, request, waiter), NoInternetError);
        if (c.kept) {
            request->GiveProxySignIn(*c.kept);
        }
        if (c.keptSent) {
            ASSERT_EQ(request->Send("Content-Type: x", "body", waiter), NoInternetError);
        }
        journal.clear();
        http.sentBodies.clear();
        std::vector<std::string> log;
        testing::CollectingSupportLog supportLog(log);

        bool refused = false;
        const ProxySignInRun run { *request, [&] { return request->Send("Content-Type: x", "body", waiter); },
            [&] { return request->AskProxySignIn(Owner); }, &memory, c.keptSent, "check", &supportLog };
        EXPECT_EQ(SignInToProxy(run, refused), NoInternetError);

        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(journal, c.journal);
        const auto resends = static_cast<std::size_t>(std::count(c.journal.begin(), c.journal.end(), send));
        EXPECT_EQ(http.sentBodies, std::vector<std::string>(resends, "body"));
        EXPECT_EQ(memory.Kept() != nullptr ? std::optional(*memory.Kept()) : std::nullopt, c.keptAfter);
        EXPECT_EQ(log, c.log);
        ExpectNothingTypedIn(log);
        EXPECT_EQ(http.proxy.owners, std::vector<WindowHandle>(c.typed.size(), Owner));
    }
}

// A connection check and two requests with a body, as start-up and a pass
// run them, each on a session of its own.
std::vector<ExchangeRequest> RunOfExchanges()
{
    std::vector<ExchangeRequest> requests;
    requests.push_back(ServerRequest("check", std::nullopt, { 5, 6, 7 }));
    requests.push_back(ServerRequest("RETURN+DOWNLOAD+LIST", "body one", { 5, 10, 11 }));
    requests.push_back(ServerRequest("RETURN+FILE", "body two", { 5, 10, 11 }));
    return requests;
}

TEST(ProxySignInTest, ARunAsksOnceAndGivesTheSignInToEveryLaterRequest)
{
    testing::ExchangeRig rig;
    rig.http.proxy.wanted = Player;
    rig.http.proxy.signIns = { Player };
    ProxySignInMemory memory;
    ExchangeServices services = rig.Services();
    services.proxySignIns = &memory;

    // The first exchange asks; every later one gives what was kept.
    std::vector<long> asked;
    std::vector<long> given;
    for (const ExchangeRequest& request : RunOfExchanges()) {
        rig.Answer("0");
        rig.journal.clear();

        EXPECT_TRUE(ServerExchange(services, request));

        asked.push_back(std::count(rig.journal.begin(), rig.journal.end(), "proxy sign-in"));
        given.push_back(std::count(rig.journal.begin(), rig.journal.end(), "give proxy sign-in"));
    }
    EXPECT_THAT(asked, ElementsAre(1, 0, 0));
    EXPECT_THAT(given, ElementsAre(0, 1, 1));
    ASSERT_NE(memory.Kept(), nullptr);
    EXPECT_EQ(*memory.Kept(), Player);
    ExpectNothingTypedIn(rig.logLines);
}

TEST(ProxySignInTest, IsShownOverTheStatusDialogOrTheMainDialogWithoutOne)
{
    struct Case {
        const char* name;
        bool noStatusDialog;
        WindowHandle owner;
    };
    constexpr WindowHandle MainDialog = static_cast<WindowHandle>(100);
    const std::vector<Case> cases = {
        { "status dialog", false, testing::FakeServerDialogs::StatusWindow },
        { "no status dialog", true, MainDialog },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::ExchangeRig rig;
        rig.dialogs.noStatusDialog = c.noStatusDialog;
        rig.http.proxy.wanted = Player;
        rig.http.proxy.signIns = { Player };
        rig.Answer("0");
        ExchangeServices services = rig.Services();
        services.mainDialog = MainDialog;

        EXPECT_TRUE(ServerExchange(services, ServerRequest("check", std::nullopt, { 5, 6, 7 })));

        EXPECT_THAT(rig.http.proxy.owners, ElementsAre(c.owner));
    }
}

} // namespace
} // namespace gsd
