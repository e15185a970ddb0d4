// Tests of the driver itself, against driver_fixture.exe (a dialog with the
// kinds of controls the program has). They run without the program.

#include "driver/uidriver.h"

#include <commctrl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace gsd::e2e {
namespace {

using ::testing::ElementsAre;
using Rows = std::vector<std::vector<std::string>>;

// Control ids of driver_fixture.exe.
constexpr int kShowBox = 1003, kHidden = 1004, kEvents = 1005, kDisabled = 1006, kMultiList = 1007, kSingleList = 1008,
              kFolder = 1009, kGreeting = 1010, kBusy = 1012, kAboutCommand = 16;

// A running fixture in a game folder of its own, its dialog found.
class DriverTest : public ::testing::Test {
protected:
    explicit DriverTest(const Environment& env = {})
        : folder_(GameFolder::Contents::Empty)
        , run_((folder_.CopyFromBin("driver_fixture.exe"), folder_.PathOf("driver_fixture.exe")), folder_.Path(), env)
        , dialog_(WaitForWindow(run_.Pid(), "Driver Fixture"))
    {
    }

    void SetUp() override { ASSERT_NE(dialog_, nullptr) << "the fixture's dialog did not appear"; }

    // Waits until the fixture has logged event as its latest one.
    bool WaitForEvent(const std::string& event)
    {
        return WaitUntil([&] {
            const std::string all = ControlText(dialog_, kEvents);
            return all.size() >= event.size() && all.ends_with(event);
        });
    }

    HWND List(int id) const { return Control(dialog_, id); }

