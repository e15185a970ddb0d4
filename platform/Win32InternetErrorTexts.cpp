#include "platform/Win32InternetErrorTexts.h"

#include <windows.h>
#include <wininet.h>

#include <vector>

#include "platform/Handles.h"

namespace gsd {
namespace {

// A little more than the longest description shown, so the cut is the core's.
constexpr DWORD MessageBufferSize = 1024;

std::string FormatMessageText(DWORD source, HMODULE module, InternetError code)
{
    std::vector<char> buffer(MessageBufferSize, '\0');
    const DWORD length = ::FormatMessageA(
        source | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0, buffer.data(), MessageBufferSize, nullptr);
    return std::string(buffer.data(), length);
}

} // namespace

std::string Win32InternetErrorTexts::ExtendedErrorText()
{
    DWORD error = 0;
    DWORD length = MessageBufferSize;
    std::vector<char> buffer(length, '\0');
    if (!::InternetGetLastResponseInfoA(&error, buffer.data(), &length)) {
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return std::string();
        }
        buffer.assign(static_cast<std::size_t>(length) + 1, '\0');
        length = static_cast<DWORD>(buffer.size());
        if (!::InternetGetLastResponseInfoA(&error, buffer.data(), &length)) {
            return std::string();
        }
    }
    return std::string(buffer.data(), length);
}

std::string Win32InternetErrorTexts::LayerMessageText(InternetError code)
{
    // The program links WinINet, so it is normally loaded already; loading
    // it here covers the rest.
    HMODULE module = ::GetModuleHandleA("wininet.dll");
    unique_hmodule loaded;
    if (module == nullptr) {
        loaded.reset(::LoadLibraryA("wininet.dll"));
        module = loaded.get();
    }
    if (module == nullptr) {
        return std::string();
    }
    return FormatMessageText(FORMAT_MESSAGE_FROM_HMODULE, module, code);
}

std::string Win32InternetErrorTexts::SystemMessageText(InternetError code)
{
    return FormatMessageText(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
}

} // namespace gsd
