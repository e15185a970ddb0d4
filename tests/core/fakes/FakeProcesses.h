// Started programs and the game's window, scripted and journaled. Ending
// this program throws ProgramEnded, since the real call never returns.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ports/Processes.h"
#include "ports/RunningGame.h"

namespace gsd::testing {

struct ProgramEnded {
    int exitCode;
};

class FakeProcesses : public Processes {
public:
    explicit FakeProcesses(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    // No process handle comes back, for `startsFailing` starts (negative:
    // every one), with `startFailureCode`.
    bool startFails = false;
    int startsFailing = -1;
    std::uint32_t startFailureCode = 0;

    // Journals "start <program> in <folder>", or "... inheriting the folder".
    std::unique_ptr<StartedProcess> Start(
        std::string_view program, std::optional<std::string_view> workingFolder) override
    {
        journal_.push_back("start " + std::string(program)
            + (workingFolder ? " in \"" + std::string(*workingFolder) + "\"" : std::string(" inheriting the folder")));
        if (startFails && startsFailing != 0) {
            --startsFailing;
            return nullptr;
        }
        return std::make_unique<Process>(journal_);
    }

    // What the desktop's shell answers.
    DesktopStart desktopStart { true, {}, 0 };

    // Journals "desktop start <program> in <folder>".
    DesktopStart StartThroughDesktop(std::string_view program, std::string_view workingFolder) override
    {
        journal_.push_back("desktop start " + std::string(program) + " in \"" + std::string(workingFolder) + "\"");
        return desktopStart;
    }

    std::uint32_t StartFailureCode() const override { return startFails ? startFailureCode : 0; }

    [[noreturn]] void ExitProgram(int exitCode) override
    {
        journal_.push_back("exit " + std::to_string(exitCode));
        throw ProgramEnded { exitCode };
    }

private:
    class Process : public StartedProcess {
    public:
        explicit Process(std::vector<std::string>& journal)
            : journal_(journal)
        {
        }
        std::optional<std::uint32_t> WaitForExit(MessagePump& pump) override
        {
            pump.HandlePendingMessages();
            journal_.emplace_back("wait for exit");
            return 0;
        }

    private:
        std::vector<std::string>& journal_;
    };

    std::vector<std::string>& journal_;
};

class FakeRunningGame : public RunningGame {
public:
    explicit FakeRunningGame(std::vector<std::string>& journal)
        : journal_(journal)
    {
    }

    GameCloseOutcome outcome = GameCloseOutcome::NotRunning;

    GameCloseOutcome AskToClose() override
    {
        journal_.emplace_back("ask the game to close");
        return outcome;
    }

private:
    std::vector<std::string>& journal_;
};

} // namespace gsd::testing
