// The main dialog's life: its controls, the About box of the system menu,
// the ways it ends and what happens to the engine then, the single-copy
// check, and a missing engine component. Each test runs the program against
// its own reference server on the program's port, in a game folder with the
// demo's media files.

#include "driver/uidriver.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ReferenceServer.h"

namespace gsd::e2e {
namespace {

using test::ReferenceServer;
using test::ReferenceServerOptions;
using ::testing::ElementsAre;

constexpr int kIntroduction = 1010, kLocalGroup = 1001, kServerGroup = 1002, kDownloadButton = 1003,
              kDescriptionLabel = 1011, kDescription = 1005, kNewsGroup = 1006, kHelp = 9, kDone = IDOK,
              kServerList = 1007, kLocalList = 1008, kAboutCommand = 16;
constexpr const char* kMainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr const char* kAboutCaption = "About Gravelpit Secure Download";
const std::string kAboutVersionLine = "Gravelpit Secure Download Version 1.0";

// The lines of a Game.dll trace, one call each.
std::vector<std::string> TraceLines(const std::string& trace)
{
    std::vector<std::string> calls;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);)
        calls.push_back(line);
    return calls;
}

std::vector<std::string> ChildTexts(HWND window)
{
    std::vector<std::string> texts;
    for (HWND child : ChildWindows(window))
        texts.push_back(WindowText(child));
    return texts;
}

// The width in pixels of `text` in the dialogs' font ("MS Sans Serif", 8
// points at the display's DPI), made the way the dialog manager makes it.
int DialogTextWidth(const std::string& text)
{
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontA(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif");
    HGDIOBJ previous = SelectObject(screen, font);
    SIZE size {};
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

// Whether a one-line static shows all of `text` on screen: the static is
// wide enough for it (a narrower one wraps the end onto a second line, out
// of sight), and text is drawn where its last `tail` characters go.
bool ShowsWholeLine(HWND label, const std::string& text, std::size_t tail, const std::string& picturePath)
{
    RECT client {};
    GetClientRect(label, &client);
    MapWindowPoints(label, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int width = DialogTextWidth(text);
    if (client.right - client.left < width) {
        ADD_FAILURE() << "the static is " << client.right - client.left << " pixels wide, its text " << width;
        return false;
    }
    RECT end = client;
    end.left = client.left + DialogTextWidth(text.substr(0, text.size() - tail));
    end.right = client.left + width;
    return WaitUntil([&] {
        const std::optional<ScreenPicture> screen
            = Screenshot(picturePath) ? ScreenPicture::Read(picturePath) : std::nullopt;
        if (!screen) {
            return false;
        }
        const std::set<COLORREF> colours = screen->ColoursIn(end);
        return std::any_of(colours.begin(), colours.end(), IsDark);
    });
}

// A window of this test program, to stand for another program in front,
// alive (and answering its messages on a thread of its own) as long as the
// object.
class OtherWindow {
public:
    OtherWindow()
        : thread_([this] { Run(); })
    {
        WaitUntil([&] { return window_.load() != nullptr; });
    }
    ~OtherWindow()
    {
        PostMessageA(window_.load(), WM_CLOSE, 0, 0);
        thread_.join();
    }
    HWND Get() const { return window_.load(); }

private:
    void Run()
    {
        HWND window = CreateWindowExA(0, "STATIC", "Another program", WS_POPUP | WS_VISIBLE, 600, 500, 200, 50, nullptr,
            nullptr, GetModuleHandleA(nullptr), nullptr);
        window_.store(window);
        MSG msg;
        while (IsWindow(window) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_CLOSE) // posted to a static, which would ignore it
                DestroyWindow(window);
            DispatchMessageA(&msg);
        }
    }

    std::atomic<HWND> window_ { nullptr };
    std::thread thread_;
};

class MainDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyDemoMedia(game_);
        ReferenceServerOptions options;
        options.catalogue = { "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9" };
        server_.emplace(options);
        ASSERT_TRUE(server_->Start()) << server_->Error();
    }

    // Starts the program and waits until its dialog shows the server's offer.
    HWND StartAndWaitForDialog(const Environment& env = {})
    {
        run_.emplace(game_, env);
        HWND dialog = WaitForWindow(run_->Pid(), kMainCaption);
        if (dialog && !WaitUntil([&] { return ListRowCount(Control(dialog, kServerList)) == 1; }))
            return nullptr;
        return dialog;
    }

    std::string TraceEnv() const { return game_.PathOf("trace.txt"); }

    std::optional<ReferenceServer> server_;
    GameFolder game_;
    std::optional<ProgramRun> run_;
};

