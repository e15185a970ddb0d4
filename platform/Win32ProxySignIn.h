// The system's own sign-in for a proxy that asked for a user name and
// password (status 407), as WinINet shows it, and the user name and
// password a request handle offers the proxy.
#pragma once

#include <windows.h>

#include <wininet.h>

#include <optional>

#include "ports/HttpClient.h"

namespace gsd {

// InternetErrorDlg on `request` with ERROR_INTERNET_INCORRECT_PASSWORD and
// FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
// FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS, so that WinINet keeps what the
// player types for the request's next send; owned by `owner`, which stays
// disabled afterwards when it was before. Call it on the window thread.
// True when it answered ERROR_INTERNET_FORCE_RETRY (the player signed in);
// false when cancelled, or when it could not be shown (no owner).
bool AskProxySignIn(HINTERNET request, HWND owner);

// Sets INTERNET_OPTION_PROXY_USERNAME and INTERNET_OPTION_PROXY_PASSWORD on
// `request` for its next send.
void GiveProxySignIn(HINTERNET request, const ProxyCredentials& credentials);

// The user name and password `request` offers the proxy now; nullopt when
// it offers none.
std::optional<ProxyCredentials> ProxySignInGiven(HINTERNET request);

} // namespace gsd
