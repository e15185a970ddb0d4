// The system's own sign-in for a proxy that asked for a user name and
// password (status 407), as WinINet shows it.
#pragma once

#include <windows.h>

#include <wininet.h>

namespace gsd {

// InternetErrorDlg on `request` with ERROR_INTERNET_INCORRECT_PASSWORD and
// FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA |
// FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS, so that WinINet keeps what the
// player types for the request's next send; owned by the thread's active
// window. Call it on the window thread. True when it answered
// ERROR_INTERNET_FORCE_RETRY (the player signed in), false when cancelled.
bool AskProxySignIn(HINTERNET request);

} // namespace gsd
