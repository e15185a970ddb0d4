// The HTTP layer over WinINet: a root handle per session opened with the
// system's configured proxy settings, InternetOpenUrlA for each request,
// HttpSendRequestA on that handle for a body, InternetReadFile for the reply.
#pragma once

#include "ports/HttpClient.h"

namespace gsd {

class WinInetHttpClient final : public HttpClient {
public:
    InternetError OpenSession(std::string_view agent, std::unique_ptr<HttpSession>& session) override;
};

} // namespace gsd
