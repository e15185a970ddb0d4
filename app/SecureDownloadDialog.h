// The program's main dialog (template 102): turns window messages into calls
// of the start-up sequence and the subsystems, and owns the state that lives
// as long as the dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/DownloadStages.h"
#include "app/MediaChecks.h"
#include "app/ServerStages.h"
#include "platform/Dialog.h"
#include "platform/GameDllEngine.h"
#include "platform/MediaEngineAnsweringBetweenPacks.h"
#include "platform/Win32MainWindow.h"
#include "platform/Win32MediaFolder.h"
#include "platform/Win32OptionsFile.h"
#include "platform/Win32SupportLog.h"
#include "shell/MainDialogState.h"

namespace gsd {

class SecureDownloadDialog final : public Dialog {
public:
    explicit SecureDownloadDialog(HINSTANCE instance);

    // Runs the dialog modally until it ends; false, with the thread's last
    // error set, when its window could not be made.
    bool Run();

private:
    bool OnInit() override;
    bool OnNotify(NMHDR& header) override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void AddAboutToSystemMenu();
    void OnSysCommand(WPARAM command, LPARAM parameter);
    bool OnPaint();
    void OnDestroy();

    HINSTANCE instance_;
    HICON Icon;
    MainDialogState state_;
    Win32SupportLog log_;
    std::optional<Win32MainWindow> mainWindow_;
    std::optional<GameDllEngine> gameDll_;
    // The engine every part of the program reads through.
    std::optional<MediaEngineAnsweringBetweenPacks> engine_;
    Win32OptionsFile optionsFile_;
    Win32MediaFolder mediaFolder_;
    std::optional<ServerStages> serverStages_;
    std::optional<DownloadStages> downloadStages_;
    std::optional<MediaChecks> mediaChecks_;
};

} // namespace gsd
