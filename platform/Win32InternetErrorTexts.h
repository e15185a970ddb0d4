// The platform's descriptions of WinINet error codes.
#pragma once

#include "protocol/InternetError.h"

namespace gsd {

class Win32InternetErrorTexts final : public InternetErrorTexts {
public:
    // InternetGetLastResponseInfoA of the calling thread.
    std::string ExtendedErrorText() override;
    // FormatMessageA from wininet.dll's message table.
    std::string LayerMessageText(InternetError code) override;
    // FormatMessageA from the system's message table.
    std::string SystemMessageText(InternetError code) override;
};

} // namespace gsd
