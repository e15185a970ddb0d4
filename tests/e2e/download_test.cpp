// The download button end to end: the real program under Wine against the
// reference server, with the demo's media, the stand-in game and the demo
// installers. What only the whole program shows is tested here: the files
// that end up in the game folder, the requests on the wire, installers run
// and awaited, the game closed and started, the program's own upgrade, and
// transfers that go wrong on the wire. The driver's decisions are tested
// with fakes in tests/core/download.

#include "driver/uidriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Handles.h"
#include "WireExpectations.h"
#include "tests/support/ReferenceServer.h"


namespace gsd::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using test::RecordedRequest;
using test::ReferenceServer;
using test::ReferenceServerOptions;

constexpr int kDownloadButton = 1003, kDescription = 1005, kServerList = 1007, kLocalList = 1008;
constexpr int kStatusLine = 1008, kDetailLines = 1009, kProgressBar = 1013;
constexpr const char* kMainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr const char* kStatusCaption = "Gravelpit Download Program Startup Status";
constexpr const char* kRecordsKey = "Software\\Quil Studios\\Rubbleton Gravelpit";
constexpr const char* kRecordPrefix = "Secure Download Item ";

// The demo's English on-download texts.
const std::string kConfirm = "Download and install the selected items now?";
const std::string kUpgradeFirst = "An upgrade of the program is available.  Download and install it first?";
const std::string kUpgradeDeclined = "The selected items need the upgrade of the program, so nothing is downloaded.";
const std::string kItemFailed = "This item could not be downloaded or installed.  It is skipped; the other items go on.";
const std::string kAllProcessed = "All selected items have been processed.";
const std::string kSomeFailed = "Some items could not be downloaded.  Please try them again later.";
const std::string kStartGame = "Start Rubbleton: Gravelpit now?";
const std::string kInstalling = "Download complete.  Installing...";


std::string ReadBinFile(const std::string& relativeToBin)
{
    std::string bytes;
    if (!test::reference_server_detail::ReadWholeFile(BinFolder() + relativeToBin, bytes)) {
        throw std::runtime_error("cannot read " + relativeToBin);
    }
    return bytes;
}

// The records in the machine's store: the data of every value whose name
// holds the prefix, by name.
class RecordsKey {
public:
    RecordsKey()
    {
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRecordsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
    }

    // The download records, and the records of the media files installed:
    // every test starts as on a machine where the program installed nothing.
    void ClearRecords()
    {
        for (const auto& [name, data] : Values()) {
            if (name.find(kRecordPrefix) != std::string::npos) {
                ::RegDeleteValueA(key_.get(), name.c_str());
            }
        }
        ::RegDeleteTreeA(key_.get(), "Installed Media Files");
    }

    std::vector<std::string> Records()
    {
        std::vector<std::string> records;
        for (const auto& [name, data] : Values()) {
            if (name.find(kRecordPrefix) != std::string::npos) {
                records.push_back(data);
            }
        }
        return records;
    }

private:
    std::vector<std::pair<std::string, std::string>> Values()
    {
        std::vector<std::pair<std::string, std::string>> values;
        for (DWORD index = 0;; ++index) {
            char name[260] = {};
            char data[260] = {};
            DWORD nameSize = sizeof name;
            DWORD dataSize = sizeof data;
            if (::RegEnumValueA(key_.get(), index, name, &nameSize, nullptr, nullptr,
                    reinterpret_cast<BYTE*>(data), &dataSize) != ERROR_SUCCESS) {
                return values;
            }
            values.emplace_back(name, data);
        }
    }

    unique_hkey key_;
};

std::vector<RecordedRequest> FileRequests(const std::vector<RecordedRequest>& requests)
{
    std::vector<RecordedRequest> files;
    for (const RecordedRequest& request : requests) {
        if (request.kind == "file") {
            files.push_back(request);
        }
    }
    return files;
}

// When a file was last written, as a comparable count.
std::uint64_t LastWritten(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA attributes {};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(attributes.ftLastWriteTime.dwHighDateTime) << 32)
        | attributes.ftLastWriteTime.dwLowDateTime;
}

// The row of the server list whose file name (column 5) is `fileName`.
int ServerRow(HWND list, const std::string& fileName)
{
    for (int row = 0; row < ListRowCount(list); ++row) {
        if (ListCell(list, row, 5) == fileName) {
            return row;
        }
    }
    return -1;
}

// Catalogue lines the tests offer against the demo installation.
const std::string kNewPack = "3|Bench Pack 7|Bench7|Quil Studios|A pack for the tests.|New|1|0|0|9";
const std::string kLanguageUpdate = "2|Language|Language|Quil Studios|Italiano added.|Update|1|3|0|43";
const std::string kGameInstaller = "1|Rubbleton: Gravelpit|GameSetup|Quil Studios|The game, newer.|Update|1|1|0|11";
const std::string kClientUpgrade = "4|Secure Download|ClientUpgrade|Quil Studios|This program, newer.|Update|1|0|4|11";

class DownloadTest : public ::testing::Test {
protected:
    // `folderName` (UTF-8) goes into the game folder's name.
    explicit DownloadTest(std::string_view folderName = {}, std::size_t folderLength = 0)
        : game_(GameFolder::Contents::ProgramAndEngine, folderName, folderLength)
    {
    }

    void SetUp() override
    {
        CopyDemoMedia(game_);
        records_.ClearRecords();
    }
    void TearDown() override { records_.ClearRecords(); }

