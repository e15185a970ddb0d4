#include "protocol/ProxySignIn.h"

namespace gsd {

InternetError SignInToProxy(HttpRequest& request, std::string_view header, std::string_view body, bool& refused)
{
    refused = false;
    for (int asked = 0; request.StatusCode() == ProxyAuthenticationRequired; ++asked) {
        if (asked == MaxProxySignIns || !request.AskProxySignIn()) {
            refused = true;
            return NoInternetError;
        }
        if (const InternetError error = request.Send(header, body); error != NoInternetError) {
            return error;
        }
    }
    return NoInternetError;
}

} // namespace gsd
