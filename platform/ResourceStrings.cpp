#include "platform/ResourceStrings.h"

namespace gsd {

std::string LoadResourceString(HINSTANCE instance, UINT id)
{
    char buffer[512] = {};
    const int length = ::LoadStringA(instance, id, buffer, static_cast<int>(sizeof(buffer)));
    return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

} // namespace gsd