    void Start(ReferenceServerOptions options, const Environment& environment = {})
    {
        server_.emplace(std::move(options));
        ASSERT_TRUE(server_->Start()) << server_->Error();
        run_.emplace(game_, environment);
        dialog_ = WaitForWindow(run_->Pid(), kMainCaption);
        ASSERT_NE(dialog_, nullptr);
        list_ = Control(dialog_, kServerList);
        ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list_) > 0 && IsEnabled(dialog_, kDownloadButton); }));
    }

    // Selects the rows of these file names, as a user would with Ctrl.
    void Select(const std::vector<std::string>& fileNames)
    {
        bool first = true;
        for (const std::string& name : fileNames) {
            const int row = ServerRow(list_, name);
            ASSERT_GE(row, 0) << name << " is not offered";
            ASSERT_TRUE(ClickRow(list_, row, !first)) << name;
            first = false;
        }
    }

    // Answers the next message box after checking what it says.
    void Answer(const std::string& caption, const std::string& text, int button)
    {
        const auto box = FindMessageBox(run_->Pid(), milliseconds(60000));
        ASSERT_TRUE(box) << "no message box \"" << text << "\"";
        EXPECT_EQ(box->caption, caption);
        EXPECT_EQ(box->text, text);
        ASSERT_TRUE(Press(*box, button));
    }

    // Answers the next box with OK, whatever it says; returns what it said.
    std::string AcknowledgeNext()
    {
        const auto box = FindMessageBox(run_->Pid(), milliseconds(60000));
        if (!box) {
            ADD_FAILURE() << "no message box";
            return {};
        }
        Press(*box, IDOK);
        return box->caption + ": " + box->text;
    }

    // Offers the game installer `installer` and a new pack, selects both and
    // starts a pass; returns the pack's bytes.
    std::string PressForInstallerAndPack(const std::string& installer, const Environment& environment = {})
    {
        std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
        ReferenceServerOptions options;
        options.catalogue = { kGameInstaller, kNewPack };
        options.files = { { "GameSetup.exe", installer }, { "Bench7.mdc", pack } };
        Start(options, environment);
        Select({ "GameSetup", "Bench7" });
        PressDownloadAndConfirm();
        return pack;
    }

    // The item's status dialog once its file has arrived whole.
    HWND StatusWhileInstalling()
    {
        HWND status = WaitForWindow(run_->Pid(), kStatusCaption);
        EXPECT_NE(status, nullptr);
        EXPECT_TRUE(status != nullptr && WaitUntil([&] { return ControlText(status, kStatusLine) == kInstalling; }));
        return status;
    }

    // The end of a pass whose game installer failed before it was started
    // and whose pack `pack` after it was installed.
    void ExpectInstallerFailedAndPackInstalled(const std::string& pack)
    {
    Answer("Notice", kItemFailed, IDOK);
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kSomeFailed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    EXPECT_FALSE(game_.Exists("Installers.log")) << "the installer ran";
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
    }

    void PressDownloadAndConfirm()
    {
        ASSERT_TRUE(Click(dialog_, kDownloadButton));
        Answer("Notice", kConfirm, IDYES);
    }

    GameFolder game_;
    RecordsKey records_;
    std::optional<ReferenceServer> server_;
    std::optional<ProgramRun> run_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
};


TEST_F(DownloadTest, SelectedItemsArriveInListOrderAndReplaceWhatIsThere)
{
    const std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
    const std::string language = ReadBinFile("..\\demo-served\\Language.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kNewPack, kLanguageUpdate };
    options.files = { { "Bench7.mdc", pack }, { "Language.mdc", language } };
    // A finished upgrade's installer, no longer running: gone at the start.
    game_.Write("Temp\\Download.exe", "MZ left by an upgrade");
    Start(options);
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    // The control sorts by kind name: Language before Object Pack.
    Select({ "Language", "Bench7" });
    PressDownloadAndConfirm();
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDNO);

    // The language file in use was replaced in one step; the new pack is in.
    EXPECT_EQ(game_.Read("Media\\Language.mdc"), language);
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
    EXPECT_TRUE(records_.Records().empty());
    // Both rows are gone: the placeholder row, the button disabled, and no
    // summary of failures.
    EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(dialog_, kDownloadButton); }));
    EXPECT_EQ(ListRowCount(list_), 1);
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(500)));
    // The local list was rebuilt: the new pack shows, and the rows stand
    // as at a start, the language file's and the game's at the bottom.
    const auto localRows = ListRows(Control(dialog_, kLocalList));
    bool packListed = false;
    for (const auto& row : localRows) {
        packListed = packListed || row.at(1) == "Bench Pack 7";
    }
    EXPECT_TRUE(packListed);
    ASSERT_GE(localRows.size(), 2u);
    EXPECT_EQ(localRows[localRows.size() - 2].at(5), "Language");
    EXPECT_EQ(localRows.back().at(5), "Rubbleton Gravelpit");

    // The file requests, in list order, with the item's fields.
    const std::vector<RecordedRequest> files = FileRequests(server_->Requests());
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].body,
        "ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=" + FormEncoded(kBaseFields + "|1|3|0|43|Language|2"));
    EXPECT_EQ(files[1].body,
        "ACTION_REQUEST=RETURN+FILE&ACTION_MESSAGE=" + FormEncoded(kBaseFields + "|1|0|0|9|Bench Pack 7|3"));
    for (const RecordedRequest& request : files) {
        EXPECT_EQ(request.Header("Content-Type"), "application/x-www-form-urlencoded");
    }
    EXPECT_TRUE(run_->IsRunning()) << "No to starting the game keeps the program open";
}

// The support log of a whole run, a pass with one failure and one success,
// in the order things happened, and nothing of a request's body.
TEST_F(DownloadTest, SupportLogTellsTheWholeRun)
{
    const std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kNewPack, kLanguageUpdate };
    options.files = { { "Bench7.mdc", pack } };
    options.faults = { "file:reply=12,times=1" };
    Start(options);
    Select({ "Language", "Bench7" });
    PressDownloadAndConfirm();
    Answer("Error Number 12", "Get File To Return Failed.", IDOK);
    Answer("Notice", kItemFailed, IDOK);
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kSomeFailed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    ::PostMessageA(dialog_, WM_CLOSE, 0, 0);
    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0));

    const std::string log = game_.Read("Temp\\SecureDownload.log");
    std::vector<std::string> events;
    for (std::size_t start = 0, end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
        // "YYYY-MM-DD HH:MM:SS.mmm " before each event.
        ASSERT_GT(end - start, 24u) << log;
        events.push_back(log.substr(start + 24, end - start - 24));
    }
    const std::string bits = sizeof(void*) == 8 ? "64" : "32";
    const std::string packBytes = std::to_string(pack.size());
    EXPECT_THAT(events,
        ::testing::ElementsAre(::testing::StartsWith("start Gravelpit Secure Download 1.0 (" + bits + "-bit) in "),
            ::testing::StartsWith("exchange check: completed, HTTP 200, 1 bytes, "),
            ::testing::StartsWith("exchange AUTHENTICATE+HOST: completed, HTTP 200, 100 bytes, "),
            "quick look of the installed media files: 0 checked",
            ::testing::StartsWith("exchange RETURN+DOWNLOAD+LIST: completed, HTTP 200, "),
            "message Notice: " + kConfirm + " [Yes]",
            "game: not running",
            ::testing::StartsWith("exchange RETURN+FILE Language: completed, HTTP 200, 2 bytes, "),
            "message Error Number 12: Get File To Return Failed. [OK]",
            "item Language (language file): not received, 2 bytes",
            "message Notice: " + kItemFailed + " [OK]",
            ::testing::StartsWith("exchange RETURN+FILE Bench7: completed, HTTP 200, " + packBytes + " bytes, "),
            "item Bench7 (object pack): installed, " + packBytes + " bytes",
            "message Notice: " + kAllProcessed + " [OK]",
            "message Notice: " + kSomeFailed + " [OK]",
            "message Notice: " + kStartGame + " [No]",
            "end: closed by the player"));
    EXPECT_THAT(log, ::testing::Not(HasSubstr("ACTION_"))) << "no request body is logged";
}

