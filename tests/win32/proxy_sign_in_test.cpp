// The proxy's user name and password on a WinINet request handle: what is
// given is what the handle offers, characters outside the ANSI code page
// included.

#include "platform/Win32ProxySignIn.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "platform/WinInetHandles.h"

namespace gsd {
namespace {

// A request handle that is never sent: nothing reaches the network.
struct UnsentRequest {
    unique_hinternet root { ::InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0) };
    unique_hinternet connection { ::InternetConnectA(
        root.get(), "localhost", INTERNET_DEFAULT_HTTPS_PORT, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0) };
    unique_hinternet request { ::HttpOpenRequestA(
        connection.get(), "POST", "/autodownload.asp", nullptr, nullptr, nullptr, INTERNET_FLAG_SECURE, 0) };
};

TEST(ProxySignInOnWine, TheHandleOffersWhatItWasGiven)
{
    struct Case {
        const char* name;
        std::optional<ProxyCredentials> given;
    };
    const std::vector<Case> cases = {
        { "nothing given", std::nullopt },
        { "plain", ProxyCredentials { L"player", L"Quarry-Secret-77" } },
        { "beyond the ANSI code page",
            ProxyCredentials { L"\u0438\u0433\u0440\u043e\u043a", L"\u043f\u0430\u0440\u043e\u043b\u044c \u00e9" } },
        { "empty password", ProxyCredentials { L"player", L"" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UnsentRequest handles;
        ASSERT_NE(handles.request.get(), nullptr);
        if (c.given) {
            GiveProxySignIn(handles.request.get(), *c.given);
        }

        EXPECT_EQ(ProxySignInGiven(handles.request.get()), c.given);
    }
}

} // namespace
} // namespace gsd
