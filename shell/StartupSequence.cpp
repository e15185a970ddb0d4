#include "shell/StartupSequence.h"

#include "shell/FixedTexts.h"

namespace gsd {

namespace {

void RunIfPresent(const std::function<void()>& stage)
{
    if (stage) {
        stage();
    }
}

// The server and list stages. Returns as soon as one server step fails, after
// asking the dialog to close.
void RunServerAndListStages(MainWindow& window, const StartupStages& stages)
{
    if (stages.CheckServerConnection && !stages.CheckServerConnection()) {
        window.SendClose();
        return;
    }
    if (stages.AuthenticateHost && !stages.AuthenticateHost()) {
        const std::string text = stages.AuthenticationFailedText ? stages.AuthenticationFailedText() : std::string();
        window.ShowMessage(text, fixed_text::ErrorCaption);
        window.SendClose();
        return;
    }
    if (stages.RequestDownloadList && !stages.RequestDownloadList()) {
        window.SendClose();
        return;
    }
    RunIfPresent(stages.FillLocalList);
    RunIfPresent(stages.FillServerList);
    RunIfPresent(stages.ReselectRecordedItems);
}

} // namespace

void RunStartupSequence(MainWindow& window, MediaEngine& engine, const StartupStages& stages)
{
    if (engine.CreateSystem() != 0) {
        if (const std::string reason = engine.UnavailableReason(); !reason.empty()) {
            window.ShowMessage(reason, fixed_text::ErrorCaption);
        }
        window.ShowMessage(fixed_text::ConstructingSystemFailed, fixed_text::ErrorCaption);
        window.PostClose();
    }
    RunIfPresent(stages.LoadInterfaceTexts);
    RunServerAndListStages(window, stages);
    engine.ExecuteSystem();
    window.Repaint();
}

} // namespace gsd
