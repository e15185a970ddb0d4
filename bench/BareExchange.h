// One server exchange in bare WinINet calls, as the program makes it: a new
// root handle with the program's agent, the URL opened with the given flags,
// the body sent again on that handle with the form header, the reply read to
// its end. For the benchmarks' floors, which must cost what WinINet costs
// and nothing more. Windows-only, header-only.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "platform/WinInetHandles.h"
#include "protocol/ServerEndpoint.h"

namespace gsd::bench {

// The handles of one exchange; the request closes before its root.
struct BareRequest {
    unique_hinternet root;
    unique_hinternet request;
};

// Opens `url` with `openFlags` on a new root handle and, unless `body` is
// null, sends the body with the form header. False when a WinINet call
// failed (its code in GetLastError).
inline bool OpenBareRequest(const std::string& url, DWORD openFlags, const std::string* body, BareRequest& opened)
{
    const std::string agent(ServerUserAgent);
    opened.root.reset(::InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!opened.root) {
        return false;
    }
    opened.request.reset(::InternetOpenUrlA(opened.root.get(), url.c_str(), nullptr, 0, openFlags, 0));
    if (!opened.request) {
        return false;
    }
    if (body == nullptr) {
        return true;
    }
    const std::string header(FormBodyHeader);
    // WinINet takes the body through a non-const pointer but only reads it.
    std::string bodyCopy(*body);
    return ::HttpSendRequestA(opened.request.get(), header.c_str(), static_cast<DWORD>(header.size()), bodyCopy.data(),
               static_cast<DWORD>(bodyCopy.size()))
        != FALSE;
}

// Reads the reply to its end in reads of at most `chunk` bytes into
// `buffer`, handing each read to `sink(const char*, DWORD)`, which returns
// false to stop. False when a read failed or the sink stopped.
template <typename Sink> bool ReadToEnd(HINTERNET request, char* buffer, DWORD chunk, Sink sink)
{
    for (;;) {
        DWORD received = 0;
        if (!::InternetReadFile(request, buffer, chunk, &received)) {
            return false;
        }
        if (received == 0) {
            return true;
        }
        if (!sink(buffer, received)) {
            return false;
        }
    }
}

} // namespace gsd::bench