TEST_F(DownloadTest, GameIsClosedFirstInstallerIsAwaitedAndGameStartsAtTheEnd)
{
    game_.CopyFromBin("Rubbleton Gravelpit.exe");
    ProgramRun gameRun(game_.PathOf("Rubbleton Gravelpit.exe"), game_.Path());
    HWND gameWindow = WaitForWindow(gameRun.Pid(), [](HWND w) { return ClassNameOf(w) == "Rubbleton: Gravelpit"; });
    ASSERT_NE(gameWindow, nullptr);
    // Out of the way of the clicks on the program's list.
    ::SetWindowPos(gameWindow, HWND_BOTTOM, 700, 500, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    const std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kGameInstaller, kNewPack };
    options.files = { { "GameSetup.exe", ReadBinFile("GameInstaller.exe") }, { "Bench7.mdc", pack } };
    Start(options, { { "GSD_INSTALLER_SECONDS", "2" } });
    Select({ "GameSetup", "Bench7" });
    PressDownloadAndConfirm();
    EXPECT_TRUE(gameRun.WaitForExit()) << "the running game was asked to close";
    Answer("Notice", kAllProcessed, IDOK);
    // The installer ran to its end (2 s) before the next item was fetched.
    EXPECT_THAT(game_.Read("Installers.log"), HasSubstr("game installer ran"));
    EXPECT_GE(LastWritten(game_.PathOf("Media\\Bench7.mdc")), LastWritten(game_.PathOf("Installers.log")));
    EXPECT_EQ(game_.Read("Media\\Version.mdc"), ReadBinFile("demo-payloads\\Version110.mdc"));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    Answer("Notice", kStartGame, IDYES);
    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0));
    EXPECT_TRUE(WaitUntil([&] {
        const std::string log = game_.Read("StandInGame.log");
        return log.find("started", log.find("close requested")) != std::string::npos;
    })) << "the game started again from the game folder";
    // Started by the desktop's shell, so with the rights of the player who is
    // logged on; the log tells both ends of the game's part.
    EXPECT_THAT(game_.Read("StandInGame.log"), HasSubstr("close requested\r\nstarted by explorer.exe\r\n"));
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, HasSubstr("game: asked to close, it handled the request\r\n"));
    EXPECT_THAT(log, HasSubstr("installer GameSetup ended, exit code 0\r\n"));
    EXPECT_THAT(log, HasSubstr("game started through the desktop's shell, as the logged-on player\r\n"));
    const auto isGame = [](HWND window) { return ClassNameOf(window) == "Rubbleton: Gravelpit"; };
    if (HWND restartedGame = WaitForWindow(kAnyProcess, isGame)) {
        ::PostMessageA(restartedGame, WM_CLOSE, 0, 0);
    }
}

// Game folders whose names the ANSI code page (1252 here) cannot spell, and
// one whose files' paths pass the classic 260-character limit: the whole
// road of a download works in each of them.
struct FolderCase {
    const char* label;
    std::string name;
    std::size_t length = 0;
};

void PrintTo(const FolderCase& c, std::ostream* out)
{
    *out << c.label;
}

class GameFolderNameTest : public DownloadTest, public ::testing::WithParamInterface<FolderCase> {
protected:
    GameFolderNameTest()
        : DownloadTest(GetParam().name, GetParam().length)
    {
    }
};

TEST_P(GameFolderNameTest, StartsListsFetchesInstallsLogsAndStartsTheGame)
{
    game_.CopyFromBin("Rubbleton Gravelpit.exe");
    const std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
    // A long file name: in the last folder its path passes the limit too.
    const std::string packName = "BenchPack7WithALongerFileName";
    ReferenceServerOptions options;
    options.catalogue = { kGameInstaller, "3|Bench Pack 7|" + packName + "|Quil Studios|A pack.|New|1|0|0|9" };
    options.files = { { "GameSetup.exe", ReadBinFile("GameInstaller.exe") }, { packName + ".mdc", pack } };
    Start(options, { { "GSD_INSTALLER_SECONDS", "0" } });
    EXPECT_GE(ListRowCount(Control(dialog_, kLocalList)), 3) << "the installed packs are listed";
    Select({ "GameSetup", packName });
    PressDownloadAndConfirm();
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDYES);
    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0));

    EXPECT_EQ(game_.Read("Media\\" + packName + ".mdc"), pack);
    EXPECT_EQ(game_.Read("Media\\Version.mdc"), ReadBinFile("demo-payloads\\Version110.mdc"));
    EXPECT_THAT(game_.Read("Installers.log"), HasSubstr("game installer ran"));
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, HasSubstr("-bit) in " + game_.Path() + "\r\n")) << "the first line names the folder as on disk";
    EXPECT_THAT(log, HasSubstr("item " + packName + " (object pack): installed"));
    EXPECT_THAT(log, HasSubstr("item GameSetup (game installer): installed"));
    EXPECT_THAT(log, HasSubstr("end: the game started"));
    EXPECT_TRUE(WaitUntil([&] { return game_.Exists("StandInGame.log"); })) << "the game started in its folder";
    const auto isGame = [](HWND window) { return ClassNameOf(window) == "Rubbleton: Gravelpit"; };
    if (HWND startedGame = WaitForWindow(kAnyProcess, isGame)) {
        ::PostMessageA(startedGame, WM_CLOSE, 0, 0);
    }
}

