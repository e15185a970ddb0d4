#include "platform/OnWorker.h"

#include <windows.h>

#include <objbase.h>

#include <exception>
#include <utility>

#include "platform/Handles.h"
#include "platform/MessageWait.h"
#include "platform/Win32FileHold.h"
#include "platform/WorkerThread.h"

namespace gsd {

void RunOnWorker(MessagePump& pump, const std::function<void()>& work)
{
    std::exception_ptr failure;
    const unique_handle worker = StartWorkerThread([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    });
    if (!worker) {
        work();
        return;
    }
    const HANDLE ended = worker.get();
    WaitHandlingMessages({ &ended, 1 }, &pump);
    // The worker uses what this frame holds until it has ended, even when
    // the system could not wait on it above.
    ::WaitForSingleObject(ended, INFINITE);
    // What the worker's end covered of the windows is painted now.
    pump.HandlePendingMessages();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

namespace {

// A writer whose Close, which flushes everything to disk, runs on a worker.
class HeldFileOnWorker final : public HeldFile, public Win32FileHold {
public:
    HeldFileOnWorker(std::unique_ptr<HeldFile> file, MessagePump& pump)
        : file_(std::move(file))
        , pump_(pump)
    {
    }

    std::optional<FileFailure> Write(std::string_view bytes) override { return file_->Write(bytes); }

    std::optional<FileFailure> Finish() override
    {
        return OnWorker([this] { return file_->Finish(); });
    }

    FileDigest WrittenDigest() const override { return file_->WrittenDigest(); }

    std::optional<FileFailure> HoldForStart() override
    {
        return OnWorker([this] { return file_->HoldForStart(); });
    }

    std::optional<FileFailure> MoveTo(std::string_view relative) override
    {
        return OnWorker([this, relative] { return file_->MoveTo(relative); });
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
    template <typename Call> std::optional<FileFailure> OnWorker(const Call& call)
    {
        std::optional<FileFailure> failure;
        RunOnWorker(pump_, [&] { failure = call(); });
        return failure;
    }

    std::unique_ptr<HeldFile> file_;
    MessagePump& pump_;
};

} // namespace

GameFilesOnWorker::GameFilesOnWorker(GameFiles& files, MessagePump& pump)
    : files_(files)
    , pump_(pump)
{
}

std::unique_ptr<HeldFile> GameFilesOnWorker::CreateEmpty(std::string_view relative, FileFailure& failure)
{
    std::unique_ptr<HeldFile> file = files_.CreateEmpty(relative, failure);
    if (!file) {
        return nullptr;
    }
    return std::make_unique<HeldFileOnWorker>(std::move(file), pump_);
}

std::optional<FileFailure> GameFilesOnWorker::Delete(std::string_view relative)
{
    std::optional<FileFailure> failure;
    RunOnWorker(pump_, [&] { failure = files_.Delete(relative); });
    return failure;
}

std::optional<FileFailure> GameFilesOnWorker::Rename(std::string_view from, std::string_view to)
{
    std::optional<FileFailure> failure;
    RunOnWorker(pump_, [&] { failure = files_.Rename(from, to); });
    return failure;
}

std::optional<std::uint64_t> GameFilesOnWorker::FreeBytes(std::string_view relative)
{
    return files_.FreeBytes(relative);
}

PumpingSleeper::PumpingSleeper(MessagePump& pump)
    : pump_(pump)
{
}

void PumpingSleeper::Sleep(int milliseconds)
{
    WaitHandlingMessages({}, &pump_, static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0));
}

RunningGameOnWorker::RunningGameOnWorker(RunningGame& game, MessagePump& pump)
    : game_(game)
    , pump_(pump)
{
}

GameCloseOutcome RunningGameOnWorker::AskToClose()
{
    GameCloseOutcome outcome = GameCloseOutcome::NotRunning;
    RunOnWorker(pump_, [&] { outcome = game_.AskToClose(); });
    return outcome;
}

bool GameFilesOnWorker::CanName(std::string_view name)
{
    return files_.CanName(name);
}

ProcessesOnWorker::ProcessesOnWorker(Processes& processes, MessagePump& pump)
    : processes_(processes)
    , pump_(pump)
{
}

std::unique_ptr<StartedProcess> ProcessesOnWorker::Start(
    std::string_view program, std::optional<std::string_view> workingFolder)
{
    std::unique_ptr<StartedProcess> started;
    RunOnWorker(pump_, [&] {
        // The shell may hand the start to COM objects of its own.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        started = processes_.Start(program, workingFolder);
        if (SUCCEEDED(com)) {
            ::CoUninitialize();
        }
    });
    return started;
}

DesktopStart ProcessesOnWorker::StartThroughDesktop(std::string_view program, std::string_view workingFolder)
{
    return processes_.StartThroughDesktop(program, workingFolder);
}

std::uint32_t ProcessesOnWorker::StartFailureCode() const
{
    return processes_.StartFailureCode();
}

void ProcessesOnWorker::ExitProgram(int exitCode)
{
    processes_.ExitProgram(exitCode);
}

} // namespace gsd