    GameFolder folder_;
    ProgramRun run_;
    HWND dialog_;
};

TEST(GameFolderTest, HoldsWrittenFilesAndVanishesWithEverythingInIt)
{
    std::string path;
    {
        GameFolder folder(GameFolder::Contents::Empty);
        path = folder.Path();
        EXPECT_TRUE(folder.Exists("Media"));
        EXPECT_TRUE(folder.Exists("Temp"));
        const std::string bytes("\x01\x00\xFFOptions\r\n", 11);
        folder.Write("Options.zss", bytes);
        EXPECT_EQ(folder.Read("Options.zss"), bytes);
        folder.CopyIn(folder.PathOf("Options.zss"), "Media\\Copy.mdc");
        EXPECT_EQ(folder.Read("Media\\Copy.mdc"), bytes);
        SetFileAttributesA(folder.PathOf("Media\\Copy.mdc").c_str(), FILE_ATTRIBUTE_READONLY);
        GameFolder other(GameFolder::Contents::Empty);
        EXPECT_NE(other.Path(), path);
    }
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(GameFolderTest, MissingProgramFailsLoudly)
{
    // No test program is called this, so the copy must fail.
    GameFolder folder(GameFolder::Contents::Empty);
    EXPECT_THROW(folder.CopyFromBin("NoSuchProgram.exe"), std::runtime_error);
}

TEST(WindowSearchTest, GivesUpAfterTheTimeout)
{
    EXPECT_EQ(WaitForWindow(GetCurrentProcessId(), "No Such Window", milliseconds(50)), nullptr);
    EXPECT_FALSE(FindMessageBox(GetCurrentProcessId(), milliseconds(50)));
}

class DriverEnvironmentTest : public DriverTest {
protected:
    DriverEnvironmentTest()
        : DriverTest({ { "FIXTURE_GREETING", "hello there" }, { "FIXTURE_EXIT_CODE", "42" } })
    {
    }
};

TEST_F(DriverEnvironmentTest, ProgramGetsFolderAndEnvironmentAndReportsItsExitCode)
{
    EXPECT_EQ(ControlText(dialog_, kFolder), folder_.Path());
    EXPECT_EQ(ControlText(dialog_, kGreeting), "hello there");
    EXPECT_FALSE(run_.WaitForExit(milliseconds(0)));
    ASSERT_TRUE(Click(dialog_, IDOK));
    EXPECT_EQ(run_.WaitForExit(), 42u);
}

TEST(ProgramRunTest, KillsAProgramStillRunningAtTheEnd)
{
    GameFolder folder(GameFolder::Contents::Empty);
    folder.CopyFromBin("driver_fixture.exe");
    unique_handle process;
    {
        ProgramRun run(folder.PathOf("driver_fixture.exe"), folder.Path());
        ASSERT_NE(WaitForWindow(run.Pid(), "Driver Fixture"), nullptr);
        HANDLE copy = nullptr;
        DuplicateHandle(GetCurrentProcess(), run.Process(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
        process.reset(copy);
    }
    EXPECT_EQ(WaitForSingleObject(process.get(), 0), WAIT_OBJECT_0);
}

TEST_F(DriverTest, ControlStatesDecideWhetherAClickIsMade)
{
    struct Case {
        int id;
        bool visible, enabled, clickable;
    };
    for (const Case& c : { Case { kShowBox, true, true, true }, Case { kHidden, false, true, false },
             Case { kDisabled, true, false, false }, Case { 4242, false, false, false } }) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(IsVisible(dialog_, c.id), c.visible);
        EXPECT_EQ(IsEnabled(dialog_, c.id), c.enabled);
        if (c.id != kShowBox) {
            EXPECT_EQ(Click(dialog_, c.id), c.clickable);
        }
    }
    EXPECT_EQ(ControlText(dialog_, 4242), "");
    EXPECT_FALSE(FindMessageBox(run_.Pid(), milliseconds(200))) << "a refused click must do nothing";
}

TEST_F(DriverTest, MessageBoxIsReadAndEachButtonAnswersIt)
{
    EXPECT_FALSE(IsMessageBox(dialog_)) << "a dialog with its own buttons is no message box";
    for (int button : { IDYES, IDNO, IDCANCEL }) {
        SCOPED_TRACE(button);
        ASSERT_TRUE(Click(dialog_, kShowBox));
        const auto box = FindMessageBox(run_.Pid());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "Fixture Box");
        EXPECT_EQ(box->text, "Text of the box");
        EXPECT_THAT(box->ButtonIds(), ElementsAre(IDYES, IDNO, IDCANCEL));
        EXPECT_EQ(box->DefaultButton(), IDNO);
        EXPECT_EQ(box->Button(IDYES)->text, "&Yes");
        ASSERT_TRUE(Press(*box, button));
        EXPECT_TRUE(WaitForEvent("box:" + std::to_string(button)));
    }
}

TEST_F(DriverTest, SystemMenuCommandOpensTheAboutBox)
{
    SendSysCommand(dialog_, kAboutCommand);
    const auto box = FindMessageBox(run_.Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "About Fixture");
    EXPECT_EQ(box->text, "Fixture for the driver");
    EXPECT_THAT(box->ButtonIds(), ElementsAre(IDOK));
    EXPECT_FALSE(Press(*box, IDCANCEL)) << "no such button";
    ASSERT_TRUE(Press(*box, IDOK));
    EXPECT_TRUE(WaitForEvent("about"));
}

TEST_F(DriverTest, HiddenWindowsAreFoundOnlyWhenAskedFor)
{
    const auto is_status = [](HWND window) { return Caption(window) == "Fixture Status"; };
    EXPECT_EQ(WaitForWindow(run_.Pid(), is_status, milliseconds(0)), nullptr);
    HWND status = WaitForWindow(run_.Pid(), is_status, milliseconds(0), Visibility::kShownOrHidden);
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(GetWindow(status, GW_OWNER), dialog_);
    EXPECT_EQ(ChildWindows(dialog_).size(), 11u) << "the lists' headers are grandchildren";
}

TEST_F(DriverTest, CloseEndsTheDialog)
{
    Close(dialog_);
    EXPECT_EQ(run_.WaitForExit(), 0u);
}

TEST_F(DriverTest, ListsAreReadWithHeadingsAndAllCells)
{
    HWND single = List(kSingleList);
    EXPECT_EQ(ListColumnCount(single), 2);
    EXPECT_THAT(ListHeadings(single), ElementsAre("Item", "Version"));
    EXPECT_EQ(ListRows(single), (Rows { { "Program", "1.0" }, { "Language", "English" }, { "", "" } }));

    HWND multi = List(kMultiList);
    EXPECT_THAT(ListHeadings(multi), ElementsAre("File", "Size", "Kind"));
    const Rows rows = ListRows(multi);
    ASSERT_EQ(rows.size(), 12u);
    EXPECT_EQ(rows[11], (std::vector<std::string> { "Lima.mdc", "1024", "Pack" }));
    EXPECT_EQ(ListCell(multi, 2, 0), "Charlie.mdc");
    EXPECT_TRUE(SelectedRows(multi).empty());
}

TEST_F(DriverTest, RowClicksSelectLikeAUserAndNotifyTheDialog)
{
    struct Step {
        int list, row;
        bool ctrl;
        std::vector<int> selected;
    };
    const Step steps[] = {
        { kMultiList, 1, false, { 1 } },
        { kMultiList, 3, true, { 1, 3 } },
        { kMultiList, 3, true, { 1 } }, // the same spot again: a second click, not a double click
        { kMultiList, 11, true, { 1, 11 } }, // scrolled into view first
        { kMultiList, 0, false, { 0 } },
        { kSingleList, 1, false, { 1 } },
        { kSingleList, 0, false, { 0 } },
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(step.list) + " row " + std::to_string(step.row));
        ASSERT_TRUE(ClickRow(List(step.list), step.row, step.ctrl));
        EXPECT_EQ(SelectedRows(List(step.list)), step.selected);
        EXPECT_TRUE(WaitForEvent("click:" + std::to_string(step.list) + ":" + std::to_string(step.row)));
    }
    EXPECT_FALSE(ClickRow(List(kSingleList), 3, false, milliseconds(100))) << "no such row";
}

TEST_F(DriverTest, BusyProgramFailsTheTestInsteadOfHangingIt)
{
    ASSERT_TRUE(Click(dialog_, kBusy));
    const auto answers = [&] {
        try {
            SendAndWait(List(kMultiList), LVM_GETITEMCOUNT, 0, 0, milliseconds(100));
            return true;
        } catch (const std::runtime_error&) {
            return false;
        }
    };
    ASSERT_TRUE(WaitUntil([&] { return !answers(); })) << "the fixture never got busy";
    // Statics stay readable, as a status line must be while the program waits:
    // the text comes while the fixture is still busy, not after it.
    EXPECT_EQ(ControlText(dialog_, kFolder), folder_.Path());
    EXPECT_FALSE(answers()) << "the text was read only once the fixture was free again";
    EXPECT_TRUE(WaitUntil(answers)) << "the fixture never recovered";
}

TEST_F(DriverTest, ScreenshotsAreWholeImageFiles)
{
    ASSERT_TRUE(Screenshot(folder_.PathOf("screen.bmp")));
    const std::string bmp = folder_.Read("screen.bmp");
    ASSERT_GT(bmp.size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    const auto* info = reinterpret_cast<const BITMAPINFOHEADER*>(bmp.data() + sizeof(BITMAPFILEHEADER));
    EXPECT_EQ(info->biWidth, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(info->biHeight, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(bmp.size(), sizeof(BITMAPFILEHEADER) + info->biSize + info->biSizeImage);

    ASSERT_TRUE(Screenshot(folder_.PathOf("screen.png")));
    EXPECT_EQ(folder_.Read("screen.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

} // namespace
} // namespace gsd::e2e
