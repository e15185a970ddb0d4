// A proxy server that wants a user name and password answers a request with
// status 407 instead of passing it on. The player is then asked with the
// system's own proxy sign-in, and the same request is sent again with what
// the player gave. Once the proxy has taken a sign-in, the program keeps it
// in memory for the rest of the run and gives it to every later request, so
// the player is asked once, not for every request; it is never written to
// a file, the registry or the log.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ports/HttpClient.h"
#include "ports/SupportLog.h"

namespace gsd {

inline constexpr int ProxyAuthenticationRequired = 407;
// How often one request asks the player before the proxy's answer stands.
inline constexpr int MaxProxySignIns = 3;

// The message when the proxy's sign-in is cancelled or still refused.
inline constexpr std::string_view ProxySignInRefusedText
    = "The proxy server asked for a user name and password, and the connection was not made without them.";

// The sign-in the proxy took last, for the rest of the run. Forgetting (and
// destroying) overwrites the characters before letting them go.
class ProxySignInMemory {
public:
    ProxySignInMemory() = default;
    ~ProxySignInMemory() { Forget(); }
    ProxySignInMemory(const ProxySignInMemory&) = delete;
    ProxySignInMemory& operator=(const ProxySignInMemory&) = delete;

    // Null when none is kept.
    [[nodiscard]] const ProxyCredentials* Kept() const { return kept_ ? &*kept_ : nullptr; }
    void Keep(ProxyCredentials credentials);
    void Forget();

private:
    std::optional<ProxyCredentials> kept_;
};

// What signing in works with for one request, whose reply (to a send made
// once already) may be the proxy's 407.
struct ProxySignInRun {
    HttpRequest& request;
    // Sends the same request again on its handle.
    std::function<InternetError()> resend;
    // Shows the system's sign-in (HttpRequest::AskProxySignIn over the
    // right window); true when the player signed in.
    std::function<bool()> ask;
    // The run's kept sign-in; null: nothing is kept.
    ProxySignInMemory* memory = nullptr;
    // Whether the kept sign-in was given to the request before the send
    // whose reply is at hand; otherwise that send went without it (the
    // opening's own request goes out before the handle can take one).
    bool keptSent = false;
    // The request's action, for the log; null log: nowhere.
    std::string_view action;
    SupportLog* log = nullptr;
};

// While the request's reply has status 407: first, when a sign-in is kept
// and the reply answered a send without it, sends the request again with it
// (already on the handle) without asking; then asks the player and sends
// again, at most MaxProxySignIns times. A sign-in that the proxy takes is
// kept in the memory. Each question, answer and cancel is logged, never
// what was typed. Returns the first error of the layer; `refused` is set
// when the player cancelled or the proxy still answers 407 after the last
// sign-in, and the kept sign-in is forgotten then.
InternetError SignInToProxy(const ProxySignInRun& run, bool& refused);

// "proxy sign-in <action>: <event>".
std::string ProxySignInLogLine(std::string_view action, std::string_view event);

} // namespace gsd
