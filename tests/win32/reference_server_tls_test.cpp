// The reference download server as WinINet meets it under Wine: trusted once
// the run's test CA is imported, refused with a certificate error otherwise,
// a body sent on the handle that opening the URL returned is read, and the
// refuse fault closes the port the way an absent server does.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/WinInetHandles.h"
#include "protocol/ActionMessage.h"
#include "protocol/ActionRequestBody.h"
#include "tests/support/ReferenceServer.h"

namespace {

constexpr DWORD CheckFlags = 0x84800002; // what the connection check opens with
constexpr DWORD BodyFlags = 0x84000002; // what every request with a body opens with

struct Exchange {
    DWORD error = 0; // the WinINet error that ended it, 0 when a reply was read
    std::string reply;
};

// One exchange the way the program makes it: open the URL, send the body
// (if any) on the same handle, read the reply in 1024-byte pieces.
Exchange Fetch(const std::string& url, const std::string& body = {})
{
    Exchange result;
    const gsd::unique_hinternet root(
        ::InternetOpenA("Veraduri Ravirove 2003", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    const gsd::unique_hinternet request(
        ::InternetOpenUrlA(root.get(), url.c_str(), nullptr, 0, body.empty() ? CheckFlags : BodyFlags, 0));
    const char header[] = "Content-Type: application/x-www-form-urlencoded";
    bool ok = static_cast<bool>(request);
    if (ok && !body.empty())
        ok = ::HttpSendRequestA(request.get(), header, sizeof header - 1, const_cast<char*>(body.data()),
                 static_cast<DWORD>(body.size()))
            != FALSE;
    char buffer[1025];
    DWORD count = 0;
    while (ok && (ok = ::InternetReadFile(request.get(), buffer, 1024, &count) != FALSE) && count > 0)
        result.reply.append(buffer, count);
    if (!ok)
        result.error = ::GetLastError();
    return result;
}

gsd::test::ReferenceServerOptions AnyPort()
{
    gsd::test::ReferenceServerOptions options;
    options.port = 0;
    return options;
}

TEST(ReferenceServerTls, TrustedTestCaLetsTheConnectionCheckThrough)
{
    gsd::test::ReferenceServer server(AnyPort());
    ASSERT_TRUE(server.Start()) << server.Error();

    const Exchange exchange = Fetch(server.Url());

    EXPECT_EQ(exchange.error, 0u);
    EXPECT_EQ(exchange.reply, "0");
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, "check");
    EXPECT_EQ(requests[0].Header("user-agent"), "Veraduri Ravirove 2003");
}

TEST(ReferenceServerTls, CertificateOfAnUntrustedCaIsRefused)
{
    gsd::test::ReferenceServerOptions options = AnyPort();
    options.trustedCertificate = false;
    gsd::test::ReferenceServer server(options);
    ASSERT_TRUE(server.Start()) << server.Error();

    const Exchange exchange = Fetch(server.Url());

    // Wine reports 12057 (revocation check failed) where Windows says 12045.
    EXPECT_TRUE(exchange.error == ERROR_INTERNET_INVALID_CA || exchange.error == ERROR_INTERNET_SEC_CERT_REV_FAILED)
        << "error " << exchange.error;
    EXPECT_TRUE(exchange.reply.empty());
}

TEST(ReferenceServerTls, BodySentOnTheOpenedUrlIsReadAndTheChallengeEchoed)
{
    gsd::test::ReferenceServer server(AnyPort());
    ASSERT_TRUE(server.Start()) << server.Error();
    const auto payload = gsd::BuildAuthenticationPayload();
    ASSERT_TRUE(payload.has_value());
    const std::string body = gsd::AuthenticationRequestBody(payload->message);

    const Exchange exchange = Fetch(server.Url(), body);

    EXPECT_EQ(exchange.error, 0u);
    EXPECT_EQ(exchange.reply, payload->challenge);
    // Opening the URL sends a bodiless GET; the body follows in a second GET.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].kind, "check");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].kind, "auth");
    EXPECT_EQ(requests[1].body, body);
    EXPECT_EQ(requests[1].Header("Content-Type"), "application/x-www-form-urlencoded");
}

TEST(ReferenceServerTls, RefuseFaultGivesCannotConnectUntilCleared)
{
    gsd::test::ReferenceServer server(AnyPort());
    ASSERT_TRUE(server.Start()) << server.Error();

    ASSERT_TRUE(server.SetFaults({ "refuse" })) << server.Error();
    EXPECT_EQ(Fetch(server.Url()).error, static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));

    ASSERT_TRUE(server.SetFaults({})) << server.Error();
    EXPECT_EQ(Fetch(server.Url()).reply, "0");
}

TEST(ReferenceServerTls, RejectedFaultIsReported)
{
    gsd::test::ReferenceServer server(AnyPort());
    ASSERT_TRUE(server.Start()) << server.Error();

    EXPECT_FALSE(server.SetFaults({ "list:no-such-fault" }));
    EXPECT_NE(server.Error().find("unknown fault"), std::string::npos) << server.Error();
}

} // namespace
