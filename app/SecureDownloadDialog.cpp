#include "app/SecureDownloadDialog.h"

#include "app/AboutDialog.h"
#include "app/SingleInstance.h"
#include "catalogue/LocalList.h"
#include "download/DownloadSelections.h"
#include "download/PassRunning.h"
#include "download/Selection.h"
#include "platform/DialogBackground.h"
#include "platform/GamePaths.h"
#include "platform/ResourceStrings.h"
#include "protocol/FieldList.h"
#include "resource.h"
#include "shell/FixedTexts.h"
#include "shell/StartupSequence.h"
#include "shell/SupportLogLines.h"
#include "texts/InterfaceTexts.h"

namespace gsd {
namespace {

constexpr const char* VerifyGameFilesMenuText = "Verify game files...";

} // namespace

SecureDownloadDialog::SecureDownloadDialog(HINSTANCE instance)
    : instance_(instance)
    , Icon(::LoadIconA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME)))
{
}

bool SecureDownloadDialog::Run()
{
    return RunModal(instance_, IDD_SECUREDOWNLOAD_DIALOG, nullptr) != -1;
}

bool SecureDownloadDialog::OnInit()
{
    SingleInstance::MarkMainDialog(window());
    AddAboutToSystemMenu();
    ::SendMessageA(window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(Icon));
    ::SendMessageA(window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Icon));
    ::SetDlgItemTextA(window(), IDC_DESCRIPTION, std::string(fixed_text::DefaultDescription).c_str());

    mainWindow_.emplace(window(), &log_);
    // The engine is the game's own, in the game folder, and nowhere else.
    gameDll_.emplace(window(), instance_, GameFolderPath(GameDllFileName).Path);
    engine_.emplace(*gameDll_);
    StartupStages stages;
    stages.LoadInterfaceTexts = [this] { LoadInterfaceTexts(*engine_, *mainWindow_, optionsFile_, state_); };
    stages.FillLocalList = [this] {
        // The packs were read moments ago for the download-list request;
        // the list takes their rows rather than reading every pack again.
        const std::unique_ptr<InstalledPacks> packsRead = serverStages_->TakePacksRead();
        FillLocalList(*engine_, *mainWindow_, mediaFolder_, optionsFile_, state_.OnDownloadTexts, packsRead.get());
    };
    stages.AuthenticationFailedText = [this] { return GetField(state_.InfoAndErrorTexts, 3, FieldSeparator); };
    serverStages_.emplace(instance_, window(), *mainWindow_, state_, *engine_, mediaFolder_, optionsFile_, log_);
    stages.CheckServerConnection = [this] { return serverStages_->CheckServerConnection(); };
    stages.AuthenticateHost = [this] { return serverStages_->AuthenticateHost(); };
    mediaChecks_.emplace(*serverStages_, state_, log_);
    stages.RequestDownloadList = [this] {
        // The report tells the server of the files found damaged.
        mediaChecks_->QuickLook();
        return serverStages_->RequestDownloadList();
    };
    stages.FillServerList = [this] { serverStages_->FillServerList(); };
    downloadStages_.emplace(*serverStages_, state_, *engine_, mediaFolder_, optionsFile_);
    downloadStages_->RecordInstalledMedia(mediaChecks_->Records(), mediaChecks_->Files());
    stages.ReselectRecordedItems = [this] {
        downloadStages_->ReselectRecordedItems();
        mediaChecks_->OfferRepairs();
    };
    downloadStages_->RemoveFinishedInstaller();
    {
        // The start-up's waits handle messages too: a press of the button,
        // the menu's verify or a close posted meanwhile must not start work
        // inside it.
        const PassRunning startup(state_);
        state_.RunEnding = RunStartupSequence(*mainWindow_, *engine_, stages);
    }
    if (state_.CloseAsked) {
        log_.Write("the close asked during the start-up ends the dialog");
        ::EndDialog(window(), IDCANCEL);
    }
    return true;
}

bool SecureDownloadDialog::OnCommand(int id, int code, HWND)
{
    // Done, Escape and every close of the window arrive as these. During a
    // pass (its windows answer while it waits, so a close can arrive) the
    // pass ends the dialog itself once it has stopped.
    if ((id == IDOK || id == IDCANCEL) && CloseDuringPass(state_)) {
        return true;
    }
    if (id != IDC_DOWNLOAD_SELECTIONS || code != BN_CLICKED || !downloadStages_) {
        return false;
    }
    downloadStages_->DownloadSelections();
    return true;
}

