#include "protocol/ExchangeSteps.h"

#include "protocol/InternetError.h"
#include "protocol/ProxySignIn.h"
#include "protocol/SecureRedirect.h"
#include "protocol/ServerEndpoint.h"

namespace gsd {
namespace {

// The end of a call the watch gave up: the time limit fails it like a
// time-out of the layer.
StepEnd GivenUp(const ExchangeWatch& watch)
{
    StepEnd end;
    if (watch.stopped() == AttemptStop::Idle) {
        end.error = InternetTimeout;
    } else {
        end.stopped = watch.stopped();
    }
    return end;
}

// Shows the proxy's sign-in over the status dialog (the main dialog when
// there is none); the time the player spends in it is no time of the
// exchange.
bool AskProxySignIn(const ExchangeServices& services, Attempt& attempt, const ExchangeWatch& watch)
{
    const std::int64_t before = services.clock.Ticks();
    const bool given = attempt.request->AskProxySignIn(watch.status().Window(services.mainDialog));
    attempt.ticksAway += services.clock.Ticks() - before;
    return given;
}

// Opens `url` on the attempt's session and sends the request's body, with
// the run's kept proxy sign-in given to the new request.
StepEnd SendRequest(const ExchangeServices& services, const ExchangeRequest& request, Attempt& attempt,
    ExchangeWatch& watch, std::string_view url)
{
    attempt.request.reset();
    watch.StartCall();
    InternetError error = attempt.session->OpenUrl(url, request.openFlags, attempt.request, watch);
    const ProxyCredentials* kept = services.proxySignIns != nullptr ? services.proxySignIns->Kept() : nullptr;
    if (error == NoInternetError && kept != nullptr) {
        attempt.request->GiveProxySignIn(*kept);
    }
    if (error == NoInternetError && request.body) {
        watch.StartCall();
        error = attempt.request->Send(FormBodyHeader, *request.body, watch);
    }
    bool proxyRefused = false;
    if (error == NoInternetError) {
        const ProxySignInRun run {
            *attempt.request,
            [&] {
                watch.StartCall();
                return attempt.request->Send(request.body ? FormBodyHeader : std::string_view(),
                    request.body.value_or(std::string_view()), watch);
            },
            [&] { return AskProxySignIn(services, attempt, watch); },
            services.proxySignIns,
            kept != nullptr && request.body.has_value(),
            request.action,
            services.log,
        };
        error = SignInToProxy(run, proxyRefused);
    }
    if (error == WaitGivenUp) {
        attempt.request.reset();
        return GivenUp(watch);
    }
    StepEnd end;
    end.error = error;
    if (proxyRefused) {
        end.stopped = AttemptStop::ProxyRefused;
    }
    return end;
}

// Where the redirect of the current reply from `url` may be followed to;
// nullopt with `end` holding why not.
std::optional<std::string> AllowedTarget(
    const ExchangeServices& services, const LocationHeader& location, const std::string& url, StepEnd& end)
{
    end.stopped = AttemptStop::RedirectRefused;
    if (location.overLong) {
        end.refusal = OverLongRedirectText();
        return std::nullopt;
    }
    std::optional<std::string> target = SecureRedirectTarget(url, location.value);
    if (!target) {
        end.refusal
            = StaysOnHttps(location.value) ? ForeignRedirectText(location.value) : InsecureRedirectText(location.value);
        return std::nullopt;
    }
    if (!IsAllowedRedirectTarget(services.url, *target, services.redirectHosts)) {
        end.refusal = ForeignRedirectText(location.value);
        return std::nullopt;
    }
    end.stopped = AttemptStop::None;
    return target;
}

} // namespace

StepEnd SendFollowingRedirects(
    const ExchangeServices& services, const ExchangeRequest& request, Attempt& attempt, ExchangeWatch& watch)
{
    std::string url(services.url);
    StepEnd end = SendRequest(services, request, attempt, watch, url);
    for (int followed = 0; end.error == NoInternetError && end.stopped == AttemptStop::None
         && IsRedirectStatus(attempt.request->StatusCode());
         ++followed) {
        const int status = attempt.request->StatusCode();
        std::optional<std::string> target = AllowedTarget(services, attempt.request->RedirectLocation(), url, end);
        if (!target) {
            return end;
        }
        if (followed == MaxRedirectsFollowed) {
            end.stopped = AttemptStop::RedirectRefused;
            end.refusal = TooManyRedirectsText();
            return end;
        }
        if (services.log != nullptr) {
            services.log->Write(RedirectLogLine(request.action, status, *target));
        }
        url = std::move(*target);
        end = SendRequest(services, request, attempt, watch, url);
    }
    return end;
}

} // namespace gsd
