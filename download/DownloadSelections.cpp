#include "download/DownloadSelections.h"

#include <functional>
#include <set>
#include <string>

#include "catalogue/LocalList.h"
#include "catalogue/ServerListRows.h"
#include "download/DownloadRecords.h"
#include "download/DownloadTexts.h"
#include "download/FetchAndInstallItem.h"
#include "download/Selection.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

constexpr std::string_view UpgradeFailedText = "An error occurred when downloading a selected object pack or "
                                               "update. Continuing without downloading erroneous file.";
constexpr std::string_view GameProgram = "Rubbleton Gravelpit.exe";

// The main window takes no input while a press is handled, on every way out.
class BusyWindow {
public:
    explicit BusyWindow(MainWindow& window)
        : window_(window)
    {
        window_.SetBusy(true);
    }
    ~BusyWindow() { window_.SetBusy(false); }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

private:
    MainWindow& window_;
};

void Notice(const DownloadServices& services, int onDownloadText)
{
    services.window().ShowMessage(
        OnDownloadText(services.state.OnDownloadTexts, onDownloadText), NoticeCaption, MessageButtons::Ok);
}

bool AskYes(const DownloadServices& services, int onDownloadText)
{
    return services.window().ShowMessage(
               OnDownloadText(services.state.OnDownloadTexts, onDownloadText), NoticeCaption, MessageButtons::YesNo)
        == MessageAnswer::Yes;
}

// Fetches one item and retires it either way: after a success the "My
// Computer" list is rebuilt, after a failure `tellFailure` speaks and
// `failed` is set. Returns false when the store refused to delete the
// item's record.
bool ProcessItem(const DownloadServices& services, const std::string& fileName,
    const std::function<void()>& tellFailure, bool& failed)
{
    const bool installed = FetchAndInstallItem(services, fileName);
    if (!installed) {
        tellFailure();
        failed = true;
    }
    const bool retired = RetireItem(services.records, services.window(), services.state.DownloadListText, fileName);
    if (installed) {
        RefreshLocalList(
            services.engine, services.window(), services.mediaFolder, services.options, services.state.OnDownloadTexts);
    }
    return retired;
}

void Log(const DownloadServices& services, std::string_view line)
{
    if (services.exchange.log != nullptr) {
        services.exchange.log->Write(line);
    }
}

// This program may run with an administrator's rights; the game, with every
// mod it loads, should not. So it is started by the desktop's shell, as the
// player who is logged on; only where there is no such shell does this
// program start it itself.
void StartTheGame(const DownloadServices& services)
{
    const DesktopStart desktop = services.processes.StartThroughDesktop(GameProgram, "");
    const bool startedDirectly = !desktop.started && services.processes.Start(GameProgram, "") != nullptr;
    Log(services, GameStartLogLine(desktop.started, desktop.failedStep, desktop.code, startedDirectly));
    services.state.RunEnding = desktop.started || startedDirectly ? std::string(GameStarted)
                                                                  : "failure: the game could not be started";
}

void CloseThePass(const DownloadServices& services, bool failed)
{
    if (services.window().ServerList().RowCount() != 0) {
        return;
    }
    ShowEmptyServerList(services.window(), services.state.OnDownloadTexts);
    if (failed) {
        Notice(services, on_download::SomeItemsFailed);
    }
}

} // namespace

bool HasProgramUpgrade(std::string_view downloadListText)
{
    // A kind-4 line without a file name cannot be fetched or retired; it
    // must not keep the upgrade offer coming back.
    return !FindProgramUpgradeKey(downloadListText).empty();
}

void DownloadProgramUpgrades(const DownloadServices& services)
{
    bool failed = false;
    for (std::string name = FindProgramUpgradeKey(services.state.DownloadListText); !name.empty();
         name = FindProgramUpgradeKey(services.state.DownloadListText)) {
        // Retiring neutralises the line, so the search moves on.
        ProcessItem(
            services, name,
            [&] { services.window().ShowMessage(UpgradeFailedText, NoticeCaption, MessageButtons::Ok); }, failed);
    }
    CloseThePass(services, failed);
}

void DownloadRecordedItems(const DownloadServices& services, int unrecorded)
{
    bool failed = false;
    // Names whose record could not be deleted: the store would yield them
    // again and again.
    std::set<std::string> kept;
    for (std::string name = NextRecordedKey(services.records, services.window(), kept); !name.empty();
         name = NextRecordedKey(services.records, services.window(), kept)) {
        if (!ProcessItem(
                services, name, [&] { Notice(services, on_download::ItemFailed); }, failed)) {
            kept.insert(name);
        }
    }
    if (!kept.empty()) {
        services.window().ShowMessage("The download record of \"" + *kept.begin()
                + "\" could not be removed from the registry.  It was downloaded once in this pass and will be "
                  "selected again at the next start.",
            NoticeCaption, MessageButtons::Ok);
    }
    // Rows left without a record were not fetched: not all was processed.
    Notice(services, unrecorded > 0 ? on_download::SomeItemsFailed : on_download::AllProcessed);
    CloseThePass(services, failed && unrecorded == 0);
    if (AskYes(services, on_download::StartGame)) {
        // The program closes whether the game starts or not.
        StartTheGame(services);
        services.window().EndDialog(0);
    }
}

void DownloadSelections(const DownloadServices& services)
{
    if (SelectedServerItemCount(services.window()) == 0) {
        Notice(services, on_download::NothingSelected);
        return;
    }
    if (!AskYes(services, on_download::ConfirmDownload)) {
        return;
    }
    const BusyWindow busy(services.window());
    // Whatever the game did, the download goes on: a game that did not
    // answer may still hold a file, and then that item's installation fails
    // with its own message, as for any file held open. So the outcome is
    // not looked at.
    const GameCloseOutcome closing = services.game.AskToClose();
    Log(services, GameCloseLogLine(closing));
    const int unrecorded = RecordSelection(services.records, services.window());
    while (HasProgramUpgrade(services.state.DownloadListText)) {
        if (!AskYes(services, on_download::UpgradeFirst)) {
            Notice(services, on_download::UpgradeDeclined);
            return;
        }
        DownloadProgramUpgrades(services);
    }
    DownloadRecordedItems(services, unrecorded);
}

} // namespace gsd
