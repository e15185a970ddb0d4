// The slow calls made off the window thread: while they run, a window of the
// calling thread answers a message sent from elsewhere, as the system's
// "not responding" check and the responsiveness benchmark send it.

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Handles.h"
#include "platform/OnWorker.h"
#include "platform/Win32MessagePump.h"

namespace gsd {
namespace {

// A window of the test's thread and a check, made from the call under test,
// that it answers within a second. Sent from its own thread, a message is a
// plain call that always answers: only an answer to another thread counts.
class AnsweringWindow {
public:
    AnsweringWindow()
        : window_(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
        , thread_(GetCurrentThreadId())
    {
    }

    // Sends WM_NULL and waits for the answer; true when it came in time to
    // a thread other than the window's.
    bool Answers() const
    {
        DWORD_PTR ignored = 0;
        return GetCurrentThreadId() != thread_
            && SendMessageTimeoutA(window_.get(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;
    }

private:
    unique_hwnd window_;
    DWORD thread_;
};

class SlowCall final : public GameFiles, public RunningGame {
public:
    explicit SlowCall(const AnsweringWindow& window) : window_(window) {}

    std::unique_ptr<HeldFile> CreateEmpty(std::string_view, FileFailure&) override
    {
        return std::unique_ptr<HeldFile>(new Forward(*this));
    }
    std::optional<FileFailure> Delete(std::string_view) override { return Call("delete"); }
    std::optional<FileFailure> Rename(std::string_view, std::string_view) override { return Call("rename"); }
    std::optional<std::uint64_t> FreeBytes(std::string_view) override { return 0; }
    bool CanName(std::string_view) override { return true; }
    GameCloseOutcome AskToClose() override { return Call("game") ? GameCloseOutcome::NoAnswer : GameCloseOutcome::Asked; }

    // Each call: whether the window answered while the call ran.
    std::vector<bool> answered;

private:
    class Forward final : public HeldFile {
    public:
        explicit Forward(SlowCall& to) : to_(to) {}
        std::optional<FileFailure> Write(std::string_view) override { return std::nullopt; }
        std::optional<FileFailure> Finish() override { return to_.Call("finish"); }
        FileDigest WrittenDigest() const override { return {}; }
        std::optional<FileFailure> HoldForStart() override { return to_.Call("hold"); }
        std::optional<FileFailure> MoveTo(std::string_view to) override { return to_.Call(std::string(to)); }

    private:
        SlowCall& to_;
    };

    // Fails with `path` when the window did not answer.
    std::optional<FileFailure> Call(std::string path)
    {
        answered.push_back(window_.Answers());
        return answered.back() ? std::nullopt : std::optional<FileFailure>(FileFailure { 1, "", std::move(path) });
    }

    const AnsweringWindow& window_;
};

TEST(OnWorker, TheWindowAnswersDuringEachSlowCall)
{
    const AnsweringWindow window;
    SlowCall slow(window);
    Win32MessagePump pump;
    GameFilesOnWorker files(slow, pump);
    RunningGameOnWorker game(slow, pump);

    FileFailure failure;
    const std::unique_ptr<HeldFile> file = files.CreateEmpty("Temp\\Download.tmp", failure);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Finish(), std::nullopt);
    EXPECT_EQ(file->HoldForStart(), std::nullopt);
    EXPECT_EQ(file->MoveTo("Temp\\Download.exe"), std::nullopt);
    EXPECT_EQ(files.Delete("Temp\\Download.exe"), std::nullopt);
    EXPECT_EQ(files.Rename("Temp\\Download.exe", "Temp\\Download.exe.old"), std::nullopt);
    EXPECT_EQ(game.AskToClose(), GameCloseOutcome::Asked);

    EXPECT_EQ(slow.answered, std::vector<bool>(6, true));
}

TEST(OnWorker, TheWindowAnswersDuringAPauseThatEndsOnTime)
{
    const AnsweringWindow window;
    Win32MessagePump pump;
    PumpingSleeper pause(pump);
    bool answered = false;
    std::thread asker([&] { answered = window.Answers(); });

    const ULONGLONG start = GetTickCount64();
    pause.Sleep(1500);
    const ULONGLONG slept = GetTickCount64() - start;
    asker.join();

    EXPECT_TRUE(answered);
    EXPECT_GE(slept, 1400u);
}

TEST(OnWorker, AnExceptionOfTheWorkReachesTheCaller)
{
    Win32MessagePump pump;
    EXPECT_THROW(RunOnWorker(pump, [] { throw std::runtime_error("failed"); }), std::runtime_error);
}

} // namespace
} // namespace gsd
