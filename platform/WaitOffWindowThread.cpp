#include "platform/WaitOffWindowThread.h"

#include <windows.h>

#include <objbase.h>

#include <exception>
#include <utility>

#include "platform/Handles.h"
#include "platform/Win32FileHold.h"
#include "platform/WorkerThread.h"

namespace gsd {

void RunWhileHandlingMessages(MessagePump& pump, const std::function<void()>& work)
{
    const unique_handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) {
        work();
        return;
    }
    std::exception_ptr failure;
    const unique_handle worker = StartWorkerThread([&work, &failure, event = done.get()] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        ::SetEvent(event);
    });
    if (!worker) {
        work();
        return;
    }
    HANDLE event = done.get();
    for (;;) {
        // Only messages that arrive after the last look wake it (see
        // PumpingSleeper::Sleep).
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT);
        if (woken != WAIT_OBJECT_0 + 1) {
            // Done, or a wait that cannot be made: the wait below waits.
            break;
        }
        pump.HandlePendingMessages();
    }
    // The worker uses what this frame holds until it has ended.
    ::WaitForSingleObject(worker.get(), INFINITE);
    // What the worker's end covered of the windows is painted now.
    pump.HandlePendingMessages();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

namespace {

// A writer whose Close, which flushes everything to disk, runs on a worker.
class HeldFileOffWindowThread final : public HeldFile, public Win32FileHold {
public:
    HeldFileOffWindowThread(std::unique_ptr<HeldFile> file, MessagePump& pump)
        : file_(std::move(file))
        , pump_(pump)
    {
    }

    std::optional<FileFailure> Write(std::string_view bytes) override { return file_->Write(bytes); }

    std::optional<FileFailure> Finish() override
    {
        return OffWindowThread([this] { return file_->Finish(); });
    }

    FileDigest WrittenDigest() const override { return file_->WrittenDigest(); }

    std::optional<FileFailure> HoldForStart() override
    {
        return OffWindowThread([this] { return file_->HoldForStart(); });
    }

    std::optional<FileFailure> MoveTo(std::string_view relative) override
    {
        return OffWindowThread([this, relative] { return file_->MoveTo(relative); });
    }

    HANDLE FileHandle() const override
    {
        const Win32FileHold* hold = Win32FileHoldOf(*file_);
        return hold != nullptr ? hold->FileHandle() : INVALID_HANDLE_VALUE;
    }

    std::wstring FilePath() const override
    {
        const Win32FileHold* hold = Win32FileHoldOf(*file_);
        return hold != nullptr ? hold->FilePath() : std::wstring();
    }

private:
    template <typename Call> std::optional<FileFailure> OffWindowThread(const Call& call)
    {
        std::optional<FileFailure> failure;
        RunWhileHandlingMessages(pump_, [&] { failure = call(); });
        return failure;
    }

    std::unique_ptr<HeldFile> file_;
    MessagePump& pump_;
};

} // namespace

GameFilesOffWindowThread::GameFilesOffWindowThread(GameFiles& files, MessagePump& pump)
    : files_(files)
    , pump_(pump)
{
}

std::unique_ptr<HeldFile> GameFilesOffWindowThread::CreateEmpty(std::string_view relative, FileFailure& failure)
{
    std::unique_ptr<HeldFile> file = files_.CreateEmpty(relative, failure);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<HeldFileOffWindowThread>(std::move(file), pump_);
}

std::optional<FileFailure> GameFilesOffWindowThread::Delete(std::string_view relative)
{
    std::optional<FileFailure> failure;
    RunWhileHandlingMessages(pump_, [&] { failure = files_.Delete(relative); });
    return failure;
}

std::optional<FileFailure> GameFilesOffWindowThread::Rename(std::string_view from, std::string_view to)
{
    std::optional<FileFailure> failure;
    RunWhileHandlingMessages(pump_, [&] { failure = files_.Rename(from, to); });
    return failure;
}

std::optional<std::uint64_t> GameFilesOffWindowThread::FreeBytes(std::string_view relative)
{
    return files_.FreeBytes(relative);
}

PumpingSleeper::PumpingSleeper(MessagePump& pump)
    : pump_(pump)
{
}

void PumpingSleeper::Sleep(int milliseconds)
{
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds > 0 ? milliseconds : 0);
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        const auto left = static_cast<DWORD>(end - now);
        // Only messages that arrive after the last look wake it: one the
        // pump leaves in the queue (a quit request kept for its loop) would
        // otherwise turn the pause into a busy loop.
        if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, left, QS_ALLINPUT) == WAIT_FAILED) {
            ::Sleep(left);
            return;
        }
        pump_.HandlePendingMessages();
    }
}

RunningGameOffWindowThread::RunningGameOffWindowThread(RunningGame& game, MessagePump& pump)
    : game_(game)
    , pump_(pump)
{
}

GameCloseOutcome RunningGameOffWindowThread::AskToClose()
{
    GameCloseOutcome outcome = GameCloseOutcome::NotRunning;
    RunWhileHandlingMessages(pump_, [&] { outcome = game_.AskToClose(); });
    return outcome;
}

bool GameFilesOffWindowThread::CanName(std::string_view name)
{
    return files_.CanName(name);
}

ProcessesOffWindowThread::ProcessesOffWindowThread(Processes& processes, MessagePump& pump)
    : processes_(processes)
    , pump_(pump)
{
}

std::unique_ptr<StartedProcess> ProcessesOffWindowThread::Start(
    std::string_view program, std::optional<std::string_view> workingFolder)
{
    std::unique_ptr<StartedProcess> started;
    RunWhileHandlingMessages(pump_, [&] {
        // The shell may hand the start to COM objects of its own.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        started = processes_.Start(program, workingFolder);
        if (SUCCEEDED(com)) {
            ::CoUninitialize();
        }
    });
    return started;
}

DesktopStart ProcessesOffWindowThread::StartThroughDesktop(std::string_view program, std::string_view workingFolder)
{
    return processes_.StartThroughDesktop(program, workingFolder);
}

std::uint32_t ProcessesOffWindowThread::StartFailureCode() const
{
    return processes_.StartFailureCode();
}

void ProcessesOffWindowThread::ExitProgram(int exitCode)
{
    processes_.ExitProgram(exitCode);
}

} // namespace gsd
