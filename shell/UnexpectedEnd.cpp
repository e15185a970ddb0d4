#include "shell/UnexpectedEnd.h"

#include <cstdio>

#include "shell/SupportLogLines.h"

namespace gsd {

std::string ExceptionDetails(std::uint32_t code, std::uint64_t address, int bits)
{
    char text[64];
    std::snprintf(text, sizeof text, "exception 0x%08lX at 0x%0*llX", static_cast<unsigned long>(code), bits / 4,
        static_cast<unsigned long long>(address));
    return text;
}

std::string FailedCallDetails(std::string_view call, std::uint32_t error)
{
    return OneLine(call) + " failed, error " + std::to_string(error);
}

std::string UnexpectedEndLogLine(std::string_view details)
{
    return "ended unexpectedly: " + OneLine(details);
}

std::string UnexpectedEndText(std::string_view details)
{
    return "Gravelpit Secure Download has to end because of an unexpected error (" + OneLine(details)
        + ").  The support log, Temp\\SecureDownload.log in the game folder, has a line about it.";
}

} // namespace gsd
