// Feeds arbitrary bytes to what judges the server's replies: the short-reply
// rules and error numbers, and whole exchanges through the fake server: the
// connection check, host authentication, the download-list request and the
// transfer and installation of one file.
//
// The whole input is first read as a short reply. Then it scripts one
// exchange: its last bytes choose the request, the HTTP status, the
// announced length, a failing read and the read size; the rest is the reply
// body, served in reads of that size. Whatever arrives, everything opened is
// closed, only the exact answers let the start go on, a list is taken only
// from a delivered reply, a reply shorter than its announced length is
// never used, and a file is installed only when all of it arrived, byte for
// byte.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "download/FetchAndInstallItem.h"
#include "download/InstallDownloadedFile.h"
#include "fakes/DownloadRig.h"
#include "fakes/ExchangeRig.h"
#include "protocol/ActionMessage.h"
#include "protocol/Challenge.h"
#include "protocol/DecimalNumber.h"
#include "protocol/DownloadItem.h"
#include "protocol/DownloadList.h"
#include "protocol/SecureRedirect.h"
#include "protocol/ServerConnection.h"
#include "protocol/ServerErrors.h"
#include "FuzzRequire.h"

namespace {

using gsd::testing::DownloadRig;
using gsd::testing::ExchangeRig;
using gsd::testing::FakeHttpAttempt;
using gsd::testing::FakeMainWindow;

constexpr std::string_view ErrorNumberCaption = "Error Number ";
constexpr std::string_view ClosingProgram = "  Closing Program.";
constexpr std::string_view PreviousList = "3|Earlier|Earlier|Ann|Kept until a list arrives|new|1|0|0|1";
constexpr std::string_view FileName = "Pack";
constexpr std::string_view InstalledPack = "Media\\Pack.mdc";
constexpr std::string_view StartedUpgrade = "Temp\\Download.exe";
// A read the server fails after its chunks: the connection was reset.
constexpr gsd::InternetError ConnectionReset = 12031;

using gsd::fuzz::Require;

// The number a short reply stands for, read here with 64-bit arithmetic so
// that it does not share the reader's way of holding the value in range.
int DecimalOf(std::string_view text)
{
    std::size_t at = text.find_first_not_of(" \t\r\n\v\f");
    if (at == std::string_view::npos) {
        return 0;
    }
    const bool negative = text[at] == '-';
    if (text[at] == '-' || text[at] == '+') {
        ++at;
    }
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = std::min(value * 10 + (text[at] - '0'), static_cast<long long>(INT_MAX) + 1);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp(value, static_cast<long long>(INT_MIN), static_cast<long long>(INT_MAX)));
}

void CheckShortReply(std::string_view reply)
{
    const int number = gsd::ReadDecimal(reply);
    Require(number == DecimalOf(reply));
    Require(!gsd::ServerErrorText(number).empty());
    // Every reply the download list takes as a code, authentication does too.
    Require(!gsd::IsDownloadListErrorReply(reply) || gsd::IsAuthenticationErrorReply(reply));

    const gsd::ServerErrorReport report = gsd::MakeServerErrorReport(reply);
    Require(report.caption.size() == ErrorNumberCaption.size() + reply.size());
    Require(report.caption.starts_with(ErrorNumberCaption) && report.caption.ends_with(reply));
    Require(report.text.ends_with(ClosingProgram) && report.text.size() > ClosingProgram.size());

    std::vector<std::string> journal;
    FakeMainWindow window(journal);
    gsd::ShowServerErrorReport(window, reply);
    Require(journal.size() == 1);
}

struct ScriptedReply {
    FakeHttpAttempt attempt;
    // Every byte of the body, and its text: each read up to its first NUL.
    std::string body;
    std::string text;
};

