// The checks of the media files the program installed, end to end: the real
// program under Wine against the reference server, which offers again what
// the report gives as 0|0|0. A pack is installed through the download
// button, then changed behind the program's back; the verdicts themselves
// are tested with fakes in tests/core/download.

#include "driver/uidriver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Handles.h"
#include "WireExpectations.h"
#include "tests/support/ReferenceServer.h"

namespace gsd::e2e {
namespace {

using test::RecordedRequest;
using test::ReferenceServer;
using test::ReferenceServerOptions;

constexpr int kDownloadButton = 1003, kServerList = 1007;
constexpr WPARAM kVerifyCommand = 0x0020;
constexpr const char* kMainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr const char* kStatusCaption = "Gravelpit Download Program Startup Status";
constexpr const char* kInstalledKey = "Software\\Quil Studios\\Rubbleton Gravelpit\\Installed Media Files";
const std::string kPackLine = "3|Bench Pack 7|Bench7|Quil Studios|A pack for the tests.|New|1|0|0|9";
const std::string kSoundReport = "|1|0|0|9|Bench Pack 7";
const std::string kDamagedReport = "|0|0|0|9|Bench Pack 7";
const std::string kRepairSentence
    = "\r\n\r\nThose that the server offers again are selected in its list: download them to repair the game.";

std::string ReadBinFile(const std::string& relativeToBin)
{
    std::string bytes;
    if (!test::reference_server_detail::ReadWholeFile(BinFolder() + relativeToBin, bytes)) {
        throw std::runtime_error("cannot read " + relativeToBin);
    }
    return bytes;
}

// Changes bytes of a file in place and puts its last-write time back.
void ChangeKeepingTime(const std::string& path, std::uint64_t offset, std::string_view bytes)
{
    const unique_file file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    FILETIME written {};
    ASSERT_TRUE(::GetFileTime(file.get(), nullptr, nullptr, &written));
    LARGE_INTEGER at {};
    at.QuadPart = static_cast<LONGLONG>(offset);
    ASSERT_TRUE(::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN));
    DWORD done = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
    ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &written));
}

std::vector<std::string> ListBodies(const std::vector<RecordedRequest>& requests)
{
    std::vector<std::string> bodies;
    for (const RecordedRequest& request : requests) {
        if (request.kind == "list") {
            bodies.push_back(request.body);
        }
    }
    return bodies;
}

class VerifyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CopyDemoMedia(game_);
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstalledKey);
        ReferenceServerOptions options;
        options.catalogue = { kPackLine };
        options.files = { { "Bench7.mdc", ReadBinFile("..\\bench-media\\BenchPack7.mdc") } };
        server_.emplace(std::move(options));
        ASSERT_TRUE(server_->Start()) << server_->Error();
    }
    void TearDown() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kInstalledKey); }

    // Starts the program; `named` (when not empty) is the text of the
    // message that names damaged files, which comes before the main dialog.
    void Start(const std::string& named = {})
    {
        run_.emplace(game_);
        if (!named.empty()) {
            Answer("Notice", named);
        }
        dialog_ = WaitForWindow(run_->Pid(), kMainCaption);
        ASSERT_NE(dialog_, nullptr);
        list_ = Control(dialog_, kServerList);
        ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list_) > 0; }));
    }

    void Stop()
    {
        Close(dialog_);
        ASSERT_TRUE(run_->WaitForExit());
        run_.reset();
    }

    void Answer(const std::string& caption, const std::string& text, int button = IDOK)
    {
        const auto box = FindMessageBox(run_->Pid(), milliseconds(60000));
        ASSERT_TRUE(box) << "no message box \"" << text << "\"";
        EXPECT_EQ(box->caption, caption);
        EXPECT_EQ(box->text, text);
        ASSERT_TRUE(Press(*box, button));
    }

    // Downloads the pack through the server's list (its row selected).
    void DownloadSelectedPack()
    {
        ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dialog_, kDownloadButton); }));
        ASSERT_TRUE(Click(dialog_, kDownloadButton));
        Answer("Notice", "Download and install the selected items now?", IDYES);
        Answer("Notice", "All selected items have been processed.");
        Answer("Notice", "Start Rubbleton: Gravelpit now?", IDNO);
    }

    void InstallPack()
    {
        Start();
        ASSERT_TRUE(ClickRow(list_, 0, false));
        DownloadSelectedPack();
        Stop();
    }

    std::vector<int> Selected() { return SelectedRows(list_); }

    GameFolder game_;
    std::optional<ReferenceServer> server_;
    std::optional<ProgramRun> run_;
    HWND dialog_ = nullptr;
    HWND list_ = nullptr;
};

