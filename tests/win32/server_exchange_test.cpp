// The server exchanges on the WinINet adapter, the performance-counter clock
// and the platform's error texts, against the reference server under Wine.
// The window and the dialogs are fakes, so every message the user would see
// is checked as text.
#include <windows.h>
#include <winsock2.h>
#include <wininet.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "shell/DeadlineTimer.h"
#include "fakes/FakeMainWindow.h"
#include "fakes/FakeServerDialogs.h"
#include "fakes/FakeTiming.h"
#include "platform/Win32InternetErrorTexts.h"
#include "platform/Win32MessagePump.h"
#include "platform/Win32Timing.h"
#include "platform/WinInetHttpClient.h"
#include "protocol/ActionMessage.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/DownloadList.h"
#include "protocol/SecureRedirect.h"
#include "protocol/ServerConnection.h"
#include "tests/support/ReferenceServer.h"

namespace gsd {
namespace {

using test::RecordedRequest;
using test::ReferenceServer;
using test::ReferenceServerOptions;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::string_view InfoTexts = "No server|Again|Give up|t3|t4|Connecting|Checking|Checked|Authenticating|"
                                       "Authenticated|Listing|Listed";

// Dialogs that do something (start the server, say) while the connection
// dialog is open, the way a user would before pressing OK.
class DialogsWithAction : public ServerDialogs {
public:
    DialogsWithAction(ServerDialogs& inner, std::function<void()> action)
        : inner_(inner)
        , action_(std::move(action))
    {
    }
    std::unique_ptr<StatusDialog> OpenStatusDialog() override { return inner_.OpenStatusDialog(); }
    bool OfferConnectionRetry(std::string_view text, std::string_view okText, std::string_view cancelText) override
    {
        action_();
        return inner_.OfferConnectionRetry(text, okText, cancelText);
    }

private:
    ServerDialogs& inner_;
    std::function<void()> action_;
};

// The real platform under a fake window and fake dialogs.
class ExchangeOnWine : public ::testing::Test {
protected:
    void StartServer(ReferenceServerOptions options)
    {
        options.port = 0;
        server_.emplace(std::move(options));
        ASSERT_TRUE(server_->Start()) << server_->Error();
        url_ = server_->Url();
    }

    ExchangeServices Services()
    {
        return ExchangeServices { http_, window_, dialogs_, errorTexts_, clock_, sleeper_, pump_, url_, InfoTexts };
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> messages;
        for (const std::string& line : journal_) {
            if (line.starts_with("message ")) {
                messages.push_back(line);
            }
        }
        return messages;
    }

    std::vector<std::string> journal_;
    testing::FakeMainWindow window_ { journal_ };
    testing::FakeServerDialogs dialogs_ { journal_ };
    testing::FakeSleeper sleeper_ { journal_ };
    WinInetHttpClient http_;
    Win32InternetErrorTexts errorTexts_;
    PerformanceCounterClock clock_;
    Win32MessagePump pump_;
    std::optional<ReferenceServer> server_;
    std::string url_;
};

TEST_F(ExchangeOnWine, ConnectionCheckSendsABodilessRequestWithTheAgent)
{
    StartServer({});

    EXPECT_TRUE(CheckServerConnection(Services()));

    const std::vector<RecordedRequest> requests = server_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/autodownload.asp");
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[0].Header("User-Agent"), "Veraduri Ravirove 2003");
    EXPECT_THAT(Messages(), ElementsAre());
}

TEST_F(ExchangeOnWine, AuthenticationSendsTheChallengeRawOnTheOpenedRequest)
{
    StartServer({});
    ChallengeGenerator generator;
    ChallengeGenerator copy = generator;
    const std::optional<AuthenticationPayload> expected = BuildAuthenticationPayload(copy);
    ASSERT_TRUE(expected);

    EXPECT_TRUE(AuthenticateHost(Services(), generator));

    // Opening the URL sends a bodiless request first; only the second carries
    // the body, and its reply is the one read.
    const std::vector<RecordedRequest> requests = server_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[1].kind, "auth");
    EXPECT_EQ(requests[1].body, AuthenticationRequestBody(expected->message));
    EXPECT_EQ(requests[1].Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[1].Header("Content-Length"), std::to_string(requests[1].body.size()));
}