TEST_F(MainDialogTest, ShowsEveryControlOfItsTemplateInItsState)
{
    HWND dialog = StartAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    struct Expected {
        int id;
        const char* cls;
        bool visible;
        LONG_PTR style; // bits that must be set (a border becomes an extended style)
    };
    const Expected controls[] = {
        { kIntroduction, "Static", true, 0 },
        { kLocalGroup, "Button", true, BS_GROUPBOX },
        { kLocalList, "SysListView32", true,
            LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP },
        { kServerGroup, "Button", true, BS_GROUPBOX },
        { kServerList, "SysListView32", true,
            LVS_REPORT | LVS_SORTASCENDING | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP },
        { kDownloadButton, "Button", true, WS_TABSTOP },
        { kDescriptionLabel, "Static", true, 0 },
        { kDescription, "Edit", true, ES_MULTILINE | ES_READONLY | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP },
        { kNewsGroup, "Button", true, BS_GROUPBOX },
        { kHelp, "Button", false, WS_TABSTOP },
        { kDone, "Button", true, BS_DEFPUSHBUTTON | WS_TABSTOP },
    };
    for (const Expected& c : controls) {
        SCOPED_TRACE(c.id);
        HWND control = Control(dialog, c.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassNameOf(control), c.cls);
        EXPECT_EQ(IsVisible(dialog, c.id), c.visible);
        EXPECT_TRUE(IsEnabled(dialog, c.id));
        EXPECT_EQ(GetWindowLongPtrA(control, GWL_STYLE) & c.style, c.style);
    }
    EXPECT_EQ(GetWindowLongPtrA(Control(dialog, kServerList), GWL_STYLE) & LVS_SINGLESEL, 0)
        << "the server list takes several selections";
    EXPECT_EQ(ChildWindows(dialog).size(), std::size(controls)) << "no control beyond the template's";
    EXPECT_FALSE(ControlText(dialog, kDescription).empty()) << "a description is shown from the start";
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(0)));
}

TEST_F(MainDialogTest, ClickedRowShowsItsDescriptionAndAClickOnNoRowEmptiesIt)
{
    HWND dialog = StartAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    HWND serverList = Control(dialog, kServerList);
    HWND localList = Control(dialog, kLocalList);
    const auto shows = [&](const std::string& text) {
        return WaitUntil([&] { return ControlText(dialog, kDescription) == text; });
    };

    ASSERT_TRUE(ClickRow(serverList, 0));
    EXPECT_TRUE(shows("Docks and cranes.")) << ControlText(dialog, kDescription);

    // The local list ends with the game program's own row.
    ASSERT_TRUE(ClickRow(localList, ListRowCount(localList) - 1));
    EXPECT_TRUE(shows("The game program itself.")) << ControlText(dialog, kDescription);

    // Below the server list's only row: the click selects nothing there.
    RECT client {};
    GetClientRect(serverList, &client);
    POINT empty { client.left + 10, client.bottom - 5 };
    ClientToScreen(serverList, &empty);
    BringForwardAt(serverList, empty);
    ClickAt(empty);
    EXPECT_TRUE(WaitUntil([&] { return SelectedRows(serverList).empty(); }));
    EXPECT_TRUE(shows("")) << ControlText(dialog, kDescription);
}