const std::string kCyrillicFolder = "\xD0\x98\xD0\xB3\xD1\x80\xD1\x8B\\\xD0\x93\xD1\x80\xD0\xB0\xD0\xB2\xD0\xB8\xD0\xB9";

INSTANTIATE_TEST_SUITE_P(Folders, GameFolderNameTest,
    ::testing::Values(FolderCase { "Cyrillic", kCyrillicFolder },
        FolderCase { "Korean", "\xEA\xB2\x8C\xEC\x9E\x84\\\xEA\xB7\xB8\xEB\x9E\x98\xEB\xB8\x94\xED\x95\x8F" },
        FolderCase { "Emoji", "Games \xF0\x9F\xAA\xA8 Gravelpit" },
        // The programs' paths and the log's fit the limit (no program past
        // it can be started); the new pack's path passes it.
        FolderCase { "PastTheLimit", std::string(100, 'g') + "\\p", 235 }),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return std::string(info.param.label); });

class CyrillicFolderTest : public DownloadTest {
protected:
    CyrillicFolderTest()
        : DownloadTest(kCyrillicFolder)
    {
    }
};

// The code page here (1252) cannot spell the folder's name: a file error's
// box and its log line still name the file as it is named on disk.
TEST_F(CyrillicFolderTest, AFileErrorNamesItsPathAsOnDisk)
{
    // A folder in the transfer file's place: the file cannot be made.
    ASSERT_TRUE(::CreateDirectoryW(SystemPath(game_.PathOf("Temp\\Download.tmp")).c_str(), nullptr));
    ReferenceServerOptions options;
    options.catalogue = { kLanguageUpdate };
    options.files = { { "Language.mdc", ReadBinFile("..\\demo-served\\Language.mdc") } };
    Start(options);
    Select({ "Language" });
    PressDownloadAndConfirm();
    const auto box = FindMessageBox(run_->Pid(), milliseconds(60000));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    const std::wstring path = Widened(game_.PathOf("Temp\\Download.tmp"));
    ASSERT_GT(box->wide_text.size(), path.size());
    EXPECT_EQ(box->wide_text.substr(box->wide_text.size() - path.size() - 2), L"\r\n" + path);
    ASSERT_TRUE(Press(*box, IDOK));
    Answer("Notice", kItemFailed, IDOK);
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kSomeFailed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, HasSubstr("\\x0D\\x0A" + game_.PathOf("Temp\\Download.tmp") + " [OK]\r\n"));
}

TEST_F(DownloadTest, DeclinedUpgradeKeepsTheRecordsAndTheNextStartSelectsThemAgain)
{
    ReferenceServerOptions options;
    options.catalogue = { kNewPack, kClientUpgrade };
    options.files = { { "Bench7.mdc", ReadBinFile("..\\bench-media\\BenchPack7.mdc") } };
    Start(options);
    Select({ "Bench7" });
    PressDownloadAndConfirm();
    Answer("Notice", kUpgradeFirst, IDNO);
    Answer("Notice", kUpgradeDeclined, IDOK);
    EXPECT_THAT(records_.Records(), ElementsAre("Bench7"));
    EXPECT_TRUE(FileRequests(server_->Requests()).empty());
    run_->Kill();

    run_.emplace(game_);
    dialog_ = WaitForWindow(run_->Pid(), kMainCaption);
    ASSERT_NE(dialog_, nullptr);
    list_ = Control(dialog_, kServerList);
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list_) == 2; }));
    EXPECT_EQ(SelectedRows(list_), std::vector<int> { ServerRow(list_, "Bench7") });
}

TEST_F(DownloadTest, AcceptedUpgradeEndsTheProgramAndTheNewBuildReselectsTheRows)
{
    ReferenceServerOptions options;
    options.catalogue = { kNewPack, kClientUpgrade };
    options.files = { { "Bench7.mdc", ReadBinFile("..\\bench-media\\BenchPack7.mdc") },
        { "ClientUpgrade.exe", ReadBinFile("ClientUpgrade.exe") } };
    Start(options);
    Select({ "Bench7" });
    PressDownloadAndConfirm();
    Answer("Notice", kUpgradeFirst, IDYES);
    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0)) << "the started upgrade ends the program";
    EXPECT_THAT(records_.Records(), ElementsAre("Bench7"));

    // The upgrade replaces the program and starts the newer build, which
    // selects the recorded row again.
    ASSERT_TRUE(WaitUntil([&] { return game_.Exists("Installers.log"); }, milliseconds(60000)));
    EXPECT_EQ(game_.Read("SecureDownload.exe"), ReadBinFile("demo-payloads\\SecureDownloadUpgrade.exe"));
    HWND restarted = WaitForWindow(
        kAnyProcess, [](HWND window) { return Caption(window) == kMainCaption; }, milliseconds(60000));
    ASSERT_NE(restarted, nullptr);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(restarted, &pid);
    unique_handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
    HWND list = Control(restarted, kServerList);
    EXPECT_TRUE(WaitUntil([&] {
        const int row = ServerRow(list, "Bench7");
        return row >= 0 && SelectedRows(list) == std::vector<int> { row };
    }));
    ::TerminateProcess(process.get(), 1);
    ::WaitForSingleObject(process.get(), 10000);
    // The log tells the hand-over, and the new build names itself.
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, HasSubstr("installer ClientUpgrade handed over: this program ends for it\r\n"));
    EXPECT_THAT(log, HasSubstr("end: handed over to a program upgrade\r\n"));
    EXPECT_THAT(log, HasSubstr("start Gravelpit Secure Download 1.0.4 ("));
}

