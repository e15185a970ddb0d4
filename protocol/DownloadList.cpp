#include "protocol/DownloadList.h"

#include "shell/FixedTexts.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/FieldList.h"
#include "protocol/ServerErrors.h"

namespace gsd {
namespace {

constexpr StatusTextFields DownloadListTexts { 5, 10, 11 };

bool HasMoreLinesThan(std::string_view text, std::size_t limit)
{
    std::size_t lines = 1;
    for (std::size_t at = text.find(LineSeparator); at != std::string_view::npos;
         at = text.find(LineSeparator, at + LineSeparator.size())) {
        if (++lines > limit) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string TooManyLinesText()
{
    return "The download list holds more than " + std::to_string(MaxDownloadListLines)
        + " lines, far more than the server offers.  Closing Program.";
}

bool IsDeliveredStatus(int statusCode)
{
    return statusCode == 0 || (statusCode >= 200 && statusCode <= 299);
}

std::string HttpStatusErrorText(int statusCode)
{
    return "The download server answered with HTTP status " + std::to_string(statusCode)
        + " instead of the download list.  Closing Program.";
}

bool RequestDownloadList(const ExchangeServices& services, const std::function<std::string()>& buildActionMessage,
    std::string& downloadListText)
{
    const std::string body = DownloadListRequestBody(buildActionMessage ? buildActionMessage() : std::string());
    ExchangeRequest request = ServerRequest("RETURN+DOWNLOAD+LIST", body, DownloadListTexts);
    request.evaluate = [&](const CompletedReply& reply) {
        // A server error number is reported as one whatever the status says.
        const bool errorNumber = IsDownloadListErrorReply(reply.text);
        // Any longer reply under an error status is an error page, not a
        // list: it must never become rows.
        if (!errorNumber && !IsDeliveredStatus(reply.statusCode)) {
            services.window.ShowMessage(
                HttpStatusErrorText(reply.statusCode), fixed_text::ErrorCaption, MessageButtons::Ok);
            return ReplyVerdict { false, false };
        }
        if (HasMoreLinesThan(reply.text, MaxDownloadListLines)) {
            services.window.ShowMessage(TooManyLinesText(), fixed_text::ErrorCaption, MessageButtons::Ok);
            return ReplyVerdict { false, false };
        }
        downloadListText = std::string(reply.text);
        if (errorNumber) {
            ShowServerErrorReport(services.window, reply.text);
            return ReplyVerdict { false, false };
        }
        return ReplyVerdict { true, true };
    };
    return ServerExchange(services, request);
}

} // namespace gsd
