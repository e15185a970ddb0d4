#include "platform/Win32ProxySignIn.h"

namespace gsd {

bool AskProxySignIn(HINTERNET request)
{
    const DWORD answer = ::InternetErrorDlg(::GetActiveWindow(), request, ERROR_INTERNET_INCORRECT_PASSWORD,
        FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
        nullptr);
    return answer == ERROR_INTERNET_FORCE_RETRY;
}

} // namespace gsd