// Takes pictures of the display every 50 ms on a thread of its own while a
// pass runs, and judges each at once: every watched control of the main
// dialog that no other window covers must show more than one colour (an
// unpainted control is one flat colour: the dialog's face, or a list's
// empty background). A control seen so in three pictures in a row is an
// offence: a picture may catch a repaint under way, and on a loaded machine
// (both builds' tests at once on two cores) a repaint under way was caught
// in two pictures in a row now and then, whether the dialog was repainted
// after each reading pass or once per rebuild of its list. Keeps the first
// offending picture.
class PaintingWatch {
public:
    PaintingWatch(HWND dialog, std::string firstBadPicture)
        : dialog_(dialog)
        , firstBadPicture_(std::move(firstBadPicture))
    {
        // The local list always has rows (the program's and the language
        // file's): its part below the headings must show them. The server
        // list is empty for a while at the end of the pass.
        HWND localList = Control(dialog, kLocalList);
        RECT rows = ClientOnScreen(localList);
        RECT heading {};
        GetWindowRect(FindWindowExA(localList, nullptr, "SysHeader32", nullptr), &heading);
        rows.top = std::max(rows.top, heading.bottom);
        watched_.push_back({ kLocalList, rows, 0 });
        for (const int id : { kServerList, kDescription }) {
            watched_.push_back({ id, ClientOnScreen(Control(dialog, id)), 0 });
        }
        for (const int id : { kDownloadButton, IDOK }) {
            RECT button {};
            GetWindowRect(Control(dialog, id), &button);
            watched_.push_back({ id, button, 0 });
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~PaintingWatch() { Stop(); }
    PaintingWatch(const PaintingWatch&) = delete;
    PaintingWatch& operator=(const PaintingWatch&) = delete;

    void Stop()
    {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    int Frames() const { return frames_; }
    // "control 1007 in frame 12, ..." for every offence.
    const std::string& Offences() const { return offences_; }

private:
    struct Watched {
        int id;
        RECT rect;
        // In how many pictures in a row, up to this one, it was missing.
        int picturesMissing = 0;
    };

    static RECT ClientOnScreen(HWND window)
    {
        RECT client {};
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        return client;
    }

    // The other windows on the display (of any program: an installer's too).
    std::vector<RECT> Covers() const
    {
        std::vector<RECT> covers;
        for (HWND window : TopLevelWindows(kAnyProcess)) {
            RECT rect {};
            if (window != dialog_ && GetWindowRect(window, &rect)) {
                covers.push_back(rect);
            }
        }
        return covers;
    }

    void Run()
    {
        // The display lags behind the windows' state a little: a window that
        // has just closed may still be on it. So the windows seen at the
        // previous picture count as covering too.
        std::vector<RECT> previous;
        while (!stop_) {
            std::vector<RECT> covers = Covers();
            const std::optional<ScreenPicture> picture = ScreenPicture::Capture();
            const std::vector<RECT> after = Covers();
            covers.insert(covers.end(), after.begin(), after.end());
            covers.insert(covers.end(), previous.begin(), previous.end());
            if (picture) {
                Judge(*picture, covers);
                ++frames_;
            }
            previous = after;
            Sleep(50);
        }
    }

    void Judge(const ScreenPicture& picture, const std::vector<RECT>& covers)
    {
        bool bad = false;
        for (Watched& control : watched_) {
            const bool covered = std::any_of(covers.begin(), covers.end(), [&](const RECT& cover) {
                RECT overlap {};
                return IntersectRect(&overlap, &cover, &control.rect) != FALSE;
            });
            const bool missing = !covered && picture.ColoursIn(control.rect).size() < 2;
            control.picturesMissing = missing ? control.picturesMissing + 1 : 0;
            if (control.picturesMissing >= 3) {
                offences_ += "control " + std::to_string(control.id) + " in frame " + std::to_string(frames_) + ", ";
                bad = true;
            }
        }
        if (bad && !savedBad_) {
            savedBad_ = picture.Save(firstBadPicture_);
        }
    }

    HWND dialog_;
    std::string firstBadPicture_;
    std::vector<Watched> watched_;
    std::atomic<bool> stop_ { false };
    std::atomic<int> frames_ { 0 };
    std::string offences_;
    bool savedBad_ = false;
    std::thread thread_;
};

TEST_F(DownloadTest, MainDialogIsDrawnWholeThroughoutAPass)
{
    ReferenceServerOptions options;
    options.catalogue = { kGameInstaller, kNewPack, kLanguageUpdate };
    options.files = { { "GameSetup.exe", ReadBinFile("GameInstaller.exe") },
        { "Bench7.mdc", ReadBinFile("..\\bench-media\\BenchPack7.mdc") },
        { "Language.mdc", ReadBinFile("..\\demo-served\\Language.mdc") } };
    Start(options, { { "GSD_INSTALLER_SECONDS", "1" } });
    Select({ "GameSetup", "Bench7", "Language" });
    PaintingWatch watch(dialog_, game_.PathOf("half-painted.bmp"));
    PressDownloadAndConfirm();
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    // The last rows and the placeholder that replaces them.
    Sleep(500);
    watch.Stop();

    EXPECT_GE(watch.Frames(), 20) << "too few pictures to tell";
    EXPECT_EQ(watch.Offences(), "") << "the main dialog was drawn with a control missing";
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), ReadBinFile("..\\bench-media\\BenchPack7.mdc"));
}

// Every way a transfer can go wrong on the wire fails its item: the cause is
// shown, then the pass's own message; Media and the old files stay as they
// were, and nothing half-received is installed.
struct TransferFault {
    const char* name;
    std::string fault;
    // The cause the user is told first (caption and the text's beginning).
    std::string cause;
};

void PrintTo(const TransferFault& fault, std::ostream* out)
{
    *out << fault.name;
}

class TransferFaultTest : public DownloadTest, public ::testing::WithParamInterface<TransferFault> {};

TEST_P(TransferFaultTest, FailsTheItemAndLeavesMediaAsItWas)
{
    const std::string language = ReadBinFile("..\\demo-served\\Language.mdc");
    const std::string before = game_.Read("Media\\Language.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kLanguageUpdate };
    options.files = { { "Language.mdc", language } };
    options.faults = { GetParam().fault };
    Start(options);
    Select({ "Language" });
    PressDownloadAndConfirm();
    EXPECT_THAT(AcknowledgeNext(), ::testing::StartsWith(GetParam().cause));
    Answer("Notice", kItemFailed, IDOK);
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kSomeFailed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    EXPECT_EQ(game_.Read("Media\\Language.mdc"), before);
    EXPECT_TRUE(records_.Records().empty()) << "a failed item is retired too";
    EXPECT_FALSE(IsEnabled(dialog_, kDownloadButton));
}

INSTANTIATE_TEST_SUITE_P(Faults, TransferFaultTest,
    ::testing::Values(TransferFault { "DroppedConnection", "file:drop=5000", "Error!: " },
        TransferFault { "FewerBytesThanAnnounced", "file:wrong-length", "Error!: " },
        TransferFault { "LengthGivenTwoWays", "file:chunked=100",
            "Error!: The download server's reply gave its length two ways" },
        TransferFault { "HttpErrorPage", "file:status=500", "Error!: " },
        TransferFault { "ServerErrorNumber", "file:reply=12", "Error Number 12: " },
        TransferFault { "EmptyReply", "file:reply=", "Error Number : " },
        // Port 9 (discard): nothing may be asked there in clear, answered or not.
        TransferFault { "RedirectToPlainHttp", "file:redirect=http://localhost:9/autodownload.asp",
            "Error!: The download server sent the request on to \"http://localhost:9/" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, CancelStopsATransferThatShowsItsProgress)
{
    const std::string before = game_.Read("Media\\Language.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kLanguageUpdate };
    options.files = { { "Language.mdc", ReadBinFile("..\\demo-served\\Language.mdc") + std::string(400000, 'x') } };
    options.faults = { "file:slow=0.5,chunk=2048" };
    Start(options);
    Select({ "Language" });
    PressDownloadAndConfirm();
    // While bytes trickle in, the status dialog shows the running count: the
    // program handles its messages during the transfer.
    HWND status = WaitForWindow(run_->Pid(), kStatusCaption);
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(WaitUntil([&] {
        return ControlText(status, kDetailLines).find("Total KBytes Transfered = ") != std::string::npos
            && IsVisible(status, kProgressBar);
    }));
    // On screen too: the texts and the bar partly filled.
    EXPECT_TRUE(ShowsPainted(game_.PathOf("transfer.bmp"),
        { { Control(status, kStatusLine), true }, { Control(status, kDetailLines), true },
            { Control(status, kProgressBar), false } }));
    ASSERT_TRUE(Click(status, IDCANCEL));
    Answer("Notice", kItemFailed, IDOK);
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kSomeFailed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    EXPECT_EQ(game_.Read("Media\\Language.mdc"), before);
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp")) << "the part received is deleted";
}

// Another program tries, all through a slowed transfer and until the item
// is done, to put another installer of the publisher in place of the
// received file: replacing it, or writing into it. None of it takes: the
// installer the server sent is checked and run, or, should a write slip in
// while the hold gives up writing before the check, the item is refused as
// changed; never is the substitute checked or run. Each of its writes lets
// go at once, so a hand-over it interrupts is completed on a later try.
TEST_F(DownloadTest, AnotherProgramCannotSwapTheReceivedInstaller)
{
    const std::string substitute = ReadBinFile("signature-variants\\Large.exe");
    game_.Write("Temp\\Substitute.exe", substitute);
    ReferenceServerOptions options;
    options.catalogue = { kGameInstaller };
    options.files = { { "GameSetup.exe", ReadBinFile("GameInstaller.exe") } };
    options.faults = { "file:slow=0.2,chunk=65536" };
    Start(options);
    std::atomic<bool> stop { false };
    std::atomic<int> attempts { 0 };
    std::atomic<int> intrusions { 0 };
    std::thread swapper([&] {
        const std::string spare = game_.PathOf("Temp\\Substitute.exe");
        const std::string received = game_.PathOf("Temp\\Download.tmp");
        constexpr DWORD All = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        while (!stop) {
            // Only ever in place of the file while it is there.
            if (GetFileAttributesA(received.c_str()) != INVALID_FILE_ATTRIBUTES) {
                ++attempts;
                if (ReplaceFileA(received.c_str(), spare.c_str(), nullptr, 0, nullptr, nullptr)) {
                    ++intrusions;
                }
                const unique_file writer(
                    CreateFileA(received.c_str(), GENERIC_WRITE, All, nullptr, OPEN_EXISTING, 0, nullptr));
                DWORD written = 0;
                if (writer && WriteFile(writer.get(), "SUBSTITUTE", 10, &written, nullptr)) {
                    ++intrusions;
                }
            }
            Sleep(2);
        }
    });
    Select({ "GameSetup" });
    PressDownloadAndConfirm();
    const std::string first = AcknowledgeNext();
    stop = true;
    swapper.join();

    EXPECT_GT(attempts.load(), 10) << "the swaps were tried while the file was there";
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    if (first.starts_with("Error!")) {
        EXPECT_EQ(first,
            "Error!: The installer \"GameSetup\" changed on disk between its download and its check.  It was "
            "deleted and not started.");
        EXPECT_GT(intrusions.load(), 0) << "refused without anything changed";
        EXPECT_THAT(log, HasSubstr("installer GameSetup checked: changed since it was received, signer "));
        EXPECT_FALSE(game_.Exists("Installers.log")) << "an installer ran";
        Answer("Notice", kItemFailed, IDOK);
        Answer("Notice", kAllProcessed, IDOK);
        Answer("Notice", kSomeFailed, IDOK);
    } else {
        EXPECT_EQ(first, "Notice: " + kAllProcessed);
        EXPECT_EQ(intrusions.load(), 0);
        EXPECT_EQ(game_.Read("Temp\\Substitute.exe"), substitute) << "the substitute took a place";
        EXPECT_THAT(log, HasSubstr("installer GameSetup checked: may run"));
        EXPECT_THAT(game_.Read("Installers.log"), HasSubstr("game installer ran"));
    }
    Answer("Notice", kStartGame, IDNO);
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
}

// Installers that the game's publisher did not sign, that changed since, or
// whose signature does not count, are refused by the real program with the
// build's pinned key: deleted, not started, and the pass goes on. What the
// adapter finds in each kind of bad signature is tested in tests/win32 and
// the decision in tests/core; these rows show the build's pin and the whole
// flow, one for each refusal the player can be shown.
enum class Change { None, FlipMiddleByte, AppendBytes };

struct RefusedInstaller {
    const char* name;
    // Served as the installer: this file of the bin folder, changed so.
    const char* file;
    Change change;
    std::string reason;
};

void PrintTo(const RefusedInstaller& refused, std::ostream* out)
{
    *out << refused.name;
}

class RefusedInstallerTest : public DownloadTest, public ::testing::WithParamInterface<RefusedInstaller> { };

TEST_P(RefusedInstallerTest, IsDeletedNotStartedAndThePackAfterItInstalls)
{
    std::string installer = ReadBinFile(GetParam().file);
    if (GetParam().change == Change::FlipMiddleByte) {
        installer[installer.size() / 2] = static_cast<char>(installer[installer.size() / 2] ^ 0x01);
    } else if (GetParam().change == Change::AppendBytes) {
        installer += std::string(64, 'P');
    }
    const std::string pack = PressForInstallerAndPack(installer);
    Answer("Error!", "The installer \"GameSetup\" " + GetParam().reason + "  It was deleted and not started.", IDOK);
    ExpectInstallerFailedAndPackInstalled(pack);
}

INSTANTIATE_TEST_SUITE_P(Signatures, RefusedInstallerTest,
    ::testing::Values(RefusedInstaller { "OtherKeySameSubject", "signature-variants\\OtherSigner.exe", Change::None,
                          "is signed by someone other than the game's publisher." },
        RefusedInstaller { "AlteredAfterSigning", "GameInstaller.exe", Change::FlipMiddleByte,
            "was altered after it was signed." },
        RefusedInstaller { "BytesAppended", "GameInstaller.exe", Change::AppendBytes,
            "was altered after it was signed." },
        RefusedInstaller { "NotForCodeSigning", "signature-variants\\NotForCodeSigning.exe", Change::None,
            "is signed with a certificate that is not for signing programs." },
        RefusedInstaller { "Expired", "signature-variants\\Expired.exe", Change::None,
            "is signed with a certificate that had expired when it was signed." },
        RefusedInstaller { "NotYetValid", "signature-variants\\NotYetValid.exe", Change::None,
            "is signed with a certificate that was not yet valid when it was signed." },
        RefusedInstaller { "WeakDigest", "signature-variants\\Sha1Digest.exe", Change::None,
            "is signed with a digest weaker than SHA-256." },
        RefusedInstaller { "SelfSignedForThePinnedKey", "signature-variants\\SelfSigned.exe", Change::None,
            "is signed with a certificate that no authority this computer trusts has issued." },
        RefusedInstaller { "UnsignedAttributeAdded", "signature-variants\\UnauthenticatedBlob.exe", Change::None,
            "was altered after it was signed." },
        RefusedInstaller { "TimestampByAStranger", "signature-variants\\TimestampedByStranger.exe", Change::None,
            "was altered after it was signed." }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, RefusedUpgradeKeepsTheProgramRunningAndTheRecordedItemsFollow)
{
    const std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kNewPack, kClientUpgrade };
    options.files
        = { { "Bench7.mdc", pack }, { "ClientUpgrade.exe", ReadBinFile("signature-variants\\Unsigned.exe") } };
    Start(options);
    Select({ "Bench7" });
    PressDownloadAndConfirm();
    Answer("Notice", kUpgradeFirst, IDYES);
    const auto refusal = FindMessageBox(run_->Pid(), milliseconds(60000));
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, "The installer \"ClientUpgrade\" is not signed.  It was deleted and not started.");
    EXPECT_THAT(records_.Records(), ElementsAre("Bench7"));
    ASSERT_TRUE(Press(*refusal, IDOK));
    Answer("Notice",
        "An error occurred when downloading a selected object pack or update. Continuing without downloading "
        "erroneous file.",
        IDOK);
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    EXPECT_TRUE(run_->IsRunning());
    EXPECT_FALSE(game_.Exists("Installers.log")) << "the upgrade ran";
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
}

// The windows answer while a pass waits, so input can reach the dialog in
// the middle of it: a click posted to the button (as accessibility and
// macro tools click) starts no second pass.
TEST_F(DownloadTest, AClickPostedToTheButtonDuringAPassStartsNoSecondOne)
{
    const std::string pack
        = PressForInstallerAndPack(ReadBinFile("GameInstaller.exe"), { { "GSD_INSTALLER_SECONDS", "2" } });
    ASSERT_NE(StatusWhileInstalling(), nullptr);
    EXPECT_FALSE(IsEnabled(dialog_, kDownloadButton)) << "the button takes clicks during the pass";

    ASSERT_TRUE(PostMessageA(Control(dialog_, kDownloadButton), BM_CLICK, 0, 0));

    // The pass goes on alone: no second question, both items installed.
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDNO);
    EXPECT_THAT(game_.Read("Installers.log"), HasSubstr("game installer ran"));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
    EXPECT_TRUE(records_.Records().empty());
}

// A close of the window during a pass (its close box, the taskbar, a
// polite taskkill) cancels the current item and stops the pass; the dialog
// ends only then, with what was not fetched still recorded.
TEST_F(DownloadTest, ACloseDuringATransferStopsThePassKeepsTheSelectionAndThenEnds)
{
    const std::string before = game_.Read("Media\\Language.mdc");
    ReferenceServerOptions options;
    options.catalogue = { kLanguageUpdate, kNewPack };
    options.files = { { "Language.mdc", ReadBinFile("..\\demo-served\\Language.mdc") + std::string(400000, 'x') },
        { "Bench7.mdc", ReadBinFile("..\\bench-media\\BenchPack7.mdc") } };
    options.faults = { "file:slow=0.5,chunk=2048" };
    Start(options);
    Select({ "Language", "Bench7" });
    PressDownloadAndConfirm();
    HWND status = WaitForWindow(run_->Pid(), kStatusCaption);
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(WaitUntil(
        [&] { return ControlText(status, kDetailLines).find("Total KBytes Transfered = ") != std::string::npos; }));

    Close(dialog_);

    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0)) << "no question, and the program ends";
    EXPECT_THAT(records_.Records(), ElementsAre("Language", "Bench7"));
    EXPECT_EQ(game_.Read("Media\\Language.mdc"), before);
    EXPECT_FALSE(game_.Exists("Media\\Bench7.mdc"));
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));
    EXPECT_THAT(game_.Read("Temp\\SecureDownload.log"), HasSubstr("the pass stopped for the close asked during it"));
}

