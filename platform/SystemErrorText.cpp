#include "platform/SystemErrorText.h"

#include <windows.h>

#include "platform/Handles.h"

namespace gsd {

std::string SystemErrorText(unsigned long code)
{
    // The system sizes the buffer, so no description is ever cut.
    char* buffer = nullptr;
    const DWORD length
        = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    const unique_hlocal owner(buffer);
    if (length == 0 || buffer == nullptr) {
        return std::string();
    }
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text;
}

} // namespace gsd
