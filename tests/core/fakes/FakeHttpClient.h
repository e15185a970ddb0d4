// An HTTP layer that plays back one scripted attempt per opened session and
// writes every call into a shared journal, so a test sees the exchange's
// calls in order with the window's and the dialogs' calls.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/FakeTiming.h"
#include "ports/HttpClient.h"

namespace gsd::testing {

// What the server does in one attempt. A non-zero error fails that call.
struct FakeHttpAttempt {
    InternetError openSessionError = NoInternetError;
    InternetError openUrlError = NoInternetError;
    InternetError sendError = NoInternetError;
    // The reply, one element per read; a read past the last one returns 0
    // bytes.
    std::vector<std::string> chunks;
    // Fails the read after the chunks, instead of ending the reply.
    InternetError readError = NoInternetError;
    // Milliseconds the fake clock moves on with every read.
    std::int64_t millisecondsPerRead = 0;
    int statusCode = 200;
    // Announced as a Content-Length line of the header.
    std::optional<std::uint64_t> contentLength;
    // Further header lines, each ended by CR LF.
    std::string moreHeaders;
    // The Location header of a redirect. A further URL opened on the same
    // session (a redirect followed) plays the next scripted attempt.
    LocationHeader location;
    // The header never comes: the call that waits for it (the send, or the
    // opening of a bodiless request) waits, 100 ms of the fake clock per
    // call of its waiter, until the waiter gives up. The call then goes on
    // blocking in the layer, which journals that it keeps its handle.
    bool holdBackHeader = false;
    // After the chunks the server sends nothing more and never ends: the
    // read waits, 100 ms of the fake clock per call of its waiter, until
    // the waiter gives up.
    bool stallAfterChunks = false;
};

// A proxy in front of the server that wants a user name and password: it
// answers 407 to every send that does not offer them, across sessions.
struct FakeProxy {
    // The sign-in it takes; none: there is no such proxy.
    std::optional<ProxyCredentials> wanted;
    // What the player types into each sign-in asked, in order; nullopt, or
    // none left: the player cancels.
    std::deque<std::optional<ProxyCredentials>> signIns;
    // Milliseconds of the fake clock the player spends in each sign-in.
    std::int64_t millisecondsPerSignIn = 0;
    // The window each sign-in was shown over.
    std::vector<WindowHandle> owners;
};

class FakeHttpClient : public HttpClient {
public:
    FakeHttpClient(std::vector<std::string>& journal, FakeClock& clock)
        : journal_(journal)
        , clock_(clock)
    {
    }

    // Attempts not yet played; an attempt beyond them cannot connect.
    std::deque<FakeHttpAttempt> attempts;
    FakeProxy proxy;
    // Every body sent, in order.
    std::vector<std::string> sentBodies;
    // Calls of the waiters while a header was held back.
    int headerWaits = 0;
    // Largest read asked for.
    std::size_t largestRead = 0;
    int sessionsOpen = 0;
    int requestsOpen = 0;

