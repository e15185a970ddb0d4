// Starting, waiting for and closing the demo's stand-in game ("Rubbleton
// Gravelpit.exe": a window of the game's class that journals its start and
// each close request to StandInGame.log in its current directory) through
// the Win32 adapters.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "GameFolderScope.h"
#include "driver/uidriver.h"
#include "platform/Win32Processes.h"
#include "platform/Win32RunningGame.h"

namespace gsd {
namespace {

constexpr const char* GameProgram = "Rubbleton Gravelpit.exe";
constexpr const char* GameClass = "Rubbleton: Gravelpit";

// Handles the thread's messages like the program's pump and asks the game to
// close once its window is there, so the game ends only if the pump is
// called during the wait.
class ClosingPump final : public MessagePump {
public:
    void HandlePendingMessages() override
    {
        ++calls;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
        if (!closeSent) {
            if (HWND game = FindWindowA(GameClass, nullptr)) {
                closeSent = PostMessageA(game, WM_CLOSE, 0, 0) != FALSE;
            }
        }
    }

    int calls = 0;
    bool closeSent = false;
};

// Ends a game the test could not end, so a failing test fails instead of
// hanging; never meant to fire.
class Watchdog {
public:
    Watchdog()
        : thread_([this] {
            if (WaitForSingleObject(done_.get(), 60000) == WAIT_TIMEOUT) {
                fired = true;
                DWORD pid = 0;
                GetWindowThreadProcessId(FindWindowA(GameClass, nullptr), &pid);
                const unique_handle game(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
                TerminateProcess(game.get(), 1);
            }
        })
    {
    }
    ~Watchdog()
    {
        SetEvent(done_.get());
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    std::atomic<bool> fired { false };

private:
    unique_handle done_ { CreateEventA(nullptr, TRUE, FALSE, nullptr) };
    std::thread thread_;
};

struct StartCase {
    const char* name;
    std::optional<std::string_view> workingFolder;
    const char* journal; // where the game's journal shows its current directory
};

void PrintTo(const StartCase& c, std::ostream* os)
{
    *os << c.name;
}

class StartedGameTest : public ::testing::TestWithParam<StartCase> {
protected:
    testing::GameFolderScope folder_;
    const e2e::GameFolder& game_ = folder_.Game();
};

TEST_P(StartedGameTest, RunsInItsWorkingFolderWhileThePumpKeepsGoing)
{
    game_.CopyFromBin(GameProgram);
    ASSERT_TRUE(CreateDirectoryA(game_.PathOf("Work").c_str(), nullptr));
    // Something for the pump to handle while the game runs.
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, nullptr);
    Win32Processes processes;
    ClosingPump pump;

    auto started = processes.Start(GameProgram, GetParam().workingFolder);
    ASSERT_NE(started, nullptr);
    {
        Watchdog watchdog;
        started->WaitForExit(pump);
        EXPECT_FALSE(watchdog.fired) << "the game was not closed through the pump";
    }
    KillTimer(nullptr, timer);

    EXPECT_TRUE(pump.closeSent);
    EXPECT_EQ(FindWindowA(GameClass, nullptr), nullptr) << "waiting ended before the game did";
    ASSERT_TRUE(game_.Exists(GetParam().journal));
    EXPECT_EQ(game_.Read(GetParam().journal), "started by win32_tests.exe\r\nclose requested\r\n");
}

INSTANTIATE_TEST_SUITE_P(Processes, StartedGameTest,
    ::testing::Values(StartCase { "Subfolder", "Work", "Work\\StandInGame.log" },
        StartCase { "GameFolder", "", "StandInGame.log" }, StartCase { "Inherited", std::nullopt, "StandInGame.log" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProcessesOnWine, MissingProgramStartsNothing)
{
    testing::GameFolderScope folder;
    Win32Processes processes;

    // Without a box of the shell's own: the caller reports the failure.
    EXPECT_EQ(processes.Start("Missing.exe", std::nullopt), nullptr);
}

struct CloseCase {
    const char* name;
    e2e::Environment environment;
    unsigned long timeoutMs;
    GameCloseOutcome outcome;
    bool ends;
};

void PrintTo(const CloseCase& c, std::ostream* os)
{
    *os << c.name;
}

class RunningGameTest : public ::testing::TestWithParam<CloseCase> { };

TEST_P(RunningGameTest, CloseRequestIsAnsweredOrGivenUp)
{
    e2e::GameFolder game(e2e::GameFolder::Contents::Empty);
    game.CopyFromBin(GameProgram);
    e2e::ProgramRun run(game.PathOf(GameProgram), game.Path(), GetParam().environment);
    ASSERT_NE(e2e::WaitForWindow(run.Pid(),
                  [](HWND window) {
                      char name[64];
                      const int length = GetClassNameA(window, name, sizeof name);
                      return std::string(name, length > 0 ? length : 0) == GameClass;
                  }),
        nullptr);
    Win32RunningGame running(GetParam().timeoutMs);

    EXPECT_EQ(running.AskToClose(), GetParam().outcome);

    EXPECT_EQ(run.WaitForExit(e2e::milliseconds(GetParam().ends ? 15000 : 0)).has_value(), GetParam().ends);
    EXPECT_EQ(game.Read("StandInGame.log"), "started by win32_tests.exe\r\nclose requested\r\n");
    // ProgramRun ends a game that hangs.
}

INSTANTIATE_TEST_SUITE_P(RunningGame, RunningGameTest,
    ::testing::Values(CloseCase { "Answers", {}, 15000, GameCloseOutcome::Asked, true },
        CloseCase { "Hangs", { { "GSD_GAME_IGNORE_CLOSE", "1" } }, 1000, GameCloseOutcome::NoAnswer, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunningGameOnWine, NoGameWindowIsNotRunning)
{
    ASSERT_EQ(FindWindowA(GameClass, nullptr), nullptr) << "a game from elsewhere is running";
    EXPECT_EQ(Win32RunningGame(1000).AskToClose(), GameCloseOutcome::NotRunning);
}

} // namespace
} // namespace gsd