TEST_F(VerifyTest, AFlippedByteEscapesTheStartAndIsFoundByAVerifyThenRepaired)
{
    InstallPack();
    const std::string installed = game_.Read("Media\\Bench7.mdc");
    ChangeKeepingTime(game_.PathOf("Media\\Bench7.mdc"), installed.size() / 2, "\x5A");

    Start();
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(1000))) << "a start reads no bytes of an unchanged file";
    SendSysCommand(dialog_, kVerifyCommand);
    Answer("Notice",
        "1 game file was checked.  These have changed or gone missing since this program installed them:\r\n\r\n"
        "Bench7.mdc"
            + kRepairSentence);
    // The list is asked again, the pack offered as one the player lacks.
    ASSERT_TRUE(WaitUntil([&] { return Selected() == std::vector<int> { 0 }; }));
    std::vector<std::string> lists = ListBodies(server_->Requests());
    ASSERT_EQ(lists.size(), 3u);
    EXPECT_NE(lists[1].find(FormEncoded(kSoundReport)), std::string::npos) << "the start sent today's bytes";
    EXPECT_NE(lists[2].find(FormEncoded(kDamagedReport)), std::string::npos);

    DownloadSelectedPack();
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), installed);
    SendSysCommand(dialog_, kVerifyCommand);
    Answer("Notice", "1 game file was checked: all are as this program installed them.");
    EXPECT_EQ(ListBodies(server_->Requests()).size(), 3u) << "a clean verify asks the server nothing";
}

TEST_F(VerifyTest, AShortenedPackIsNamedAtTheStartAndItsRowSelected)
{
    InstallPack();
    const std::string installed = game_.Read("Media\\Bench7.mdc");
    game_.Write("Media\\Bench7.mdc", installed.substr(0, installed.size() - 1000));
    Start("These game files have changed or gone missing since this program installed them:\r\n\r\nBench7.mdc"
        + kRepairSentence);
    EXPECT_EQ(Selected(), std::vector<int> { 0 });
    Stop();
    // Named once, reported until installed again.
    Start();
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(1000)));
    EXPECT_EQ(Selected(), std::vector<int> { 0 });
    const std::vector<std::string> lists = ListBodies(server_->Requests());
    ASSERT_EQ(lists.size(), 3u);
    // Cut short, the engine no longer reads it as a pack: it is left out.
    EXPECT_EQ(lists[2].find(FormEncoded(kSoundReport)), std::string::npos);
}

TEST_F(VerifyTest, ADeletedPackIsNamedOnceAndAPackNotInstalledIsNeverJudged)
{
    InstallPack();
    ASSERT_TRUE(::DeleteFileW(SystemPath(game_.PathOf("Media\\Bench7.mdc")).c_str()));
    // A demo pack the program did not install, changed as well.
    game_.Write("Media\\Bricks.mdc", "not a pack any more");
    Start("These game files have changed or gone missing since this program installed them:\r\n\r\nBench7.mdc"
        + kRepairSentence);
    EXPECT_EQ(Selected(), std::vector<int> { 0 });
    Stop();
    Start();
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(1000)));
    for (const std::string& body : ListBodies(server_->Requests())) {
        EXPECT_EQ(body.find(FormEncoded("|0|0|0|")), std::string::npos);
    }
}

TEST_F(VerifyTest, ACancelledVerifyChangesNothingAndAsksNothing)
{
    InstallPack();
    // A large recorded file, so the verify is still reading when Cancel comes.
    const std::string large(512u * 1024 * 1024, 'L');
    game_.Write("Media\\Large.mdc", large);
    unique_hkey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstalledKey, 0, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    WIN32_FILE_ATTRIBUTE_DATA facts {};
    ASSERT_TRUE(::GetFileAttributesExW(SystemPath(game_.PathOf("Media\\Large.mdc")).c_str(), GetFileExInfoStandard, &facts));
    const std::uint64_t written
        = (std::uint64_t { facts.ftLastWriteTime.dwHighDateTime } << 32) | facts.ftLastWriteTime.dwLowDateTime;
    // Its facts as they are, so the start does not read it; its digest not.
    const std::string record = std::to_string(large.size()) + "|" + std::to_string(written) + "|" + std::string(64, '0');
    ASSERT_EQ(::RegSetValueExA(key.get(), "Large.mdc", 0, REG_SZ, reinterpret_cast<const BYTE*>(record.c_str()),
                  static_cast<DWORD>(record.size() + 1)),
        ERROR_SUCCESS);
    Start();
    SendSysCommand(dialog_, kVerifyCommand);
    HWND status = WaitForWindow(run_->Pid(), kStatusCaption);
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(Click(status, IDCANCEL));
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(3000)));
    EXPECT_EQ(ListBodies(server_->Requests()).size(), 2u);
    char data[260] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(::RegQueryValueExA(key.get(), "Large.mdc", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(std::string(data), record) << "not marked damaged";
    // The windows answered throughout, and still do.
    EXPECT_NO_THROW(SendAndWait(dialog_, WM_NULL));
}

} // namespace
} // namespace gsd::e2e
