#include "download/DownloadSelections.h"

#include <functional>
#include <set>
#include <string>

#include "catalogue/LocalList.h"
#include "catalogue/ServerListRows.h"
#include "download/DownloadRecords.h"
#include "download/DownloadTexts.h"
#include "download/FetchAndInstallItem.h"
#include "download/HeldFileRetry.h"
#include "download/PassRunning.h"
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

bool CloseAsked(const DownloadServices& services)
{
    return services.state.CloseAsked;
}

// Fetches one item and retires it either way: after a success the "My
// Computer" list is rebuilt, after a failure `tellFailure` speaks and
// `failed` is set. An item that a close cancelled is neither: it stays
// recorded for the next start. Returns false when the store refused to
// delete the item's record.
bool ProcessItem(const DownloadServices& services, const std::string& fileName,
    const std::function<void()>& tellFailure, bool& failed)
{
    const bool installed = FetchAndInstallItem(services, fileName);
    if (!installed && CloseAsked(services)) {
        return true;
    }
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
    const bool startedDirectly = !desktop.started
        && StartWhileHeld(services.exchange, nullptr, services.processes, GameProgram, "") != nullptr;
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
        if (CloseAsked(services)) {
            return;
        }
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
        if (CloseAsked(services)) {
            return;
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
    if (CloseAsked(services)) {
        return;
    }
    if (AskYes(services, on_download::StartGame)) {
        // The program closes whether the game starts or not.
        StartTheGame(services);
        services.window().EndDialog(0);
    }
}

namespace {

// The pass of one press; returns early, without another word, once a close
// has been asked.
void RunPass(const DownloadServices& services)
{
    if (SelectedServerItemCount(services.window()) == 0) {
        Notice(services, on_download::NothingSelected);
        return;
    }
    if (!AskYes(services, on_download::ConfirmDownload) || CloseAsked(services)) {
        return;
    }
    const BusyWindow busy(services.window());
    // Whatever the game did, the download goes on: a game that did not
    // answer may still hold a file, and then that item's installation fails
    // with its own message, as for any file held open. So the outcome is
    // not looked at.
    const GameCloseOutcome closing = services.game.AskToClose();
    Log(services, GameCloseLogLine(closing));
    if (CloseAsked(services)) {
        return;
    }
    const int unrecorded = RecordSelection(services.records, services.window());
    while (!CloseAsked(services) && HasProgramUpgrade(services.state.DownloadListText)) {
        const bool upgradeFirst = AskYes(services, on_download::UpgradeFirst);
        if (CloseAsked(services)) {
            return;
        }
        if (!upgradeFirst) {
            Notice(services, on_download::UpgradeDeclined);
            return;
        }
        DownloadProgramUpgrades(services);
    }
    if (!CloseAsked(services)) {
        DownloadRecordedItems(services, unrecorded);
    }
}

} // namespace

void DownloadSelections(const DownloadServices& services)
{
    // The windows answer while a pass waits, so a press can arrive inside
    // one (a click posted to the button): it would rewrite the records the
    // pass walks and fight it over the temporary file.
    if (services.state.PassRunning) {
        Log(services, "download button pressed while a pass runs: ignored");
        return;
    }
    {
        const PassRunning pass(services.state);
        RunPass(services);
    }
    if (services.state.CloseAsked) {
        Log(services, "the pass stopped for the close asked during it");
        services.window().EndDialog(0);
    }
}

bool CloseDuringPass(MainDialogState& state)
{
    if (!state.PassRunning) {
        return false;
    }
    state.CloseAsked = true;
    return true;
}

} // namespace gsd
