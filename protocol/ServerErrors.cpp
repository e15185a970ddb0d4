#include "protocol/ServerErrors.h"

#include <array>

#include "protocol/DecimalNumber.h"

namespace gsd {
namespace {

struct CodeText {
    int code;
    std::string_view text;
};

constexpr std::array<CodeText, 15> ErrorTexts = { {
    { 1, "General Error." },
    { 2, "Invalid Public Key." },
    { 3, "Invalid Private Key." },
    { 4, "Invalid Protocol." },
    { 6, "Get Column Failed." },
    { 8, "Get Newest Program Update Failed." },
    { 9, "Get Newest Language Update Failed." },
    { 10, "Get Newest Object Packs Failed." },
    { 11, "Decrypt Message Failed." },
    { 12, "Get File To Return Failed." },
    { 13, "Get Encrypted Message Failed." },
    { 14, "ADO Failed." },
    { 15, "User Denied Access." },
    { 16, "Get File Name Failed." },
    { 17, "Get Download ID Failed." },
} };

constexpr std::string_view UnknownError = "Unknown Error.";
constexpr std::string_view ErrorNumberCaption = "Error Number ";
constexpr std::string_view ClosingProgram = "  Closing Program.";

// Longest reply that still counts as an error code.
constexpr std::size_t LongestErrorReply = 3;

} // namespace

std::string_view ServerErrorText(int code)
{
    for (const CodeText& entry : ErrorTexts) {
        if (entry.code == code) {
            return entry.text;
        }
    }
    return UnknownError;
}

bool IsAuthenticationErrorReply(std::string_view reply)
{
    return reply.size() <= LongestErrorReply;
}

bool IsDownloadListErrorReply(std::string_view reply)
{
    return !reply.empty() && reply.size() <= LongestErrorReply;
}

ServerErrorReport MakeServerErrorReport(std::string_view reply)
{
    ServerErrorReport report;
    report.caption.append(ErrorNumberCaption).append(reply);
    report.text.append(ServerErrorText(ReadDecimal(reply))).append(ClosingProgram);
    return report;
}

void ShowServerErrorReport(MainWindow& window, std::string_view reply)
{
    const ServerErrorReport report = MakeServerErrorReport(reply);
    window.ShowMessage(report.text, report.caption, MessageButtons::Ok);
}

} // namespace gsd