ScriptedReply ScriptReply(FuzzedDataProvider& input)
{
    constexpr std::array<int, 9> statusCodes = { 200, 0, 203, 299, 199, 302, 404, 500, 503 };
    ScriptedReply reply;
    reply.attempt.statusCode = input.PickValueInArray(statusCodes);
    const int announced = input.ConsumeIntegralInRange(0, 3);
    if (input.ConsumeBool()) {
        reply.attempt.readError = ConnectionReset;
    }
    const auto readSize = input.ConsumeIntegralInRange<std::size_t>(1, gsd::ReplyChunkSize);
    reply.body = input.ConsumeRemainingBytesAsString();
    for (std::size_t at = 0; at < reply.body.size(); at += readSize) {
        const std::string chunk = reply.body.substr(at, readSize);
        reply.attempt.chunks.push_back(chunk);
        reply.text.append(chunk.substr(0, std::min(chunk.find('\0'), chunk.size())));
    }
    const std::uint64_t size = reply.body.size();
    if (announced == 1) {
        reply.attempt.contentLength = size;
    } else if (announced == 2) {
        reply.attempt.contentLength = size + 1 + readSize;
    } else if (announced == 3) {
        reply.attempt.contentLength = size / 2;
    }
    return reply;
}

bool HasMessage(const std::vector<std::string>& journal, std::string_view start)
{
    return std::any_of(
        journal.begin(), journal.end(), [&](const std::string& line) { return line.starts_with(start); });
}

// A reply whose connection ends before its announced length is never used;
// the user is told it was cut off. Checks the message and tells whether the
// reply was one.
bool RefusedAsCutOff(const ScriptedReply& reply, const std::vector<std::string>& journal)
{
    if (reply.attempt.readError != gsd::NoInternetError || !reply.attempt.contentLength
        || *reply.attempt.contentLength <= reply.body.size()) {
        return false;
    }
    Require(HasMessage(journal, "message Error!: The download "));
    Require(HasMessage(journal, "message Error!: The download server's reply was cut off after ")
        || HasMessage(journal, "message Error!: The download of \""));
    return true;
}

// The scripted replies carry no Location: a redirect status is a redirect
// that is never followed, whatever the body. Checks the message and tells
// whether the reply was one.
bool RefusedAsRedirect(const ScriptedReply& reply, const std::vector<std::string>& journal)
{
    if (!gsd::IsRedirectStatus(reply.attempt.statusCode)) {
        return false;
    }
    Require(HasMessage(journal, "message Error!: The download server sent the request on to "));
    return true;
}

void CheckDownloadList(const ScriptedReply& reply)
{
    ExchangeRig rig;
    rig.http.attempts.push_back(reply.attempt);
    std::string list(PreviousList);
    const bool success = gsd::RequestDownloadList(rig.Services(), nullptr, list);

    Require(rig.AllReleased());
    if (RefusedAsRedirect(reply, rig.journal) || RefusedAsCutOff(reply, rig.journal)) {
        Require(!success && list == PreviousList);
        return;
    }
    const bool errorNumber = !reply.text.empty() && reply.text.size() <= 3;
    const bool delivered = gsd::IsDeliveredStatus(reply.attempt.statusCode);
    if (reply.attempt.readError != gsd::NoInternetError) {
        Require(!success && list == PreviousList);
    } else if (errorNumber) {
        Require(!success && list == reply.text);
        Require(HasMessage(rig.journal, "message " + std::string(ErrorNumberCaption) + reply.text + ": "));
    } else if (!delivered) {
        Require(!success && list == PreviousList);
    } else {
        Require(success && list == reply.text);
        Require(gsd::testing::Messages(rig.journal).empty());
    }
}

// The connection check wants "0" and nothing else, whatever the status.
void CheckConnection(const ScriptedReply& reply)
{
    ExchangeRig rig;
    rig.http.attempts.push_back(reply.attempt);
    const bool success = gsd::CheckServerConnection(rig.Services());

    Require(rig.AllReleased());
    if (RefusedAsRedirect(reply, rig.journal) || RefusedAsCutOff(reply, rig.journal)) {
        Require(!success);
    } else if (reply.attempt.readError == gsd::NoInternetError) {
        Require(success == (reply.text == "0"));
        Require(gsd::testing::Messages(rig.journal).empty());
    } else {
        Require(!success);
    }
}

