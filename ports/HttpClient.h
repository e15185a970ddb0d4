// The platform's HTTP layer as the server exchange uses it: a root session,
// one request per opened URL, the body sent again on that request, reads of
// the reply in chunks. Every failing call returns the layer's error code
// (e.g. 12029 when the server cannot be reached); 0 means success. The Win32
// adapter sits on WinINet; tests use a scripted fake.
//
// Every call that waits for the server (opening, sending, reading) runs away
// from the caller's thread and calls its waiter while it waits, so the
// caller's windows keep answering; a waiter that gives up ends the wait at
// once. A call given up may still be blocked in the layer: it then keeps
// what it opened, closes it itself when it returns, and its result is
// dropped.
//
// The layer never follows a redirect by itself: a redirect is a reply like
// any other, with its status code and RedirectLocation, and the exchange
// decides where the request may go.
//
// Destroying an object closes its handle, away from the caller's thread
// when closing takes long. A request must be destroyed before the session
// it came from. The layer may keep a request's handles (and its session's)
// open beyond that while a call it has begun has not returned, never
// letting a call meet a closed handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ports/WindowHandle.h"

namespace gsd {

// An error code of the HTTP layer; NoInternetError when a call succeeded.
using InternetError = std::uint32_t;
inline constexpr InternetError NoInternetError = 0;

// The caller's side of waiting for the server.
class ServerWaiter {
public:
    virtual ~ServerWaiter() = default;

    // Called about ten times a second while a call waits for the server.
    // Returns false to give the call up: it then fails with WaitGivenUp and
    // what it would have opened or read is never used.
    virtual bool KeepWaiting() = 0;
};

// The code of a call that its waiter gave up; not one of the layer's own.
inline constexpr InternetError WaitGivenUp = 0x7FFF0001;

// The reply's Location header.
struct LocationHeader {
    // The value as sent; empty when the reply sends none.
    std::string value;
    // The value is too long to be an address anyone would follow; `value`
    // is empty then.
    bool overLong = false;
};

// A user name and password for the proxy, as the player typed them into the
// system's sign-in. Only ever held in memory.
struct ProxyCredentials {
    std::wstring userName;
    std::wstring password;

    bool operator==(const ProxyCredentials&) const = default;
};

class HttpRequest {
public:
    virtual ~HttpRequest() = default;

    // Sends the request again on this handle, with the method the opening
    // used, the extra header line `header` and the body `body`, and waits
    // for the reply's header.
    virtual InternetError Send(std::string_view header, std::string_view body, ServerWaiter& waiter) = 0;

    // Reads up to `capacity` bytes of the reply into `buffer`; `received` is
    // the number of bytes read, 0 at the end of the reply. While no byte is
    // at hand it calls `waiter`, however long the server takes.
    virtual InternetError Read(char* buffer, std::size_t capacity, std::size_t& received, ServerWaiter& waiter) = 0;

    // The reply's HTTP status code (200, 404, 500...); 0 when the layer
    // cannot tell.
    virtual int StatusCode() = 0;

    // The reply's status line and header lines as received, each ended by
    // CR LF; empty when the layer cannot tell.
    virtual std::string RawHeaders() = 0;

    // Shows the system's own sign-in for the proxy that answered 407, owned
    // by `owner` and keeping it disabled while it is up (so only on the
    // window thread). True when the player signed in: the layer keeps the
    // answer for the next Send. False when the player cancelled, and when
    // the sign-in could not be shown.
    virtual bool AskProxySignIn(WindowHandle owner) = 0;

    // Gives `credentials` to this request's handle: every later Send on it
    // offers them to a proxy that asks.
    virtual void GiveProxySignIn(const ProxyCredentials& credentials) = 0;

    // The user name and password the handle offers a proxy now (after a
    // sign-in, what the player typed); nullopt when it offers none or the
    // layer cannot tell.
    virtual std::optional<ProxyCredentials> ProxySignInGiven() = 0;

    virtual LocationHeader RedirectLocation() = 0;
};

class HttpSession {
public:
    virtual ~HttpSession() = default;

    // Opens `url` with the layer's open flags `flags`, no extra headers. For
    // an HTTP URL this already issues one request without a body and waits
    // for its reply's header.
    virtual InternetError OpenUrl(
        std::string_view url, std::uint32_t flags, std::unique_ptr<HttpRequest>& request, ServerWaiter& waiter)
        = 0;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;

    // Opens a new root session with the user agent `agent` and the system's
    // configured proxy settings.
    virtual InternetError OpenSession(std::string_view agent, std::unique_ptr<HttpSession>& session) = 0;
};

} // namespace gsd