TEST_F(ExchangeOnWine, LongDownloadListArrivesWholeAcrossManyReads)
{
    ReferenceServerOptions options;
    std::string expected;
    for (int i = 0; i < 200; ++i) {
        const std::string line = "3|Pack " + std::to_string(i) + "|Pack" + std::to_string(i)
            + "|Quil|A pack of bricks, number " + std::to_string(i) + "|new|1|0|" + std::to_string(i) + "|1";
        options.catalogue.push_back(line);
        expected += (i == 0 ? "" : "\r\n") + line;
    }
    StartServer(options);
    const std::string message = BuildDownloadListMessage("1|0|0", "1|0|0|1", 0, "0");
    std::string list;

    EXPECT_TRUE(RequestDownloadList(
        Services(), [&] { return message; }, list));

    EXPECT_GT(list.size(), 10'000u);
    EXPECT_EQ(list, expected);
    const std::vector<RecordedRequest> requests = server_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].kind, "list");
    EXPECT_EQ(requests[1].body, DownloadListRequestBody(message));
}

TEST_F(ExchangeOnWine, ErrorStatusPageIsNotTakenAsTheList)
{
    ReferenceServerOptions options;
    options.catalogue = { "3|Bricks|Bricks|Quil|Bricks|new|1|0|0|1" };
    options.faults = { "list:status=500" };
    StartServer(options);
    std::string list = "before";

    EXPECT_FALSE(RequestDownloadList(
        Services(), [] { return BuildDownloadListMessage("1|0|0", "1|0|0|1", 0, "0"); }, list));

    EXPECT_EQ(list, "before");
    EXPECT_THAT(Messages(),
        ElementsAre("message Error!: The download server answered with HTTP status 500 instead of "
                    "the download list.  Closing Program."));
}

// A plain TCP listener on loopback that never answers: whether anything
// connected to it shows in its backlog.
class PlainListener {
public:
    PlainListener()
    {
        WSADATA data;
        started_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
        socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) == 0 && ::listen(socket_, 4) == 0
            && ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
            port_ = ::ntohs(address.sin_port);
        }
    }
    ~PlainListener()
    {
        ::closesocket(socket_);
        if (started_) {
            ::WSACleanup();
        }
    }
    PlainListener(const PlainListener&) = delete;
    PlainListener& operator=(const PlainListener&) = delete;

    int port() const { return port_; }

    bool SomethingConnected() const
    {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval now {};
        return ::select(0, &readable, nullptr, nullptr, &now) == 1;
    }

private:
    bool started_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    int port_ = 0;
};

