// Owner of a WinINet handle (root session or opened URL), and the error of
// a failed WinINet call.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "platform/UniqueResource.h"
#include "ports/HttpClient.h"

namespace gsd {

namespace handle_traits {

struct Internet {
    using type = HINTERNET;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::InternetCloseHandle(h); }
};

} // namespace handle_traits

using unique_hinternet = UniqueResource<handle_traits::Internet>;

// An opened URL with the root session it came from: closed in that order,
// by whichever of its owners lets go last (the request's object, or the
// thread reading its reply ahead), so no read can run on a closed handle.
struct OpenedRequest {
    std::shared_ptr<const unique_hinternet> session;
    unique_hinternet request;
};

// The code a failing WinINet call left in the thread's last error; a
// failure without a code still reads as a failure.
inline InternetError LastInternetError()
{
    const DWORD code = ::GetLastError();
    return code != 0 ? static_cast<InternetError>(code) : static_cast<InternetError>(ERROR_INTERNET_INTERNAL_ERROR);
}

} // namespace gsd
