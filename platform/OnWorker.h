// "On a worker": a call that can take long (flushing and moving a large
// file, checking an installer, waiting for the game to handle a close
// request) runs on a worker thread while the window thread handles its
// windows' messages, so they paint and answer throughout. Where those
// messages are handled and why that is safe: platform/MessageWait.h.
#pragma once

#include <functional>
#include <memory>

#include "ports/GameFiles.h"
#include "ports/MessagePump.h"
#include "ports/Processes.h"
#include "ports/RunningGame.h"
#include "ports/Sleeper.h"

namespace gsd {

// Runs `work` on a thread of its own and returns once it has returned,
// handing every message the calling thread receives meanwhile to `pump`.
// Only for work that returns in the end by itself: it is always waited for.
// An exception thrown by `work` is thrown again here. When no worker can be
// started, `work` runs on the calling thread.
void RunOnWorker(MessagePump& pump, const std::function<void()>& work);

// `files` with the held file's Finish (the flush to disk), HoldForStart and
// MoveTo, and Delete and Rename, made on a worker; writing the
// pieces of a transfer stays on the calling thread. The held files it
// returns are Win32FileHolds whenever those of `files` are.
class GameFilesOnWorker final : public GameFiles {
public:
    // Both must outlive this object and every writer it returns.
    GameFilesOnWorker(GameFiles& files, MessagePump& pump);

    std::unique_ptr<HeldFile> CreateEmpty(std::string_view relative, FileFailure& failure) override;
    std::optional<FileFailure> Delete(std::string_view relative) override;
    std::optional<FileFailure> Rename(std::string_view from, std::string_view to) override;
    std::optional<std::uint64_t> FreeBytes(std::string_view relative) override;
    // A question of the code page, answered at once on this thread.
    bool CanName(std::string_view name) override;

private:
    GameFiles& files_;
    MessagePump& pump_;
};

// A pause that hands the thread's messages to the pump while it lasts, so
// a designed pause never leaves the windows unanswered.
class PumpingSleeper final : public Sleeper {
public:
    // `pump` must outlive this object.
    explicit PumpingSleeper(MessagePump& pump);

    void Sleep(int milliseconds) override;

private:
    MessagePump& pump_;
};

// `game` with AskToClose (which may wait for the game's answer up to its
// limit) made on a worker.
class RunningGameOnWorker final : public RunningGame {
public:
    // Both must outlive this object.
    RunningGameOnWorker(RunningGame& game, MessagePump& pump);

    GameCloseOutcome AskToClose() override;

private:
    RunningGame& game_;
    MessagePump& pump_;
};

// `processes` with Start (the system creating the new process, which can
// take a noticeable while for a large installer) made on a worker, with
// COM initialised as the shell wants it. The start through the desktop's shell uses the window thread's
// COM objects and stays on it.
class ProcessesOnWorker final : public Processes {
public:
    // Both must outlive this object.
    ProcessesOnWorker(Processes& processes, MessagePump& pump);

    std::unique_ptr<StartedProcess> Start(
        std::string_view program, std::optional<std::string_view> workingFolder) override;
    DesktopStart StartThroughDesktop(std::string_view program, std::string_view workingFolder) override;
    std::uint32_t StartFailureCode() const override;
    void ExitProgram(int exitCode) override;

private:
    Processes& processes_;
    MessagePump& pump_;
};

} // namespace gsd
