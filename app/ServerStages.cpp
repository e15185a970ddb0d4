#include "app/ServerStages.h"

#include "app/ConnectionDialog.h"
#include "app/PauseAfterReply.h"
#include "app/StartupStatusDialog.h"
#include "catalogue/InventoryReport.h"
#include "catalogue/ServerListRows.h"
#include "platform/DisabledOwnerKept.h"
#include "platform/Win32WindowHandle.h"
#include "protocol/ActionMessage.h"
#include "protocol/DownloadList.h"
#include "protocol/ServerConnection.h"
#include "protocol/ServerEndpoint.h"
#include "texts/LanguageIndex.h"

namespace gsd {
std::unique_ptr<StatusDialog> ServerStages::Dialogs::OpenStatusDialog()
{
    auto dialog = std::make_unique<StartupStatusDialog>(instance_, owner_);
    if (!*dialog) {
        return nullptr;
    }
    return dialog;
}

bool ServerStages::Dialogs::OfferConnectionRetry(
    std::string_view text, std::string_view okText, std::string_view cancelText)
{
    const DisabledOwnerKept busy(owner_);
    ConnectionDialog dialog(text, okText, cancelText);
    return dialog.AskRetry(instance_, owner_);
}

ServerStages::ServerStages(HINSTANCE instance, HWND mainDialog, MainWindow& window, MainDialogState& state,
    MediaEngine& engine, MediaFolder& mediaFolder, OptionsFile& options, SupportLog& log)
    : window_(window)
    , state_(state)
    , engine_(engine)
    , mediaFolder_(mediaFolder)
    , options_(options)
    , dialogs_(instance, mainDialog)
    , sleeper_(MakePauseAfterReply(pump_))
    , log_(log)
{
}

ExchangeServices ServerStages::Services()
{
    return ExchangeServices { http_, window_, dialogs_, errorTexts_, clock_, *sleeper_, pump_, DownloadServerUrl(),
        state_.InfoAndErrorTexts, &log_, DownloadRedirectHosts(), &proxySignIns_, ToWindowHandle(dialogs_.Owner()) };
}

bool ServerStages::CheckServerConnection()
{
    return gsd::CheckServerConnection(Services());
}

bool ServerStages::AuthenticateHost()
{
    return gsd::AuthenticateHost(Services());
}

std::string ServerStages::BuildDownloadListMessage()
{
    const int languageIndex = ReadLanguageIndex(options_);
    packsRead_ = std::make_unique<InstalledPacks>();
    const InventoryReport report
        = BuildInventoryReport(engine_, window_, mediaFolder_, languageIndex, *packsRead_, state_.DamagedMediaFiles);
    return gsd::BuildDownloadListMessage(
        report.VersionReport, report.LanguageReport, languageIndex, report.PackReport);
}

bool ServerStages::RequestDownloadList()
{
    return gsd::RequestDownloadList(
        Services(), [this] { return BuildDownloadListMessage(); }, state_.DownloadListText);
}

void ServerStages::FillServerList()
{
    gsd::FillServerList(window_, state_.DownloadListText, state_.OnDownloadTexts);
}

} // namespace gsd
