// The platform's descriptions of an HTTP-layer error code. The Win32 adapter
// reads WinINet's and the system's message tables; tests supply texts.
#pragma once

#include <string>

#include "ports/HttpClient.h"

namespace gsd {

// The platform's texts for an error code. Each returns the empty text when
// its source has none.
class InternetErrorTexts {
public:
    virtual ~InternetErrorTexts() = default;

    // The server's extended response text for the last failure on this
    // thread.
    virtual std::string ExtendedErrorText() = 0;

    // The message text of `code` in the HTTP layer's own message table.
    virtual std::string LayerMessageText(InternetError code) = 0;

    // The system's message text of `code`.
    virtual std::string SystemMessageText(InternetError code) = 0;
};

} // namespace gsd