// Cancel pressed while a large installer's signature is checked: it is not
// started, Temp is left clean, and the pass says so as for a transfer.
TEST_F(DownloadTest, CancelDuringTheInstallersCheckStartsNothing)
{
    const std::string pack = PressForInstallerAndPack(ReadBinFile("signature-variants\\Large.exe"));
    HWND status = StatusWhileInstalling();
    ASSERT_NE(status, nullptr);

    ASSERT_TRUE(Click(status, IDCANCEL));

    ExpectInstallerFailedAndPackInstalled(pack);
    EXPECT_THAT(game_.Read("Temp\\SecureDownload.log"), HasSubstr("item GameSetup (game installer): cancelled"));
}

// Another program holding a file of the game folder open for reading, as a
// scanner does, until `holdMs` after the received file first appears.
class FileHold {
public:
    FileHold(const GameFolder& game, const std::string& relative, const std::string& share, int holdMs)
    {
        std::wstring command = L"\"" + Widened(BinFolder()) + L"file_holder.exe\" \""
            + SystemPath(game.PathOf(relative)) + L"\" " + Widened(share) + L" " + std::to_wstring(holdMs) + L" \""
            + SystemPath(game.PathOf("Temp\\Download.tmp")) + L"\"";
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started {};
        if (!::CreateProcessW(
                nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
            ADD_FAILURE() << "file_holder did not start: " << ::GetLastError();
            return;
        }
        ::CloseHandle(started.hThread);
        process_.reset(started.hProcess);
        // Held once nobody else may write it.
        EXPECT_TRUE(WaitUntil([&] {
            unique_file probe(::CreateFileW(
                SystemPath(game.PathOf(relative)).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            return !probe && ::GetLastError() == ERROR_SHARING_VIOLATION;
        })) << relative
            << " was never held";
    }
    FileHold(const FileHold&) = delete;
    FileHold& operator=(const FileHold&) = delete;
    ~FileHold()
    {
        if (process_) {
            ::TerminateProcess(process_.get(), 0);
            ::WaitForSingleObject(process_.get(), 5000);
        }
    }

private:
    unique_handle process_;
};

struct HeldMedia {
    const char* name;
    // The item whose file is held, the other item of the pass, and how long
    // the hold lasts once the first transfer has begun.
    std::string heldItem;
    std::string otherItem;
    int holdMs;
};

void PrintTo(const HeldMedia& held, std::ostream* out)
{
    *out << held.name;
}

class HeldMediaTest : public DownloadTest, public ::testing::WithParamInterface<HeldMedia> { };

TEST_P(HeldMediaTest, AShortHoldIsWaitedForAndALongOneFailsOnlyItsItem)
{
    const HeldMedia& held = GetParam();
    const bool outlasted = held.holdMs < 5'000;
    const std::string pack = ReadBinFile("..\\bench-media\\BenchPack7.mdc");
    const std::string language = ReadBinFile("..\\demo-served\\Language.mdc");
    // An older pack under the new one's name, so that both items replace a
    // file.
    game_.Write("Media\\Bench7.mdc", ReadBinFile("..\\bench-media\\BenchPack6.mdc"));
    const std::string heldPath = "Media\\" + held.heldItem + ".mdc";
    const std::string before = game_.Read(heldPath);
    ReferenceServerOptions options;
    options.catalogue = { kNewPack, kLanguageUpdate };
    options.files = { { "Bench7.mdc", pack }, { "Language.mdc", language } };
    Start(options);
    const FileHold hold(game_, heldPath, "r", held.holdMs);
    Select({ held.heldItem, held.otherItem });
    PressDownloadAndConfirm();
    const auto pressed = std::chrono::steady_clock::now();

    if (!outlasted) {
        const std::string box = AcknowledgeNext();
        const auto waited = std::chrono::steady_clock::now() - pressed;
        EXPECT_THAT(box, ::testing::StartsWith("Move File Error: "));
        EXPECT_THAT(box, HasSubstr(heldPath));
        EXPECT_GE(waited, std::chrono::seconds(9));
        EXPECT_LT(waited, std::chrono::seconds(25));
        Answer("Notice", kItemFailed, IDOK);
    }
    Answer("Notice", kAllProcessed, IDOK);
    if (!outlasted) {
        Answer("Notice", kSomeFailed, IDOK);
    }
    Answer("Notice", kStartGame, IDNO);

    const std::string served = held.heldItem == "Bench7" ? pack : language;
    EXPECT_EQ(game_.Read(heldPath), outlasted ? served : before);
    EXPECT_EQ(game_.Read("Media\\" + held.otherItem + ".mdc"), held.otherItem == "Bench7" ? pack : language);
    EXPECT_FALSE(game_.Exists("Temp\\Download.tmp"));
    EXPECT_THAT(
        game_.Read("Temp\\SecureDownload.log"), HasSubstr("file " + heldPath + " held by another program (error "));
}

INSTANTIATE_TEST_SUITE_P(Holds, HeldMediaTest,
    ::testing::Values(HeldMedia { "PackHeldForAMoment", "Bench7", "Language", 1'500 },
        HeldMedia { "LanguageFileHeldPastTheLimit", "Language", "Bench7", 30'000 }),
    [](const auto& info) { return std::string(info.param.name); });

// The installer's name held by another program that shares deleting, for
// longer than any wait, when the next installer is to take it: the leftover
// is moved aside and the new one runs at once.
TEST_F(DownloadTest, AnInstallerWhoseNameIsHeldSharingDeletingRunsWithoutWaiting)
{
    game_.Write("Temp\\Download.exe", "MZ left by an upgrade");
    const FileHold hold(game_, "Temp\\Download.exe", "rwd", 30'000);
    const std::string pack = PressForInstallerAndPack(ReadBinFile("GameInstaller.exe"));
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDNO);

    EXPECT_THAT(game_.Read("Installers.log"), HasSubstr("game installer ran"));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
    EXPECT_THAT(game_.Read("Temp\\SecureDownload.log"),
        ::testing::Not(HasSubstr("file Temp\\Download.exe held by another program")));
    EXPECT_TRUE(game_.Exists("Temp\\Download.exe.old")) << "moved aside while held, for the next start to delete";
}

// The installer's name still held by another program when the next
// installer is to take it: the leftover goes, and the new one runs, once
// let go.
TEST_F(DownloadTest, AnInstallerWhoseNameIsHeldForAMomentStillRuns)
{
    game_.Write("Temp\\Download.exe", "MZ left by an upgrade");
    const FileHold hold(game_, "Temp\\Download.exe", "r", 1'500);
    const std::string pack = PressForInstallerAndPack(ReadBinFile("GameInstaller.exe"));
    Answer("Notice", kAllProcessed, IDOK);
    Answer("Notice", kStartGame, IDNO);

    EXPECT_THAT(game_.Read("Installers.log"), HasSubstr("game installer ran"));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), pack);
    EXPECT_FALSE(game_.Exists("Temp\\Download.exe"));
    EXPECT_THAT(
        game_.Read("Temp\\SecureDownload.log"), HasSubstr("file Temp\\Download.exe held by another program (error "));
}

} // namespace
} // namespace gsd::e2e
