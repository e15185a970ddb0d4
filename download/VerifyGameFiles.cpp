#include "download/VerifyGameFiles.h"

#include <memory>

#include "catalogue/ServerListRows.h"
#include "download/DownloadTexts.h"
#include "download/ItemStatusDialog.h"
#include "download/PassRunning.h"

namespace gsd {
namespace {

constexpr std::string_view VerifyingText = "Verifying game files.";
constexpr std::string_view VerifyingDetailText
    = "Every file this program installed is read, to see that it still holds what was installed.";

} // namespace

CheckOutcome QuickLookAtStart(const MediaCheckServices& services)
{
    CheckOutcome found = CheckInstalledFiles(services.records, services.files, CheckDepth::Quick, nullptr, services.log);
    services.state.DamagedMediaFiles = found.reportedDamaged;
    return found;
}

void OfferRepairsAtStart(const MediaCheckServices& services, const CheckOutcome& found)
{
    SelectOfferedRepairs(services.window.ServerList(), found.damaged, services.log);
    if (!found.newlyDamaged.empty()) {
        services.window.ShowMessage(DamagedAtStartText(found.newlyDamaged), NoticeCaption, MessageButtons::Ok);
    }
}

namespace {

void RunVerify(const MediaCheckServices& services, const std::function<bool()>& requestDownloadList)
{
    CheckOutcome found;
    {
        const BusyWhile busy(services.window);
        // A close asked meanwhile reads as its Cancel.
        const std::unique_ptr<StatusDialog> status
            = ItemStatusDialog(services.dialogs.OpenStatusDialog(), services.state);
        status->SetStatusLine(VerifyingText);
        status->SetDetailLines(VerifyingDetailText, true);
        status->SetProgress(0.0);
        status->Show();
        found = CheckInstalledFiles(services.records, services.files, CheckDepth::Full, status.get(), services.log);
    }
    if (found.cancelled) {
        return;
    }
    services.window.ShowMessage(VerifiedText(found), NoticeCaption, MessageButtons::Ok);
    if (found.damaged.empty() || services.state.CloseAsked) {
        return;
    }
    services.state.DamagedMediaFiles = found.reportedDamaged;
    if (!requestDownloadList() || services.state.CloseAsked) {
        return;
    }
    services.window.ServerList().DeleteAllRows();
    FillServerList(services.window, services.state.DownloadListText, services.state.OnDownloadTexts);
    SelectOfferedRepairs(services.window.ServerList(), found.damaged, services.log);
}

} // namespace

void VerifyGameFiles(const MediaCheckServices& services, const std::function<bool()>& requestDownloadList)
{
    if (services.state.PassRunning) {
        if (services.log != nullptr) {
            services.log->Write("verify asked while a pass runs: ignored");
        }
        return;
    }
    {
        const PassRunning pass(services.state);
        RunVerify(services, requestDownloadList);
    }
    if (services.state.CloseAsked) {
        services.window.EndDialog(0);
    }
}

} // namespace gsd
