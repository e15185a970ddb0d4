#include "platform/Win32ProxySignIn.h"

#include <string>

#include "platform/DisabledOwnerKept.h"

namespace gsd {
namespace {

// One text option of `request`; nullopt when it cannot be read.
std::optional<std::wstring> TextOption(HINTERNET request, DWORD option)
{
    DWORD size = 0;
    if (::InternetQueryOptionW(request, option, nullptr, &size) || ::GetLastError() != ERROR_INSUFFICIENT_BUFFER
        || size == 0) {
        return std::nullopt;
    }
    // The size is in bytes and counts the terminating NUL.
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    if (!::InternetQueryOptionW(request, option, text.data(), &size)) {
        return std::nullopt;
    }
    text.resize(std::wstring::traits_type::length(text.c_str()));
    return text;
}

} // namespace

bool AskProxySignIn(HINTERNET request, HWND owner)
{
    if (owner == nullptr) {
        return false;
    }
    const DisabledOwnerKept busy(owner);
    const DWORD answer = ::InternetErrorDlg(owner, request, ERROR_INTERNET_INCORRECT_PASSWORD,
        FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
        nullptr);
    return answer == ERROR_INTERNET_FORCE_RETRY;
}

void GiveProxySignIn(HINTERNET request, const ProxyCredentials& credentials)
{
    // WinINet only reads the NUL-terminated texts and keeps copies; the
    // lengths are in characters.
    ::InternetSetOptionW(request, INTERNET_OPTION_PROXY_USERNAME, const_cast<wchar_t*>(credentials.userName.c_str()),
        static_cast<DWORD>(credentials.userName.size()));
    ::InternetSetOptionW(request, INTERNET_OPTION_PROXY_PASSWORD, const_cast<wchar_t*>(credentials.password.c_str()),
        static_cast<DWORD>(credentials.password.size()));
}

std::optional<ProxyCredentials> ProxySignInGiven(HINTERNET request)
{
    std::optional<std::wstring> userName = TextOption(request, INTERNET_OPTION_PROXY_USERNAME);
    std::optional<std::wstring> password = TextOption(request, INTERNET_OPTION_PROXY_PASSWORD);
    if (!userName || !password || userName->empty()) {
        return std::nullopt;
    }
    return ProxyCredentials { std::move(*userName), std::move(*password) };
}

} // namespace gsd
