#include "protocol/InternetError.h"

#include "shell/FixedTexts.h"
#include "protocol/FieldList.h"

namespace gsd {
namespace {

constexpr int ConnectionTextField = 0;
constexpr int RetryButtonField = 1;
constexpr int GiveUpButtonField = 2;

} // namespace

std::string DescribeInternetError(InternetErrorTexts& texts, InternetError code)
{
    std::string description;
    if (code == InternetExtendedError) {
        description = texts.ExtendedErrorText();
    } else {
        description = texts.LayerMessageText(code);
        if (description.empty()) {
            description = texts.SystemMessageText(code);
        }
    }
    if (description.size() > InternetErrorDescriptionLimit) {
        description.resize(InternetErrorDescriptionLimit);
    }
    return description;
}

std::string InternetErrorMessage(InternetErrorTexts& texts, InternetError code)
{
    std::string message = DescribeInternetError(texts, code);
    if (message.empty()) {
        message = "Error Code:" + std::to_string(code);
    }
    return message;
}

bool ReportInternetError(
    const InternetErrorReporter& reporter, InternetError code, const std::function<void()>& releaseAttempt)
{
    reporter.window.ShowMessage(
        InternetErrorMessage(reporter.errorTexts, code), fixed_text::ErrorCaption, MessageButtons::Ok);
    if (releaseAttempt) {
        releaseAttempt();
    }
    if (code != InternetCannotConnect) {
        return false;
    }
    return reporter.dialogs.OfferConnectionRetry(
        GetField(reporter.infoAndErrorTexts, ConnectionTextField, FieldSeparator),
        GetField(reporter.infoAndErrorTexts, RetryButtonField, FieldSeparator),
        GetField(reporter.infoAndErrorTexts, GiveUpButtonField, FieldSeparator));
}

} // namespace gsd
