// The HTTP layer over WinINet: a root handle per session opened with the
// system's configured proxy settings, InternetOpenUrlA for each request,
// HttpSendRequestA on that handle for a body, InternetReadFile for the reply.
// Under Wine a given-up call blocked on the server ends by these time-outs
// (with ERROR_INTERNET_CONNECTION_ABORTED) and closes its socket, except in
// a TLS handshake the server never answers.
#pragma once

#include <cstdint>

#include "ports/HttpClient.h"

namespace gsd {

// How long WinINet itself waits for the server to connect, take a request
// or send a byte before its call fails. Longer than any limit the exchange
// keeps, so it never decides an outcome: it only ends a call the exchange
// has given up, which would otherwise keep its thread, socket and buffers
// until the program ends.
inline constexpr std::uint32_t SocketTimeoutMs = 60000;

class WinInetHttpClient final : public HttpClient {
public:
    // Every handle of its sessions gets `socketTimeoutMs` as its connect,
    // send and receive time-outs before it sends anything.
    explicit WinInetHttpClient(std::uint32_t socketTimeoutMs = SocketTimeoutMs)
        : socketTimeoutMs_(socketTimeoutMs)
    {
    }

    InternetError OpenSession(std::string_view agent, std::unique_ptr<HttpSession>& session) override;

private:
    std::uint32_t socketTimeoutMs_;
};

} // namespace gsd
