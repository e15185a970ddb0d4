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
// asking the dialog to close, with how that ends the run.
std::string RunServerAndListStages(MainWindow& window, const StartupStages& stages)
{
    if (stages.CheckServerConnection && !stages.CheckServerConnection()) {
        window.SendClose();
        return "failure: the connection check";
    }
    if (stages.AuthenticateHost && !stages.AuthenticateHost()) {
        const std::string text = stages.AuthenticationFailedText ? stages.AuthenticationFailedText() : std::string();
        window.ShowMessage(text, fixed_text::ErrorCaption);
        window.SendClose();
        return "failure: the server did not prove who it is";
    }
    if (stages.RequestDownloadList && !stages.RequestDownloadList()) {
        window.SendClose();
        return "failure: the download list";
    }
    RunIfPresent(stages.FillLocalList);
    RunIfPresent(stages.FillServerList);
    RunIfPresent(stages.ReselectRecordedItems);
    return {};
}

} // namespace

std::string RunStartupSequence(MainWindow& window, MediaEngine& engine, const StartupStages& stages)
{
    std::string ending;
    if (engine.CreateSystem() != 0) {
        ending = "failure: the game's engine (Game.dll) did not start";
        if (const std::string reason = engine.UnavailableReason(); !reason.empty()) {
            window.ShowMessage(reason, fixed_text::ErrorCaption);
        }
        window.ShowMessage(fixed_text::ConstructingSystemFailed, fixed_text::ErrorCaption);
        window.PostClose();
    }
    RunIfPresent(stages.LoadInterfaceTexts);
    const std::string serverEnding = RunServerAndListStages(window, stages);
    engine.ExecuteSystem();
    window.Repaint();
    return ending.empty() ? serverEnding : ending;
}

} // namespace gsd