bool SecureDownloadDialog::OnNotify(NMHDR& header)
{
    Win32ListView* list = mainWindow_ ? mainWindow_->ListOfControl(header.idFrom) : nullptr;
    if (list == nullptr) {
        return false;
    }
    switch (header.code) {
    case NM_CLICK:
        // After the click's own change of the focus: with several rows
        // selected, the first in the list's order is described.
        SetMsgResult(ShowDescriptionOfSelection(*mainWindow_, *list));
        return true;
    case LVN_ITEMCHANGED:
        ShowDescriptionOfFocusedRow(*mainWindow_, list->ChangeOf(reinterpret_cast<NMLISTVIEW&>(header)));
        return true;
    case NM_SETFOCUS:
        list->FocusFirstRowWhenNone();
        return true;
    case NM_CUSTOMDRAW:
        SetMsgResult(list->OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header)));
        return true;
    default:
        return false;
    }
}

void SecureDownloadDialog::AddAboutToSystemMenu()
{
    HMENU menu = ::GetSystemMenu(window(), FALSE);
    if (menu == nullptr) {
        return;
    }
    const std::string about = LoadResourceString(instance_, IDS_ABOUTBOX);
    ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    if (!about.empty()) {
        ::AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
    ::AppendMenuA(menu, MF_STRING, IDM_VERIFY_GAME_FILES, VerifyGameFilesMenuText);
}

bool SecureDownloadDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_SYSCOMMAND:
        // The low four bits of a system command belong to the system.
        if ((wParam & ~static_cast<WPARAM>(0xF)) == IDM_ABOUTBOX) {
            OnSysCommand(wParam, lParam);
            result = TRUE;
            return true;
        }
        if ((wParam & ~static_cast<WPARAM>(0xF)) == IDM_VERIFY_GAME_FILES && mediaChecks_) {
            mediaChecks_->Verify();
            result = TRUE;
            return true;
        }
        return false;
    case WM_PAINT:
        if (OnPaint()) {
            result = TRUE;
            return true;
        }
        return false;
    case WM_ERASEBKGND:
        // The lists, the description and the buttons are left standing:
        // the dialog is repainted after every reading pass while a download
        // runs, and must never be seen without them.
        EraseAroundControls(window(), reinterpret_cast<HDC>(wParam));
        SetMsgResult(TRUE);
        result = TRUE;
        return true;
    case WM_DPICHANGED:
        // The dialog manager lays the dialog out anew; the columns, in
        // pixels, are the program's to follow.
        if (mainWindow_) {
            mainWindow_->OnDpiChanged(static_cast<int>(LOWORD(wParam)));
        }
        return false;
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(Icon);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return false;
    }
}

void SecureDownloadDialog::OnSysCommand(WPARAM, LPARAM)
{
    AboutDialog about;
    about.RunModal(instance_, IDD_ABOUTBOX, window());
}

bool SecureDownloadDialog::OnPaint()
{
    if (!::IsIconic(window())) {
        return false;
    }
    PAINTSTRUCT paint {};
    HDC dc = ::BeginPaint(window(), &paint);
    ::SendMessageA(window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    const int iconWidth = ::GetSystemMetrics(SM_CXICON);
    const int iconHeight = ::GetSystemMetrics(SM_CYICON);
    RECT client {};
    ::GetClientRect(window(), &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    ::DrawIcon(dc, x, y, Icon);
    ::EndPaint(window(), &paint);
    return true;
}

void SecureDownloadDialog::OnDestroy()
{
    SingleInstance::UnmarkMainDialog(window());
    if (engine_ && engine_->DestroySystem() != 0) {
        // The dialog is going away: the message box stands on its own.
        ::MessageBoxA(nullptr, std::string(fixed_text::DeconstructingSystemFailed).c_str(),
            std::string(fixed_text::ErrorCaption).c_str(), MB_OK);
    }
    log_.Write(RunEndLogLine(state_.RunEnding, mainWindow_ && mainWindow_->ClosedByTheProgram()));
}

} // namespace gsd
