#include "protocol/ServerConnection.h"

#include <string>

#include "shell/FixedTexts.h"
#include "protocol/ActionMessage.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/ServerErrors.h"

namespace gsd {
namespace {

constexpr StatusTextFields ConnectionCheckTexts { 5, 6, 7 };
constexpr StatusTextFields AuthenticationTexts { 5, 8, 9 };

constexpr std::string_view ServerIsThere = "0";
constexpr std::string_view ScramblingFailed = "Error Generating Secure Message for Authentication.";

} // namespace

bool CheckServerConnection(const ExchangeServices& services)
{
    ExchangeRequest request = ServerRequest("check", std::nullopt, ConnectionCheckTexts);
    // Whatever the reply, the exchange itself went well: the status after a
    // good reply is shown in every case.
    request.evaluate = [](const CompletedReply& reply) { return ReplyVerdict { reply.text == ServerIsThere, true }; };
    return ServerExchange(services, request);
}

bool AuthenticateHost(const ExchangeServices& services, ChallengeGenerator& generator)
{
    const std::optional<AuthenticationPayload> payload = BuildAuthenticationPayload(generator);
    if (!payload) {
        services.window.ShowMessage(ScramblingFailed, fixed_text::ErrorCaption, MessageButtons::Ok);
        return false;
    }
    const std::string body = AuthenticationRequestBody(payload->message);
    ExchangeRequest request = ServerRequest("AUTHENTICATE+HOST", body, AuthenticationTexts);
    request.evaluate = [&](const CompletedReply& reply) {
        if (IsAuthenticationErrorReply(reply.text)) {
            ShowServerErrorReport(services.window, reply.text);
            return ReplyVerdict { false, false };
        }
        return ReplyVerdict { reply.text == payload->challenge, true };
    };
    return ServerExchange(services, request);
}

bool AuthenticateHost(const ExchangeServices& services)
{
    return AuthenticateHost(services, ProcessChallengeGenerator());
}

} // namespace gsd
