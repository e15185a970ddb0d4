#include "platform/WinInetHttpClient.h"

#include <charconv>
#include <string>

#include "platform/ReplyReadAhead.h"
#include "platform/Win32ProxySignIn.h"
#include "platform/WinInetHandles.h"

namespace gsd {
namespace {

class WinInetRequest final : public HttpRequest {
public:
    explicit WinInetRequest(std::shared_ptr<const OpenedRequest> handles)
        : handles_(std::move(handles))
    {
    }

    // Stops the read-ahead, which keeps the handles open until a read it
    // has begun ends; closes them here when it holds them no more.
    ~WinInetRequest() override = default;

    WinInetRequest(const WinInetRequest&) = delete;
    WinInetRequest& operator=(const WinInetRequest&) = delete;

    InternetError Send(std::string_view header, std::string_view body) override
    {
        // WinINet takes the body through a non-const pointer but only reads it.
        std::string bodyCopy(body);
        const BOOL sent = ::HttpSendRequestA(handle(), header.data(), static_cast<DWORD>(header.size()),
            bodyCopy.empty() ? nullptr : bodyCopy.data(), static_cast<DWORD>(bodyCopy.size()));
        return sent ? NoInternetError : LastInternetError();
    }

    InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ReadWaiter& waiter) override
    {
        if (!readAhead_) {
            readAhead_ = std::make_unique<ReplyReadAhead>(handles_);
        }
        if (!*readAhead_) {
            // No thread to read ahead: read here, without waiting for messages.
            DWORD read = 0;
            const BOOL ok = ::InternetReadFile(handle(), buffer, static_cast<DWORD>(capacity), &read);
            received = ok ? read : 0;
            return ok ? NoInternetError : LastInternetError();
        }
        return readAhead_->Read(buffer, capacity, received, waiter);
    }

    std::optional<std::uint64_t> ContentLength() override
    {
        char text[32] = {};
        DWORD size = sizeof text;
        if (!::HttpQueryInfoA(handle(), HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
            return std::nullopt;
        }
        std::uint64_t length = 0;
        const auto [end, error] = std::from_chars(text, text + size, length);
        if (error != std::errc() || end == text) {
            return std::nullopt;
        }
        return length;
    }

    bool AskProxySignIn() override { return gsd::AskProxySignIn(handle()); }

    std::string RedirectLocation() override
    {
        // A Location longer than this is no address the exchange would follow.
        constexpr DWORD LongestLocation = 8192;
        std::string location(LongestLocation, '\0');
        DWORD size = LongestLocation;
        if (!::HttpQueryInfoA(handle(), HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) {
            // Too long to be followed; the words say so in the message.
            return ::GetLastError() == ERROR_INSUFFICIENT_BUFFER ? std::string("(an address of over 8 KB)")
                                                                 : std::string();
        }
        location.resize(size);
        return location;
    }

    int StatusCode() override
    {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!::HttpQueryInfoA(handle(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) {
            return 0;
        }
        return static_cast<int>(status);
    }

private:
    HINTERNET handle() const { return handles_->request.get(); }

    std::shared_ptr<const OpenedRequest> handles_;
    // Declared last, so it stops before this object lets go of the handles.
    std::unique_ptr<ReplyReadAhead> readAhead_;
};

class WinInetSession final : public HttpSession {
public:
    explicit WinInetSession(unique_hinternet handle)
        : handle_(std::make_shared<unique_hinternet>(std::move(handle)))
    {
    }

    InternetError OpenUrl(std::string_view url, std::uint32_t flags, std::unique_ptr<HttpRequest>& request) override
    {
        const std::string urlZ(url);
        // WinINet would follow a redirect even from HTTPS to plain HTTP,
        // sending the body there; the exchange judges every redirect itself.
        unique_hinternet opened(::InternetOpenUrlA(
            handle_->get(), urlZ.c_str(), nullptr, 0, flags | INTERNET_FLAG_NO_AUTO_REDIRECT, 0));
        if (!opened) {
            return LastInternetError();
        }
        request = std::make_unique<WinInetRequest>(
            std::make_shared<const OpenedRequest>(OpenedRequest { handle_, std::move(opened) }));
        return NoInternetError;
    }

private:
    // Shared with every request opened from it, which must close first.
    std::shared_ptr<const unique_hinternet> handle_;
};

} // namespace

InternetError WinInetHttpClient::OpenSession(std::string_view agent, std::unique_ptr<HttpSession>& session)
{
    const std::string agentZ(agent);
    unique_hinternet root(::InternetOpenA(agentZ.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) {
        return LastInternetError();
    }
    session = std::make_unique<WinInetSession>(std::move(root));
    return NoInternetError;
}

} // namespace gsd