// Authentication wants the challenge back, byte for byte; a short reply is
// an error number.
void CheckAuthentication(const ScriptedReply& reply)
{
    ExchangeRig rig;
    rig.http.attempts.push_back(reply.attempt);
    gsd::ChallengeGenerator generator;
    gsd::ChallengeGenerator sameDraws = generator;
    const std::string challenge = gsd::BuildAuthenticationPayload(sameDraws).value().challenge;
    const bool success = gsd::AuthenticateHost(rig.Services(), generator);

    Require(rig.AllReleased());
    if (RefusedAsRedirect(reply, rig.journal) || RefusedAsCutOff(reply, rig.journal)) {
        Require(!success);
    } else if (reply.attempt.readError != gsd::NoInternetError) {
        Require(!success);
    } else if (reply.text.size() <= 3) {
        Require(!success);
        Require(HasMessage(rig.journal, "message " + std::string(ErrorNumberCaption) + reply.text + ": "));
    } else {
        Require(success == (reply.text == challenge));
        Require(gsd::testing::Messages(rig.journal).empty());
    }
}

void CheckFileTransfer(const ScriptedReply& reply, int kind)
{
    DownloadRig rig;
    rig.state.DownloadListText
        = std::to_string(kind) + "|Pack Title|" + std::string(FileName) + "|Ann|A pack|new|1|0|0|1\r\n";
    rig.http.attempts.push_back(reply.attempt);
    bool success = false;
    bool ended = false;
    try {
        success = gsd::FetchAndInstallItem(rig.Services(), FileName);
    } catch (const gsd::testing::ProgramEnded&) {
        // A started upgrade ends the program in the middle of the call.
        ended = true;
    }

    Require(rig.AllReleased() && rig.files.filesHeld == 0);
    if (RefusedAsRedirect(reply, rig.journal) || RefusedAsCutOff(reply, rig.journal)) {
        Require(!success && !ended && !rig.files.files.contains(std::string(InstalledPack)));
        return;
    }
    const std::uint64_t size = reply.body.size();
    const bool complete = reply.attempt.readError == gsd::NoInternetError && size > 3
        && gsd::IsDeliveredStatus(reply.attempt.statusCode)
        && (!reply.attempt.contentLength || *reply.attempt.contentLength <= size);
    const auto installed = rig.files.files.find(std::string(InstalledPack));
    if (!complete) {
        Require(!success && !ended && installed == rig.files.files.end());
    }
    if (reply.attempt.readError == gsd::NoInternetError && size <= 3) {
        // The number is the file's first bytes, up to a NUL.
        const std::string number = reply.body.substr(0, reply.body.find('\0'));
        Require(HasMessage(rig.journal, "message " + std::string(ErrorNumberCaption) + number + ": "));
    }
    const bool media
        = kind == static_cast<int>(gsd::ItemKind::LanguageFile) || kind == static_cast<int>(gsd::ItemKind::ObjectPack);
    if (complete && media) {
        Require(success && installed != rig.files.files.end() && installed->second == reply.body);
        Require(!rig.files.files.contains(std::string(gsd::TemporaryFilePath)));
    }
    if (complete && kind == static_cast<int>(gsd::ItemKind::ProgramUpgrade)) {
        Require(ended && rig.files.files.at(std::string(StartedUpgrade)) == reply.body);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckShortReply(std::string_view(reinterpret_cast<const char*>(data), size));

    FuzzedDataProvider input(data, size);
    // The download list; files of kinds 1 to 4 and of one that is fetched
    // but not installed; the connection check; authentication.
    constexpr std::array<int, 8> requests = { 0, 1, 2, 3, 4, 7, -1, -2 };
    const int request = input.PickValueInArray(requests);
    const ScriptedReply reply = ScriptReply(input);
    if (request == 0) {
        CheckDownloadList(reply);
    } else if (request == -1) {
        CheckConnection(reply);
    } else if (request == -2) {
        CheckAuthentication(reply);
    } else {
        CheckFileTransfer(reply, request);
    }
    return 0;
}
