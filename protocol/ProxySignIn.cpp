#include "protocol/ProxySignIn.h"

namespace gsd {

InternetError SignInToProxy(HttpRequest& request, const std::function<InternetError()>& resend, bool& refused)
{
    refused = false;
    for (int asked = 0; request.StatusCode() == ProxyAuthenticationRequired; ++asked) {
        if (asked == MaxProxySignIns || !request.AskProxySignIn()) {
            refused = true;
            return NoInternetError;
        }
        if (const InternetError error = resend(); error != NoInternetError) {
            return error;
        }
    }
    return NoInternetError;
}

} // namespace gsd