TEST_F(ExchangeOnWine, RedirectIsFollowedToHttpsOnlyAndPlainHttpIsNeverAsked)
{
    PlainListener plain;
    ASSERT_NE(plain.port(), 0);
    const std::string plainUrl = "http://localhost:" + std::to_string(plain.port()) + "/autodownload.asp";
    ReferenceServerOptions options;
    options.catalogue = { "3|Bricks|Bricks|Quil|Bricks|new|1|0|0|1" };
    StartServer(options);
    struct Case {
        const char* name;
        std::string fault;
        bool listed;
        std::size_t requests;
    };
    const std::vector<Case> cases = {
        // Each exchange opens the URL (a bodiless request) and then sends the body.
        { "to the same server over https", "list:redirect=" + url_ + ",times=1", true, 4 },
        { "to plain http", "list:redirect=" + plainUrl, false, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        journal_.clear();
        ASSERT_TRUE(server_->SetFaults({ c.fault })) << server_->Error();
        const std::size_t before = server_->Requests().size();
        std::string list;

        const bool listed = RequestDownloadList(
            Services(), [] { return BuildDownloadListMessage("1|0|0", "1|0|0|1", 0, "0"); }, list);

        EXPECT_EQ(listed, c.listed);
        EXPECT_EQ(list, c.listed ? "3|Bricks|Bricks|Quil|Bricks|new|1|0|0|1" : "");
        EXPECT_EQ(server_->Requests().size() - before, c.requests);
        EXPECT_EQ(Messages(),
            c.listed ? std::vector<std::string>() : std::vector<std::string> { "message Error!: " + InsecureRedirectText(plainUrl) });
        EXPECT_FALSE(plain.SomethingConnected()) << "a request went out in clear";
    }
}

TEST_F(ExchangeOnWine, RefusedConnectionIsDescribedAndOffersRetryWhichReachesTheServer)
{
    StartServer({});
    ASSERT_TRUE(server_->SetFaults({ "refuse" })) << server_->Error();
    dialogs_.retryAnswers = { true };
    // The connection dialog is where the user would wait for the server.
    bool cleared = false;
    DialogsWithAction clearing(dialogs_, [&] { cleared = server_->SetFaults({}); });

    EXPECT_TRUE(CheckServerConnection(
        ExchangeServices { http_, window_, clearing, errorTexts_, clock_, sleeper_, pump_, url_, InfoTexts }));

    EXPECT_TRUE(cleared) << server_->Error();
    const std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_THAT(messages[0], StartsWith("message Error!: "));
    EXPECT_EQ(messages[0], "message Error!: " + InternetErrorMessage(errorTexts_, ERROR_INTERNET_CANNOT_CONNECT));
    EXPECT_THAT(journal_, ::testing::Contains("connection dialog No server [Again] [Give up]"));
    EXPECT_EQ(server_->Requests().size(), 1u) << "only the second attempt reached the server";
}

// Gives up after a number of waits.
class CountingWaiter final : public ServerWaiter {
public:
    explicit CountingWaiter(int patience) : patience_(patience) {}
    bool KeepWaiting() override { return ++calls < patience_; }
    int calls = 0;

private:
    int patience_;
};

TEST_F(ExchangeOnWine, ReadOfAStalledReplyCallsItsWaiterAndCanBeGivenUp)
{
    ReferenceServerOptions options;
    options.faults = { "check:reply=" + std::string(1500, 'x'), "check:stall=60,after=1200" };
    StartServer(options);
    std::unique_ptr<HttpSession> session;
    ASSERT_EQ(http_.OpenSession("test", session), NoInternetError);
    std::unique_ptr<HttpRequest> request;
    CountingWaiter opening(1000);
    ASSERT_EQ(session->OpenUrl(url_, 0x84000000 | INTERNET_FLAG_SECURE, request, opening), NoInternetError);
    EXPECT_THAT(request->RawHeaders(), HasSubstr("\r\nContent-Length: 1500\r\n"));

    CountingWaiter waiter(5);
    char buffer[1024] = {};
    std::size_t received = 0;
    // The bytes before the stall arrive; then the read waits, calling the
    // waiter, until it gives up.
    InternetError error = NoInternetError;
    std::string text;
    do {
        error = request->Read(buffer, sizeof buffer, received, waiter);
        text.append(buffer, error == NoInternetError ? received : 0);
    } while (error == NoInternetError && received > 0);
    EXPECT_EQ(error, WaitGivenUp);
    // (WinINet under Wine hands out only whole 1024-byte reads before the
    // end of a reply.)
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 1200u);
    EXPECT_EQ(waiter.calls, 5);
    // Closing the request ends the read the server still keeps waiting; a
    // hang here would outlast the test's time limit.
    request.reset();
    session.reset();
}

TEST_F(ExchangeOnWine, OpeningWhoseHeaderIsHeldBackIsGivenUpAndLeftToItsWorker)
{
    ReferenceServerOptions options;
    options.faults = { "check:delay=20" };
    StartServer(options);
    std::unique_ptr<HttpSession> session;
    ASSERT_EQ(http_.OpenSession("test", session), NoInternetError);
    std::unique_ptr<HttpRequest> request;
    CountingWaiter waiter(10);
    const ULONGLONG started = ::GetTickCount64();

    EXPECT_EQ(session->OpenUrl(url_, 0x84800000, request, waiter), WaitGivenUp);
    session.reset();

    // Ten waits of a tenth of a second, and the session let go without
    // waiting for the blocked opening.
    EXPECT_EQ(waiter.calls, 10);
    EXPECT_FALSE(request);
    EXPECT_LT(::GetTickCount64() - started, 5000u);
}

