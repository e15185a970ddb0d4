// Owner of a WinINet handle (root session or opened URL).
#pragma once

#include <windows.h>
#include <wininet.h>

#include "platform/UniqueResource.h"

namespace gsd {

namespace handle_traits {

struct Internet {
    using type = HINTERNET;
    static type invalid() noexcept { return nullptr; }
    static void close(type h) noexcept { ::InternetCloseHandle(h); }
};

} // namespace handle_traits

using unique_hinternet = UniqueResource<handle_traits::Internet>;

} // namespace gsd
