// A proxy server that wants a user name and password answers a request with
// status 407 instead of passing it on. The player is then asked with the
// system's own proxy sign-in, and the same request is sent again with what
// the player gave; the sign-in never passes through this program's hands,
// so no password can reach its log.
#pragma once

#include <functional>
#include <string_view>

#include "ports/HttpClient.h"

namespace gsd {

inline constexpr int ProxyAuthenticationRequired = 407;
// How often one request asks the player before the proxy's answer stands.
inline constexpr int MaxProxySignIns = 3;

// The message when the proxy's sign-in is cancelled or still refused.
inline constexpr std::string_view ProxySignInRefusedText
    = "The proxy server asked for a user name and password, and the connection was not made without them.";

// While the reply to `request` (sent once already) has status 407, asks the
// player to sign in (HttpRequest::AskProxySignIn) and sends the same request
// again with `resend`, at most MaxProxySignIns times. Returns the first
// error of the layer; `refused` is set when the player cancelled or the
// proxy still answers 407 after the last sign-in.
InternetError SignInToProxy(HttpRequest& request, const std::function<InternetError()>& resend, bool& refused);

} // namespace gsd
