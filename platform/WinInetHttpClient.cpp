#include "platform/WinInetHttpClient.h"

#include <string>

#include "platform/ReplyReadAhead.h"
#include "platform/Win32ProxySignIn.h"
#include "platform/Win32WindowHandle.h"
#include "platform/WinInetHandles.h"
#include "platform/WinInetWorkerCall.h"

namespace gsd {
namespace {

void SetSocketTimeouts(HINTERNET handle, DWORD timeout)
{
    for (const DWORD option :
        { INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
            INTERNET_OPTION_DATA_SEND_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT }) {
        ::InternetSetOptionA(handle, option, &timeout, sizeof timeout);
    }
}

// Handles made from the root inherit its time-outs on Windows but not
// under Wine, where they start with none; InternetOpenUrlA sends before its
// caller sees the request handle, so the handle gets them here, as it is
// made (before any byte is sent, so the socket has them too). The new
// handle comes first in the information either way WinINet gives it (the
// handle, or an async result that starts with it). The call's context is
// the time-out (WinINet calls back only for a context that is not 0).
void CALLBACK OnHandleStatus(HINTERNET, DWORD_PTR context, DWORD status, void* information, DWORD length)
{
    if (status == INTERNET_STATUS_HANDLE_CREATED && information != nullptr && length >= sizeof(HINTERNET)) {
        SetSocketTimeouts(*static_cast<HINTERNET*>(information), static_cast<DWORD>(context));
    }
}

class WinInetRequest final : public HttpRequest {
public:
    explicit WinInetRequest(std::shared_ptr<const OpenedRequest> handles)
        : handles_(std::move(handles))
    {
    }

    // Stops the read-ahead, which keeps the handles open until a read it
    // has begun ends; the handles close away from the window thread, by
    // whichever owner lets go last.
    ~WinInetRequest() override
    {
        readAhead_.reset();
        ReleaseOnWorker(std::move(handles_));
    }

    WinInetRequest(const WinInetRequest&) = delete;
    WinInetRequest& operator=(const WinInetRequest&) = delete;

    InternetError Send(std::string_view header, std::string_view body, ServerWaiter& waiter) override
    {
        // The worker owns its copies: it may outlive this call.
        return CallOnWorker(
            [handles = handles_, headerCopy = std::string(header), bodyCopy = std::string(body)]() mutable {
                // WinINet takes the body through a non-const pointer but only reads it.
                const BOOL sent = ::HttpSendRequestA(handles->request.get(), headerCopy.data(),
                    static_cast<DWORD>(headerCopy.size()), bodyCopy.empty() ? nullptr : bodyCopy.data(),
                    static_cast<DWORD>(bodyCopy.size()));
                return sent ? NoInternetError : LastInternetError();
            },
            waiter);
    }

    InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ServerWaiter& waiter) override
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

    std::string RawHeaders() override
    {
        DWORD size = 0;
        if (::HttpQueryInfoA(handle(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr)
            || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
        std::string headers(size, '\0');
        if (!::HttpQueryInfoA(handle(), HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &size, nullptr)) {
            return {};
        }
        headers.resize(size);
        return headers;
    }

    bool AskProxySignIn(WindowHandle owner) override { return gsd::AskProxySignIn(handle(), ToHwnd(owner)); }

    void GiveProxySignIn(const ProxyCredentials& credentials) override { gsd::GiveProxySignIn(handle(), credentials); }

    std::optional<ProxyCredentials> ProxySignInGiven() override { return gsd::ProxySignInGiven(handle()); }

    LocationHeader RedirectLocation() override
    {
        // A Location longer than this is no address the exchange would follow.
        constexpr DWORD LongestLocation = 8192;
        LocationHeader location { std::string(LongestLocation, '\0'), false };
        DWORD size = LongestLocation;
        if (!::HttpQueryInfoA(handle(), HTTP_QUERY_LOCATION, location.value.data(), &size, nullptr)) {
            location.overLong = ::GetLastError() == ERROR_INSUFFICIENT_BUFFER;
            location.value.clear();
            return location;
        }
        location.value.resize(size);
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
    std::unique_ptr<ReplyReadAhead> readAhead_;
};

class WinInetSession final : public HttpSession {
public:
    WinInetSession(unique_hinternet handle, DWORD socketTimeoutMs)
        : handle_(std::make_shared<unique_hinternet>(std::move(handle)))
        , socketTimeoutMs_(socketTimeoutMs)
    {
    }

    ~WinInetSession() override { ReleaseOnWorker(std::move(handle_)); }

    WinInetSession(const WinInetSession&) = delete;
    WinInetSession& operator=(const WinInetSession&) = delete;

    InternetError OpenUrl(
        std::string_view url, std::uint32_t flags, std::unique_ptr<HttpRequest>& request, ServerWaiter& waiter) override
    {
        // Filled by the worker; when the call is given up, the worker is its
        // last owner and closes what it opened.
        auto opened = std::make_shared<OpenedRequest>();
        opened->session = handle_;
        const InternetError error = CallOnWorker(
            [opened, urlZ = std::string(url), flags, timeout = socketTimeoutMs_] {
                // WinINet would follow a redirect even from HTTPS to plain
                // HTTP, sending the body there; the exchange judges every
                // redirect itself.
                opened->request.reset(::InternetOpenUrlA(
                    opened->session->get(), urlZ.c_str(), nullptr, 0, flags | INTERNET_FLAG_NO_AUTO_REDIRECT, timeout));
                return opened->request ? NoInternetError : LastInternetError();
            },
            waiter);
        if (error != NoInternetError) {
            return error;
        }
        request = std::make_unique<WinInetRequest>(std::move(opened));
        return NoInternetError;
    }

private:
    // Shared with every request opened from it, which must close first.
    std::shared_ptr<const unique_hinternet> handle_;
    DWORD socketTimeoutMs_;
};

} // namespace

InternetError WinInetHttpClient::OpenSession(std::string_view agent, std::unique_ptr<HttpSession>& session)
{
    const std::string agentZ(agent);
    unique_hinternet root(::InternetOpenA(agentZ.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!root) {
        return LastInternetError();
    }
    SetSocketTimeouts(root.get(), socketTimeoutMs_);
    ::InternetSetStatusCallbackA(root.get(), &OnHandleStatus);
    session = std::make_unique<WinInetSession>(std::move(root), socketTimeoutMs_);
    return NoInternetError;
}

} // namespace gsd