TEST_F(ExchangeOnWine, ReplyLongerThanTheReadAheadReachesASlowReaderWholeAndInOrder)
{
    // Numbered blocks, so a lost, doubled or swapped chunk shows; several
    // times what the read-ahead holds (256 chunks of the reader's size).
    std::string reply;
    for (int block = 0; reply.size() < 1024 * 1024; ++block) {
        char text[16];
        std::snprintf(text, sizeof text, "%07d-", block);
        reply += text;
    }
    ReferenceServerOptions options;
    options.faults = { "check:reply=" + reply };
    StartServer(options);
    std::unique_ptr<HttpSession> session;
    ASSERT_EQ(http_.OpenSession("test", session), NoInternetError);
    std::unique_ptr<HttpRequest> request;
    CountingWaiter waiter(600);
    ASSERT_EQ(session->OpenUrl(url_, 0x84000000 | INTERNET_FLAG_SECURE, request, waiter), NoInternetError);

    char buffer[1024] = {};
    std::size_t received = 0;
    InternetError error = NoInternetError;
    std::string text;
    for (int reads = 0;; ++reads) {
        // The reader falls behind now and then, long enough for the
        // read-ahead to fill up and wait for room.
        if (reads % 256 == 1) {
            Win32Sleeper().Sleep(300);
        }
        error = request->Read(buffer, sizeof buffer, received, waiter);
        if (error != NoInternetError || received == 0) {
            break;
        }
        text.append(buffer, received);
    }
    EXPECT_EQ(error, NoInternetError);
    EXPECT_EQ(text.size(), reply.size());
    EXPECT_TRUE(text == reply) << "first difference at byte "
                               << std::distance(text.begin(),
                                      std::mismatch(text.begin(), text.end(), reply.begin(), reply.end()).first);
}

TEST_F(ExchangeOnWine, UntrustedCertificateIsReportedOnceWithoutRetryOffer)
{
    ReferenceServerOptions options;
    options.trustedCertificate = false;
    StartServer(options);

    EXPECT_FALSE(CheckServerConnection(Services()));

    const std::vector<std::string> messages = Messages();
    ASSERT_EQ(messages.size(), 1u);
    // Wine ends in "invalid CA" or "revocation check failed", Windows may
    // sum it up as certificate errors: any of them, described as the
    // platform describes it.
    bool certificateError = false;
    for (const DWORD code :
        { ERROR_INTERNET_INVALID_CA, ERROR_INTERNET_SEC_CERT_REV_FAILED, ERROR_INTERNET_SEC_CERT_ERRORS }) {
        certificateError
            = certificateError || messages[0] == "message Error!: " + InternetErrorMessage(errorTexts_, code);
    }
    EXPECT_TRUE(certificateError) << messages[0];
    EXPECT_THAT(journal_, ::testing::Not(::testing::Contains(HasSubstr("connection dialog"))));
    EXPECT_THAT(journal_, ::testing::Not(::testing::Contains("sleep 500")));
}

TEST(InternetErrorTextsOnWine, LayerAndSystemTablesAreRead)
{
    Win32InternetErrorTexts texts;
    // The layer's own table knows its codes; the system's knows the system's.
    EXPECT_THAT(texts.LayerMessageText(ERROR_INTERNET_CANNOT_CONNECT), ::testing::Not(::testing::IsEmpty()));
    EXPECT_THAT(texts.SystemMessageText(ERROR_FILE_NOT_FOUND), ::testing::Not(::testing::IsEmpty()));
    EXPECT_EQ(texts.LayerMessageText(0x7FFF0000u), "");
    EXPECT_EQ(texts.SystemMessageText(0x7FFF0000u), "");
    EXPECT_EQ(InternetErrorMessage(texts, 0x7FFF0000u), "Error Code:2147418112");
}

TEST(PerformanceCounterClockOnWine, MovesForwardAtItsRate)
{
    PerformanceCounterClock clock;
    ASSERT_GT(clock.TicksPerSecond(), 0);
    const std::int64_t before = clock.Ticks();
    Win32Sleeper().Sleep(50);
    const std::int64_t elapsed = clock.Ticks() - before;
    EXPECT_GE(elapsed, clock.TicksPerSecond() * 45 / 1000);
    EXPECT_LT(elapsed, clock.TicksPerSecond() * 5);
    DeadlineTimer timer(clock);
    timer.Set(60000);
    EXPECT_FALSE(timer.Expired());
    timer.Set(20);
    Win32Sleeper().Sleep(30);
    EXPECT_TRUE(timer.Expired());
}

} // namespace
} // namespace gsd
