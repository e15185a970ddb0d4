// Calls given up while the server holds its answer: WinINet's own time-outs
// end them and close their socket, so no thread or connection is kept until
// the program ends. The server is a listener of this test that takes the
// connection and then says nothing more.
#include <windows.h>
#include <wininet.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/WinInetHttpClient.h"

namespace gsd {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint32_t ShortTimeoutMs = 1500;

// What the listener does before it falls silent; with Handshake it takes
// every connection and never says a word, so a TLS handshake waits forever.
enum class Holds { Header, SecondHeader, Body, Handshake };

// Reads up to the end of a request's header; false when the peer left.
bool ReadRequest(SOCKET connection)
{
    std::string received;
    char buffer[1024];
    while (received.find("\r\n\r\n") == std::string::npos) {
        const int got = ::recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return false;
        }
        received.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
}

void Send(SOCKET connection, const std::string& bytes)
{
    ::send(connection, bytes.data(), static_cast<int>(bytes.size()), 0);
}

// Listens on a port of 127.0.0.1, takes one connection and holds it as
// asked; notes when the client closes it.
class SilentServer {
public:
    explicit SilentServer(Holds holds)
    {
        WSADATA data {};
        ::WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
        int size = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        ::listen(listener_, 1);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ::ntohs(address.sin_port);
        thread_ = std::thread([this, holds] { Serve(holds); });
    }

    ~SilentServer()
    {
        // A connection the client still holds ends here.
        const SOCKET connection = connection_.exchange(INVALID_SOCKET);
        if (connection != INVALID_SOCKET) {
            ::shutdown(connection, SD_BOTH);
        }
        ::closesocket(listener_);
        if (thread_.joinable()) {
            thread_.join();
        }
        for (const SOCKET held : held_) {
            ::closesocket(held);
        }
        ::WSACleanup();
    }

    std::string Url(const char* scheme = "http") const
    {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_) + "/autodownload.asp";
    }

    // Whether the client closed the connection within `limit`.
    bool ClosedWithin(std::chrono::milliseconds limit) const
    {
        const auto end = Clock::now() + limit;
        while (!closed_.load() && Clock::now() < end) {
            ::Sleep(50);
        }
        return closed_.load();
    }

private:
    void Serve(Holds holds)
    {
        if (holds == Holds::Handshake) {
            for (SOCKET taken = ::accept(listener_, nullptr, nullptr); taken != INVALID_SOCKET;
                 taken = ::accept(listener_, nullptr, nullptr)) {
                held_.push_back(taken);
            }
            return;
        }
        const SOCKET connection = ::accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET) {
            return;
        }
        connection_.store(connection);
        if (ReadRequest(connection)) {
            if (holds == Holds::SecondHeader) {
                Send(connection, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
                ReadRequest(connection);
            } else if (holds == Holds::Body) {
                Send(connection, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1000, 'x'));
            }
            // Silent now: only the client's close ends this.
            char buffer[256];
            while (::recv(connection, buffer, sizeof buffer, 0) > 0) { }
        }
        closed_.store(true);
        connection_.store(INVALID_SOCKET);
        ::closesocket(connection);
    }

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::thread thread_;
    std::atomic<bool> closed_ { false };
    std::atomic<SOCKET> connection_ { INVALID_SOCKET };
    // Handshake's connections, the thread's until it has ended.
    std::vector<SOCKET> held_;
};

// Gives up after `patience` questions.
class Waiter final : public ServerWaiter {
public:
    explicit Waiter(int patience)
        : patience_(patience)
    {
    }
    bool KeepWaiting() override { return --patience_ > 0; }

private:
    int patience_;
};

TEST(GivenUpCallsOnWine, EndWithinTheirTimeOutAndCloseTheirSocket)
{
    struct Case {
        const char* name;
        Holds holds;
    };
    const std::vector<Case> cases = {
        { "the opening's header held back", Holds::Header },
        { "the sent request's header held back", Holds::SecondHeader },
        { "the body held back", Holds::Body },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SilentServer server(c.holds);
        WinInetHttpClient http(ShortTimeoutMs);
        std::unique_ptr<HttpSession> session;
        ASSERT_EQ(http.OpenSession("test", session), NoInternetError);
        std::unique_ptr<HttpRequest> request;
        const std::uint32_t flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
        Waiter patient(100);
        Waiter impatient(3);
        InternetError error = NoInternetError;
        if (c.holds == Holds::Header) {
            error = session->OpenUrl(server.Url(), flags, request, impatient);
        } else {
            ASSERT_EQ(session->OpenUrl(server.Url(), flags, request, patient), NoInternetError);
            char buffer[1024];
            std::size_t received = 0;
            if (c.holds == Holds::SecondHeader) {
                while (request->Read(buffer, sizeof buffer, received, patient) == NoInternetError && received > 0) { }
                error = request->Send("Content-Type: application/x-www-form-urlencoded\r\n", "a=b", impatient);
            } else {
                error = request->Read(buffer, sizeof buffer, received, impatient);
            }
        }
        EXPECT_EQ(error, WaitGivenUp);
        const auto givenUp = Clock::now();
        request.reset();
        session.reset();

        EXPECT_TRUE(server.ClosedWithin(std::chrono::milliseconds(ShortTimeoutMs + 4000)))
            << "the given-up call still holds its connection";
        EXPECT_GT(Clock::now() - givenUp, std::chrono::milliseconds(ShortTimeoutMs / 2))
            << "closed by the giving up itself, not by the time-out";
    }
}

// Nothing ends a TLS handshake that the server never answers, so the calls
// given up in one stay blocked: beyond a few, no call is started.
TEST(GivenUpCallsOnWine, AtMostEightGivenUpCallsAreLeftBlockedAtOnce)
{
    SilentServer server(Holds::Handshake);
    WinInetHttpClient http(ShortTimeoutMs);
    std::vector<InternetError> errors;
    std::vector<std::unique_ptr<HttpSession>> sessions;
    for (int call = 0; call < 9; ++call) {
        sessions.emplace_back();
        ASSERT_EQ(http.OpenSession("test", sessions.back()), NoInternetError);
        std::unique_ptr<HttpRequest> request;
        Waiter impatient(2);
        errors.push_back(sessions.back()->OpenUrl(server.Url("https"),
            INTERNET_FLAG_SECURE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, request, impatient));
    }

    std::vector<InternetError> expected(8, WaitGivenUp);
    expected.push_back(ERROR_INTERNET_TIMEOUT);
    EXPECT_EQ(errors, expected);
}

} // namespace
} // namespace gsd