    InternetError OpenSession(std::string_view agent, std::unique_ptr<HttpSession>& session) override
    {
        journal_.push_back("open session " + std::string(agent));
        FakeHttpAttempt attempt;
        if (attempts.empty()) {
            attempt.openUrlError = 12029;
        } else {
            attempt = attempts.front();
            attempts.pop_front();
        }
        if (attempt.openSessionError != NoInternetError) {
            return attempt.openSessionError;
        }
        session = std::make_unique<Session>(*this, attempt);
        return NoInternetError;
    }

private:
    class Request : public HttpRequest {
    public:
        Request(FakeHttpClient& client, FakeHttpAttempt attempt)
            : client_(client)
            , attempt_(std::move(attempt))
        {
            ++client_.requestsOpen;
        }
        ~Request() override
        {
            --client_.requestsOpen;
            client_.journal_.emplace_back("close request");
        }
        InternetError Send(std::string_view header, std::string_view body, ServerWaiter& waiter) override
        {
            offered_ = onHandle_;
            client_.journal_.push_back("send " + std::string(header));
            client_.sentBodies.emplace_back(body);
            if (attempt_.sendError == NoInternetError && attempt_.holdBackHeader) {
                return client_.HoldBackHeader(waiter, "send");
            }
            return attempt_.sendError;
        }
        InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ServerWaiter& waiter) override
        {
            client_.largestRead = std::max(client_.largestRead, capacity);
            client_.clock_.now += attempt_.millisecondsPerRead;
            received = 0;
            if (next_ < attempt_.chunks.size()) {
                const std::string& chunk = attempt_.chunks[next_++];
                received = std::min(chunk.size(), capacity);
                std::memcpy(buffer, chunk.data(), received);
                return NoInternetError;
            }
            while (attempt_.stallAfterChunks) {
                client_.clock_.now += 100;
                if (!waiter.KeepWaiting()) {
                    return WaitGivenUp;
                }
            }
            return attempt_.readError;
        }
        int StatusCode() override
        {
            const FakeProxy& proxy = client_.proxy;
            return proxy.wanted && offered_ != proxy.wanted ? 407 : attempt_.statusCode;
        }
        bool AskProxySignIn(WindowHandle owner) override
        {
            FakeProxy& proxy = client_.proxy;
            client_.journal_.emplace_back("proxy sign-in");
            proxy.owners.push_back(owner);
            client_.clock_.now += proxy.millisecondsPerSignIn;
            std::optional<ProxyCredentials> typed;
            if (!proxy.signIns.empty()) {
                typed = proxy.signIns.front();
                proxy.signIns.pop_front();
            }
            if (!typed) {
                return false;
            }
            onHandle_ = typed;
            return true;
        }
        // Journals that it was given, never what.
        void GiveProxySignIn(const ProxyCredentials& credentials) override
        {
            client_.journal_.emplace_back("give proxy sign-in");
            onHandle_ = credentials;
        }
        std::optional<ProxyCredentials> ProxySignInGiven() override { return onHandle_; }
        std::string RawHeaders() override
        {
            std::string headers = "HTTP/1.1 " + std::to_string(attempt_.statusCode) + " Status\r\n";
            if (attempt_.contentLength) {
                headers += "Content-Length: " + std::to_string(*attempt_.contentLength) + "\r\n";
            }
            return headers + attempt_.moreHeaders;
        }
        LocationHeader RedirectLocation() override { return attempt_.location; }

    private:
        FakeHttpClient& client_;
        FakeHttpAttempt attempt_;
        std::size_t next_ = 0;
        // What the handle offers the proxy, and what the last send offered
        // (the opening's own request offers nothing).
        std::optional<ProxyCredentials> onHandle_;
        std::optional<ProxyCredentials> offered_;
    };

    class Session : public HttpSession {
    public:
        Session(FakeHttpClient& client, FakeHttpAttempt attempt)
            : client_(client)
            , attempt_(std::move(attempt))
        {
            ++client_.sessionsOpen;
        }
        ~Session() override
        {
            --client_.sessionsOpen;
            client_.journal_.emplace_back("close session");
        }
        InternetError OpenUrl(
            std::string_view url, std::uint32_t flags, std::unique_ptr<HttpRequest>& request, ServerWaiter& waiter) override
        {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(flags));
            client_.journal_.push_back("open url " + std::string(url) + " " + hex);
            if (urlsOpened_++ > 0) {
                if (client_.attempts.empty()) {
                    return 12029;
                }
                attempt_ = client_.attempts.front();
                client_.attempts.pop_front();
            }
            if (attempt_.openUrlError != NoInternetError) {
                return attempt_.openUrlError;
            }
            // Opening a bodiless request waits for its header.
            if (attempt_.holdBackHeader && (flags & 0x00800000) != 0) {
                return client_.HoldBackHeader(waiter, "open url");
            }
            request = std::make_unique<Request>(client_, attempt_);
            return NoInternetError;
        }

    private:
        FakeHttpClient& client_;
        FakeHttpAttempt attempt_;
        int urlsOpened_ = 0;
    };

    InternetError HoldBackHeader(ServerWaiter& waiter, std::string_view call)
    {
        do {
            clock_.now += 100;
            ++headerWaits;
        } while (waiter.KeepWaiting());
        journal_.push_back("given up: " + std::string(call) + " keeps its handle");
        return WaitGivenUp;
    }

    std::vector<std::string>& journal_;
    FakeClock& clock_;
};

} // namespace gsd::testing
