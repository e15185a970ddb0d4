#include "bench/ProgramTransfer.h"

#include <windows.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <exception>

#include "bench/SilentWindow.h"
#include "download/FetchAndInstallItem.h"
#include "platform/Win32GameFiles.h"
#include "platform/Win32InstallerSignatures.h"
#include "platform/Win32InternetErrorTexts.h"
#include "platform/Win32MediaFolder.h"
#include "platform/Win32MessagePump.h"
#include "platform/Win32OptionsFile.h"
#include "platform/Win32Processes.h"
#include "platform/Win32RecordStore.h"
#include "platform/Win32RunningGame.h"
#include "platform/Win32Timing.h"
#include "platform/WinInetHttpClient.h"
#include "protocol/DownloadItem.h"
#include "protocol/FieldList.h"
#include "tests/support/WideArguments.h"

namespace gsd::bench {
namespace {

class NoDialogs final : public ServerDialogs {
public:
    std::unique_ptr<StatusDialog> OpenStatusDialog() override { return nullptr; }
    bool OfferConnectionRetry(std::string_view, std::string_view, std::string_view) override { return false; }
};

// The transfer never reads media; a pack is installed, not read.
class NoEngine final : public MediaEngine {
public:
    int CreateSystem() override { return 0; }
    int DestroySystem() override { return 0; }
    void ExecuteSystem() override { }
    std::unique_ptr<MediaReader> CreateReader() override { return nullptr; }
};

// The pause after a good reply gives the player time to read the status
// line; it is no part of the transfer's cost.
class NoPause final : public Sleeper {
public:
    void Sleep(int) override { }
};

} // namespace

int ChildProgramTransfer(const std::string& url, const std::string& line, const std::string& workFolder)
{
    const std::string game = workFolder + "\\game-" + std::to_string(::GetCurrentProcessId());
    const std::wstring work = gsd::test::WidenedUtf8(workFolder);
    const std::wstring gameFolder = gsd::test::WidenedUtf8(game);
    if (!::CreateDirectoryW(gameFolder.c_str(), nullptr)
        || !::CreateDirectoryW((gameFolder + L"\\Temp").c_str(), nullptr)
        || !::CreateDirectoryW((gameFolder + L"\\Media").c_str(), nullptr)
        || !::SetCurrentDirectoryW(gameFolder.c_str())) {
        std::fprintf(stderr, "bench_transfer: cannot make the game folder %s\n", game.c_str());
        return 2;
    }
    WinInetHttpClient http;
    SilentWindow window;
    NoDialogs dialogs;
    Win32InternetErrorTexts errorTexts;
    PerformanceCounterClock clock;
    NoPause sleeper;
    Win32MessagePump pump;
    Win32GameFiles files;
    Win32Processes processes;
    Win32InstallerSignatures signatures;
    Win32RunningGame runningGame;
    Win32RecordStore records;
    NoEngine engine;
    Win32MediaFolder mediaFolder;
    Win32OptionsFile options;
    MainDialogState state;
    state.DownloadListText = line;
    const DownloadServices services { ExchangeServices { http, window, dialogs, errorTexts, clock, sleeper, pump, url,
                                          state.InfoAndErrorTexts },
        files, processes, signatures, {}, runningGame, records, engine, mediaFolder, options, state };
    const std::string fileName = GetField(line, DownloadItemField::FileName, FieldSeparator);

    bool installed = false;
    const auto start = std::chrono::steady_clock::now();
    try {
        installed = FetchAndInstallItem(services, fileName);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_transfer: %s\n", error.what());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::wstring installedPath = gsd::test::WidenedUtf8(game + "\\Media\\" + fileName + ".mdc");
    WIN32_FILE_ATTRIBUTE_DATA attributes {};
    const bool found = ::GetFileAttributesExW(installedPath.c_str(), GetFileExInfoStandard, &attributes) != FALSE;
    const std::uint64_t bytes = found
        ? (static_cast<std::uint64_t>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow
        : 0;
    ::DeleteFileW(installedPath.c_str());
    ::SetCurrentDirectoryW(work.c_str());
    ::RemoveDirectoryW((gameFolder + L"\\Temp").c_str());
    ::RemoveDirectoryW((gameFolder + L"\\Media").c_str());
    ::RemoveDirectoryW(gameFolder.c_str());
    if (!installed) {
        std::fprintf(stderr, "bench_transfer: the program's transfer failed\n");
        return 1;
    }
    std::printf("%" PRIu64 " %.6f\n", bytes, seconds);
    return 0;
}

} // namespace gsd::bench
