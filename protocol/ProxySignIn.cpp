#include "protocol/ProxySignIn.h"

#include <utility>

#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

// Overwrites the characters in place, through a volatile pointer so that the
// writes are not left out for a string about to be freed.
void Overwrite(std::wstring& text)
{
    volatile wchar_t* const characters = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        characters[i] = L'\0';
    }
    text.clear();
}

void Log(const ProxySignInRun& run, std::string_view event)
{
    if (run.log != nullptr) {
        run.log->Write(ProxySignInLogLine(run.action, event));
    }
}

bool ProxyAsks(HttpRequest& request)
{
    return request.StatusCode() == ProxyAuthenticationRequired;
}

// The proxy is not passed: what it was given is no good.
InternetError Refused(const ProxySignInRun& run, bool& refused)
{
    if (run.memory != nullptr) {
        run.memory->Forget();
    }
    refused = true;
    return NoInternetError;
}

} // namespace

void ProxySignInMemory::Keep(ProxyCredentials credentials)
{
    Forget();
    kept_ = std::move(credentials);
}

void ProxySignInMemory::Forget()
{
    if (kept_) {
        Overwrite(kept_->userName);
        Overwrite(kept_->password);
        kept_.reset();
    }
}

InternetError SignInToProxy(const ProxySignInRun& run, bool& refused)
{
    refused = false;
    if (!ProxyAsks(run.request)) {
        return NoInternetError;
    }
    if (run.memory != nullptr && run.memory->Kept() != nullptr) {
        if (!run.keptSent) {
            if (const InternetError error = run.resend(); error != NoInternetError) {
                return error;
            }
        }
        if (!ProxyAsks(run.request)) {
            return NoInternetError;
        }
        Log(run, "the kept sign-in was refused");
    }
    for (int asked = 0; ProxyAsks(run.request); ++asked) {
        if (asked == MaxProxySignIns) {
            Log(run, "still refused after " + std::to_string(MaxProxySignIns) + " sign-ins");
            return Refused(run, refused);
        }
        Log(run, "asked");
        if (!run.ask()) {
            Log(run, "cancelled");
            return Refused(run, refused);
        }
        Log(run, "given");
        if (const InternetError error = run.resend(); error != NoInternetError) {
            return error;
        }
        if (!ProxyAsks(run.request) && run.memory != nullptr) {
            if (std::optional<ProxyCredentials> given = run.request.ProxySignInGiven()) {
                run.memory->Keep(std::move(*given));
                Log(run, "accepted, kept for this run");
            }
        }
    }
    return NoInternetError;
}

std::string ProxySignInLogLine(std::string_view action, std::string_view event)
{
    return "proxy sign-in " + OneLine(action) + ": " + std::string(event);
}

} // namespace gsd