TEST_F(MainDialogTest, SystemMenuCommandsSixteenToThirtyOneOpenTheAboutBox)
{
    HWND dialog = StartAndWaitForDialog();
    ASSERT_NE(dialog, nullptr);
    struct Case {
        WPARAM command;
        bool opens;
    };
    for (const Case c :
        { Case { kAboutCommand, true }, Case { kAboutCommand + 15, true }, Case { kAboutCommand + 16, false } }) {
        SCOPED_TRACE(c.command);
        SendSysCommand(dialog, c.command);
        if (!c.opens) {
            EXPECT_EQ(WaitForWindow(run_->Pid(), kAboutCaption, milliseconds(500)), nullptr);
            continue;
        }
        HWND about = WaitForWindow(run_->Pid(), kAboutCaption);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(GetWindow(about, GW_OWNER), dialog);
        EXPECT_THAT(ChildTexts(about), ::testing::Contains(kAboutVersionLine));
        for (HWND child : ChildWindows(about)) {
            if (WindowText(child) == kAboutVersionLine) {
                EXPECT_TRUE(ShowsWholeLine(child, kAboutVersionLine, 3, game_.PathOf("about.bmp")))
                    << "the version number is not on screen";
            }
        }
        ASSERT_TRUE(Click(about, IDOK));
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
    }
    EXPECT_TRUE(run_->IsRunning()) << "the About box leaves the program running";
}

TEST_F(MainDialogTest, EveryWayOfEndingDestroysTheEngineOnceAtTheEnd)
{
    struct Way {
        const char* name;
        void (*end)(HWND dialog);
    };
    const Way ways[] = {
        { "Done", [](HWND dialog) { ASSERT_TRUE(Click(dialog, kDone)); } },
        { "close box", [](HWND dialog) { SendSysCommand(dialog, SC_CLOSE); } },
        { "WM_CLOSE", [](HWND dialog) { Close(dialog); } },
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        DeleteFileA(TraceEnv().c_str());
        HWND dialog = StartAndWaitForDialog({ { "GAME_DLL_TRACE", TraceEnv() } });
        ASSERT_NE(dialog, nullptr);
        way.end(dialog);
        ASSERT_TRUE(run_->WaitForExit());
        const std::vector<std::string> calls = TraceLines(game_.Read("trace.txt"));
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), "CreateSystem");
        EXPECT_EQ(calls.back(), "DestroySystem");
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "DestroySystem"), 1);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "CreateSystem"), 1);
        run_.reset();
    }
}

TEST_F(MainDialogTest, FailingEngineDestructionIsReportedAndTheProgramStillEnds)
{
    HWND dialog = StartAndWaitForDialog({ { "GAME_DLL_FAIL", "DestroySystem" } });
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(Click(dialog, kDone));
    const auto box = FindMessageBox(run_->Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    EXPECT_EQ(box->text, "Error while deconstructing System");
    EXPECT_THAT(box->ButtonIds(), ElementsAre(IDOK));
    ASSERT_TRUE(Press(*box, IDOK));
    EXPECT_TRUE(run_->WaitForExit());
}

TEST_F(MainDialogTest, SecondStartBringsTheFirstForwardAndEndsUnseen)
{
    HWND first = StartAndWaitForDialog();
    ASSERT_NE(first, nullptr);
    OtherWindow other;
    SetForegroundWindow(other.Get());
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == other.Get(); }));
    const size_t requests = server_->Requests().size();

    ProgramRun second(game_);
    bool shown = false;
    EXPECT_TRUE(WaitUntil([&] {
        shown = shown || !TopLevelWindows(second.Pid()).empty();
        return !second.IsRunning();
    })) << "the second copy kept running";
    EXPECT_FALSE(shown) << "the second copy showed a window";
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first; })) << "the first copy stayed behind";
    EXPECT_EQ(server_->Requests().size(), requests) << "the second copy talked to the server";
    EXPECT_TRUE(run_->IsRunning());
}

// Presses OK on every message box the program shows until it has ended;
// the texts of those boxes, in order.
std::vector<std::string> AcknowledgeBoxesUntilExit(const ProgramRun& run)
{
    std::vector<std::string> texts;
    for (int i = 0; i < 20 && run.IsRunning(); ++i) {
        if (const auto next = FindMessageBox(run.Pid(), milliseconds(2000))) {
            texts.push_back(next->text);
            Press(*next, IDOK);
        }
    }
    return texts;
}

