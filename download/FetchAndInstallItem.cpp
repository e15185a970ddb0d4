#include "download/FetchAndInstallItem.h"

#include <memory>

#include "download/DownloadTexts.h"
#include "download/InstallDownloadedFile.h"
#include "download/ItemStatusDialog.h"
#include "download/MediaFileName.h"
#include "download/TransferSink.h"
#include "protocol/ActionMessage.h"
#include "protocol/ActionRequestBody.h"
#include "protocol/DecimalNumber.h"
#include "protocol/DownloadItem.h"
#include "protocol/DownloadList.h"
#include "protocol/FieldList.h"
#include "protocol/ServerErrors.h"
#include "shell/FixedTexts.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

// Information-and-error text 5 before connecting; the sink sets the lines
// once the reply is open.
constexpr StatusTextFields FileTransferTexts { 5, -1, -1 };

bool IsMediaKind(ItemKind kind)
{
    return kind == ItemKind::LanguageFile || kind == ItemKind::ObjectPack;
}

// Judges a read reply; shows why it is not a file to install.
bool IsCompleteFile(
    MainWindow& window, const TransferSink& sink, const CompletedReply& reply, std::string_view fileName)
{
    if (!sink.FileComplete()) {
        return false;
    }
    // A short reply is the server's error number whatever the status says.
    if (reply.received <= 3) {
        const std::string number = sink.ShortReplyText();
        window.ShowMessage(
            ServerErrorText(ReadDecimal(number)), MakeServerErrorReport(number).caption, MessageButtons::Ok);
        return false;
    }
    const std::string quoted = "\"" + std::string(fileName) + "\"";
    if (!IsDeliveredStatus(reply.statusCode)) {
        window.ShowMessage("The download server answered with HTTP status " + std::to_string(reply.statusCode)
                + " instead of the file " + quoted + ".  Nothing was installed.",
            fixed_text::ErrorCaption, MessageButtons::Ok);
        return false;
    }
    return true;
}

} // namespace

std::string FindDownloadItemLine(std::string_view downloadListText, std::string_view fileName)
{
    for (const std::string_view line : ListLines(downloadListText)) {
        if (GetField(line, DownloadItemField::FileName, FieldSeparator) == fileName) {
            return std::string(line);
        }
    }
    return {};
}

bool FetchAndInstallItem(const DownloadServices& services, std::string_view fileName)
{
    MainWindow& window = services.window();
    const std::string onDownloadTexts = services.state.OnDownloadTexts;
    // A copy: the line must stay as it was while the list is changed.
    const std::string line = FindDownloadItemLine(services.state.DownloadListText, fileName);
    const auto logged = [&](bool installed, std::string_view outcome, std::uint64_t bytes) {
        if (services.exchange.log != nullptr) {
            services.exchange.log->Write(
                ItemLogLine(fileName, static_cast<int>(ItemKindOf(line)), outcome, bytes));
        }
        return installed;
    };
    if (line.empty()) {
        window.ShowMessage(OnDownloadText(onDownloadTexts, on_download::NotInDownloadList) + std::string(fileName),
            NoticeCaption, MessageButtons::Ok);
        return logged(false, "not in the download list", 0);
    }
    if (IsMediaKind(ItemKindOf(line))) {
        std::string_view problem = MediaFileNameProblem(fileName);
        if (problem.empty() && !services.files.CanName(fileName)) {
            problem = UnspellableNameProblem;
        }
        if (!problem.empty()) {
            window.ShowMessage(MediaFileNameErrorText(fileName, problem), fixed_text::ErrorCaption, MessageButtons::Ok);
            return logged(false, "refused: not a media file name", 0);
        }
    }
    const std::string body = FileRequestBody(BuildFileRequestMessage(line));
    const std::unique_ptr<StatusDialog> status
        = ItemStatusDialog(services.exchange.dialogs.OpenStatusDialog(), services.state);
    TransferSink sink(services.files, window, services.exchange.clock, status.get(), onDownloadTexts, fileName);

    // The log's line for the exchange names the item it fetched.
    const std::string action = "RETURN+FILE " + std::string(fileName);
    ExchangeRequest request = ServerRequest(action, body, FileTransferTexts);
    request.evaluate = [&](const CompletedReply& reply) {
        return ReplyVerdict { IsCompleteFile(window, sink, reply, fileName), false };
    };
    request.sink = &sink;
    // A large file may take long; only a server that stops sending fails it.
    request.limit = ReadLimit::Idle;
    request.statusDialog = status.get();
    // A cancelled item fails like any other; the pass says so and goes on.
    request.quietCancel = true;
    request.cutOffText = [&](std::uint64_t received, std::uint64_t announced) {
        return "The download of \"" + std::string(fileName) + "\" ended after " + std::to_string(received) + " of "
            + std::to_string(announced) + " bytes.  The incomplete file was not installed.";
    };
    // Whatever a failed, cut or cancelled transfer left in the temporary
    // file is of no use to anyone: the sink lets go of it, which deletes
    // it, rather than leave it in the game folder until the next download.
    if (!ServerExchange(services.exchange, request)) {
        return logged(false, "not received", sink.Received());
    }
    status->SetStatusLine(OnDownloadText(onDownloadTexts, on_download::Received));
    if (!InstallDownloadedFile(services, status.get(), line, sink.TakeReceived())) {
        return logged(false, status->CancelRequested() ? "cancelled" : "not installed", sink.Received());
    }
    return logged(true, "installed", sink.Received());
}

} // namespace gsd
