// The main dialog's server steps at start-up (connection check, host
// authentication, download list) and the filling of the server's list, with
// the Win32 adapters they run on: WinINet, the performance counter, the
// start-up status and connection dialogs, the system's error texts.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "catalogue/InstalledPacks.h"
#include "ports/SupportLog.h"
#include "shell/MainDialogState.h"
#include "ports/MainWindow.h"
#include "ports/MediaFolder.h"
#include "ports/MediaEngine.h"
#include "platform/Win32InternetErrorTexts.h"
#include "platform/Win32MessagePump.h"
#include "platform/Win32Timing.h"
#include "platform/WinInetHttpClient.h"
#include "protocol/ProxySignIn.h"
#include "protocol/ServerExchange.h"
#include "ports/OptionsFile.h"

namespace gsd {

class ServerStages {
public:
    // Everything given must outlive this object. `mainDialog` owns the
    // status and connection dialogs; `state` supplies the text lists and
    // receives the download list; every exchange is written to `log`.
    ServerStages(HINSTANCE instance, HWND mainDialog, MainWindow& window, MainDialogState& state, MediaEngine& engine,
        MediaFolder& mediaFolder, OptionsFile& options, SupportLog& log);

    ServerStages(const ServerStages&) = delete;
    ServerStages& operator=(const ServerStages&) = delete;

    bool CheckServerConnection();
    bool AuthenticateHost();
    // Reads the inventory report from the media files, then asks for the
    // list; stores it in the state's DownloadListText.
    bool RequestDownloadList();
    // The packs the report read, handed once to the local list that
    // follows; null when no report was built.
    std::unique_ptr<InstalledPacks> TakePacksRead() { return std::move(packsRead_); }
    void FillServerList();

    // What every exchange with the server talks to.
    ExchangeServices Services();
    MainWindow& Window() { return window_; }

private:
    class Dialogs final : public ServerDialogs {
    public:
        Dialogs(HINSTANCE instance, HWND owner)
            : instance_(instance)
            , owner_(owner)
        {
        }
        std::unique_ptr<StatusDialog> OpenStatusDialog() override;
        bool OfferConnectionRetry(std::string_view text, std::string_view okText, std::string_view cancelText) override;
        HWND Owner() const { return owner_; }

    private:
        HINSTANCE instance_;
        HWND owner_;
    };

    std::string BuildDownloadListMessage();

    MainWindow& window_;
    MainDialogState& state_;
    MediaEngine& engine_;
    MediaFolder& mediaFolder_;
    OptionsFile& options_;
    Dialogs dialogs_;
    WinInetHttpClient http_;
    Win32InternetErrorTexts errorTexts_;
    PerformanceCounterClock clock_;
    Win32MessagePump pump_;
    std::unique_ptr<Sleeper> sleeper_;
    SupportLog& log_;
    std::unique_ptr<InstalledPacks> packsRead_;
    // The proxy sign-in that the proxy took, for every later exchange of
    // the run.
    ProxySignInMemory proxySignIns_;
};

} // namespace gsd