TEST_F(MainDialogTest, MissingEngineIsReportedAndTheDialogCloses)
{
    DeleteFileA(game_.PathOf("Game.dll").c_str());
    run_.emplace(game_);
    const auto box = FindMessageBox(run_->Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    EXPECT_EQ(box->text, "Error while constructing System");
    EXPECT_THAT(box->ButtonIds(), ElementsAre(IDOK));
    ASSERT_TRUE(Press(*box, IDOK));
    // Without the engine no reader can be made either, which each reading
    // pass reports; the server steps still run, and the posted close ends
    // the dialog after them.
    const std::vector<std::string> texts = AcknowledgeBoxesUntilExit(*run_);
    EXPECT_TRUE(run_->WaitForExit());
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Error while Loading Media Resource");
    EXPECT_FALSE(server_->Requests().empty()) << "the server steps were skipped";
}

// Started from a command prompt elsewhere, or a shortcut without a working
// folder: the program works in its own folder, which holds the engine, and
// leaves nothing in the folder it was started from.
TEST_F(MainDialogTest, StartedFromAnotherFolderWorksInItsOwnAndSaysSo)
{
    const GameFolder elsewhere(GameFolder::Contents::Empty, "elsewhere");
    run_.emplace(game_.PathOf("SecureDownload.exe"), elsewhere.Path());
    HWND dialog = WaitForWindow(run_->Pid(), kMainCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ListRowCount(Control(dialog, kServerList)) == 1; }));
    EXPECT_GE(ListRowCount(Control(dialog, kLocalList)), 3) << "the game folder's packs are listed";
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(0)));
    ASSERT_TRUE(Click(dialog, kDone));
    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0));
    EXPECT_FALSE(elsewhere.Exists("Options.zss"));
    EXPECT_FALSE(elsewhere.Exists("Temp\\SecureDownload.log"));
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, ::testing::HasSubstr("-bit) in " + game_.Path() + "\r\n"));
    EXPECT_THAT(log,
        ::testing::HasSubstr(
            "working folder " + elsewhere.Path() + " holds no Game.dll: working in the program's own folder\r\n"));
}

// An exception that nothing handles (here one the engine raises while it is
// made) is never a silent end: the player is told, the support log has a
// line with the exception's code and address, and the process ends.
TEST_F(MainDialogTest, AnExceptionNothingHandlesIsToldAndLogged)
{
    run_.emplace(game_, Environment { { "GAME_DLL_CRASH", "CreateSystem" } });
    const auto box = FindMessageBox(run_->Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    EXPECT_THAT(box->text,
        ::testing::StartsWith(
            "Gravelpit Secure Download has to end because of an unexpected error (exception 0xC0000005 at 0x"));
    ASSERT_TRUE(Press(*box, IDOK));
    EXPECT_TRUE(run_->WaitForExit());
    EXPECT_THAT(game_.Read("Temp\\SecureDownload.log"),
        ::testing::HasSubstr("ended unexpectedly: exception 0xC0000005 at 0x"));
}

// The game ships one Game.dll, of one bitness; this program built for the
// other cannot load it, and says which build the user needs.
TEST_F(MainDialogTest, EngineOfTheOtherBitnessIsNamedBeforeTheUsualError)
{
    const std::string otherEngine = test::WindowsPath(GSD_OTHER_BITNESS_BIN_DIR "/Game.dll");
    if (GetFileAttributesA(otherEngine.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "the other bitness's build is not there: " << otherEngine;
    game_.CopyIn(otherEngine, "Game.dll");
    run_.emplace(game_);

    const auto box = FindMessageBox(run_->Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    if (sizeof(void*) == 8) {
        EXPECT_EQ(box->text,
            "The game's engine component Game.dll is 32-bit, but this program is the 64-bit build of Gravelpit "
            "Secure Download, which cannot load it.\r\n\r\nUse the 32-bit build of Gravelpit Secure Download with "
            "this game.");
    } else {
        EXPECT_EQ(box->text,
            "The game's engine component Game.dll is 64-bit, but this program is the 32-bit build of Gravelpit "
            "Secure Download, which cannot load it.\r\n\r\nUse the 64-bit build of Gravelpit Secure Download with "
            "this game.");
    }
    EXPECT_THAT(box->ButtonIds(), ElementsAre(IDOK));
    ASSERT_TRUE(Press(*box, IDOK));

    const auto usual = FindMessageBox(run_->Pid());
    ASSERT_TRUE(usual);
    EXPECT_EQ(usual->caption, "Error!");
    EXPECT_EQ(usual->text, "Error while constructing System");
    ASSERT_TRUE(Press(*usual, IDOK));
    AcknowledgeBoxesUntilExit(*run_);
    EXPECT_TRUE(run_->WaitForExit());
}

} // namespace
} // namespace gsd::e2e
