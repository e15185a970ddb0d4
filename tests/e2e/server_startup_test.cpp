// The program's start-up against the reference download server: the three
// exchanges with their exact bytes on the wire, the server list they fill,
// and every way the server or the connection can fail, each shown to the
// user with its exact caption and text before the program closes.
//
// The program is built for https://localhost:PORT/autodownload.asp (47443
// for the 64-bit build, 47444 for the 32-bit one), so every test runs its
// own server on that port. The game folder holds the
// demo's media files.

#include "driver/uidriver.h"

#include <wininet.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "WireExpectations.h"
#include "tests/support/ReferenceServer.h"

namespace gsd::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Row = std::vector<std::string>;
using Rows = std::vector<Row>;
using test::RecordedRequest;
using test::ReferenceServer;
using test::ReferenceServerOptions;
using ::testing::HasSubstr;

constexpr int kDownloadButton = 1003, kServerList = 1007, kLocalList = 1008, kConnectionText = 1012, kStatusLine = 1008;
constexpr int kProgressBar = 1013;
constexpr WPARAM kVerifyCommand = 0x0020;
constexpr const char* kMainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr const char* kStatusCaption = "Gravelpit Download Program Startup Status";
constexpr const char* kConnectionCaption = "Internet Connection";

// The demo's English texts the server steps show.
const std::string kConnectionLost
    = "The Quil Studios server cannot be reached.  Check your connection to the Internet, then click Retry.";
const std::string kNotGenuine
    = "The download server could not prove that it is the Quil Studios server.  The program will close now.";
const std::string kReceivingList = "Receiving the list of downloads...";

// What the demo's packs report about themselves: version, mask, title.
const std::map<std::string, std::string> kPackReports = {
    { "Bricks.mdc", "1|0|2|11|Brick Works" },
    { "Canals.mdc", "1|1|0|9|Canal Locks" },
    { "Quarry.mdc", "2|0|0|1|Deep Quarry" },
    { "Windmills.mdc", "1|0|0|127|Windmills" },
};

// The first challenge of every run: 100 letters from the generator that
// starts at 1, each scrambled with the key 0x13 0x07 0x1C 0x0A.
std::string FirstChallenge()
{
    std::uint32_t state = 1;
    std::string challenge;
    for (int i = 0; i < 100; ++i) {
        state = state * 214013u + 2531011u;
        challenge.push_back(static_cast<char>('A' + ((state >> 16) & 0x7FFF) % 25));
    }
    return challenge;
}

std::string Scrambled(std::string text)
{
    static const unsigned char key[] = { 0x13, 0x07, 0x1C, 0x0A };
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ key[i % 4]);
    }
    return text;
}

// The WinINet description the program must show for `code`: wininet.dll's
// message table, else the system's, else "Error Code:" and the number.
std::string InternetErrorText(DWORD code)
{
    char buffer[1024] = {};
    DWORD length = 0;
    if (HMODULE wininet = LoadLibraryA("wininet.dll")) {
        length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, wininet, code, 0, buffer,
            sizeof buffer, nullptr);
        FreeLibrary(wininet);
    }
    if (length == 0) {
        length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
            sizeof buffer, nullptr);
    }
    if (length == 0) {
        return "Error Code:" + std::to_string(code);
    }
    return std::string(buffer, std::min<DWORD>(length, 255));
}

bool IsMainDialog(HWND window)
{
    return Control(window, kLocalList) && Control(window, kServerList);
}

// A top-level window of `pid` that `match` accepts, shown or not.
HWND HiddenOrShownWindow(DWORD pid, bool (*match)(HWND))
{
    for (HWND window : TopLevelWindows(pid, Visibility::kShownOrHidden)) {
        if (match(window)) {
            return window;
        }
    }
    return nullptr;
}

std::vector<std::string> Kinds(const std::vector<RecordedRequest>& requests)
{
    std::vector<std::string> kinds;
    for (const RecordedRequest& request : requests) {
        kinds.push_back(request.kind);
    }
    return kinds;
}

// A server on the program's port and a game folder with the demo media.
class ServerStartupTest : public ::testing::Test {
protected:
    void StartServer(ReferenceServerOptions options)
    {
        server_.emplace(std::move(options));
        ASSERT_TRUE(server_->Start()) << server_->Error();
    }

    void SetUp() override { CopyDemoMedia(game_); }

    // Presses OK on the next message box after checking what it says.
    void ExpectBoxAndPressOk(const std::string& caption, const std::string& text)
    {
        const auto box = FindMessageBox(run_->Pid());
        ASSERT_TRUE(box) << "no message box \"" << caption << "\"";
        EXPECT_EQ(box->caption, caption);
        EXPECT_EQ(box->text, text);
        EXPECT_THAT(box->ButtonIds(), ElementsAre(IDOK));
        ASSERT_TRUE(Press(*box, IDOK));
    }

    void ExpectProgramEndsWithoutMoreMessages() { EXPECT_TRUE(run_->WaitForExit()) << "the program did not close"; }

    std::optional<ReferenceServer> server_;
    GameFolder game_;
    std::optional<ProgramRun> run_;
};

TEST_F(ServerStartupTest, GoodStartListsTheOfferSortedByKindAndSendsExactRequests)
{
    ReferenceServerOptions options;
    options.catalogue = {
        "4|Gravelpit 1.1|Upgrade110|Quil Studios|The next version of the game.|Recommended|1|1|0|11",
        "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9",
        "3|Deep Quarry|Quarry|Tomas Reyes|The same quarry.|Installed|2|0|0|1",
        "3|Brick Works|Bricks|Quil Studios|More kilns.|Update|1|0|3|11",
        "7|Mystery Box|Mystery|Someone|What is it?|?|0|0|1|0",
        "2|Language|Language|Quil Studios|Portuguese texts.|Update|1|3|0|127",
    };
    StartServer(options);
    run_.emplace(game_);

    HWND dialog = WaitForWindow(run_->Pid(), kMainCaption);
    ASSERT_NE(dialog, nullptr);
    HWND list = Control(dialog, kServerList);
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 5; })) << ListRowCount(list) << " rows";
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(0))) << "a good start shows no message";

    // The control sorts by kind name: Game, Language, Object Pack, Unknown,
    // Upgrade in the demo's English. Equal names are in the control's order.
    Rows rows = ListRows(list);
    std::vector<std::string> kinds;
    for (const Row& row : rows) {
        kinds.push_back(row.at(0));
    }
    EXPECT_THAT(kinds, ElementsAre("Language", "Object Pack", "Object Pack", "Unknown", "Upgrade"));
    std::sort(rows.begin(), rows.end());
    const std::string all = "English, Francais, Portugues, Deutsch, Espanol, Italiano, Russki";
    EXPECT_EQ(rows,
        (Rows {
            { "Language", "Language", "Portuguese texts.", "Quil Studios", all, "Language", "Update", "1.3.0" },
            { "Object Pack", "Brick Works", "More kilns.", "Quil Studios", "English, Francais, Deutsch", "Bricks",
                "Update", "1.0.3" },
            { "Object Pack", "Harbour", "Docks and cranes.", "Quil Studios", "English, Deutsch", "Harbour", "New",
                "1.0.0" },
            { "Unknown", "Mystery Box", "What is it?", "Someone", "N/A", "Mystery", "?", "0.0.1" },
            { "Upgrade", "Gravelpit 1.1", "The next version of the game.", "Quil Studios", "English, Francais, Deutsch",
                "Upgrade110", "Recommended", "1.1.0" },
        }));
    EXPECT_TRUE(IsEnabled(dialog, kDownloadButton));

    // On the wire: the check; authentication and the list, each sent after
    // the bodiless request that opening the address makes.
    const std::vector<RecordedRequest> requests = server_->Requests();
    ASSERT_THAT(Kinds(requests), ElementsAre("check", "check", "auth", "check", "list"));
    for (const RecordedRequest& request : requests) {
        EXPECT_EQ(request.path, "/autodownload.asp");
        EXPECT_EQ(request.Header("User-Agent"), "Veraduri Ravirove 2003");
    }
    EXPECT_EQ(requests[0].body, "");
    EXPECT_EQ(requests[2].body,
        "ACTION_REQUEST=AUTHENTICATE+HOST&ACTION_MESSAGE=" + kBaseFields + "|" + Scrambled(FirstChallenge()));
    std::string packs;
    int count = 0;
    for (const std::string& name : MediaSearchOrder(game_)) {
        if (kPackReports.count(name)) {
            packs += "|" + kPackReports.at(name);
            ++count;
        }
    }
    // Program 1.0.3; language file 1.2.0 with English, Francais and Deutsch;
    // interface language 0 (no options file); the packs.
    const std::string message = kBaseFields + "|1|0|3|1|2|0|11|0|" + std::to_string(count) + packs;
    EXPECT_EQ(requests[4].body, "ACTION_REQUEST=RETURN+DOWNLOAD+LIST&ACTION_MESSAGE=" + FormEncoded(message));
    for (const int withBody : { 2, 4 }) {
        EXPECT_EQ(requests[withBody].Header("Content-Type"), "application/x-www-form-urlencoded");
        EXPECT_EQ(requests[withBody].Header("Content-Length"), std::to_string(requests[withBody].body.size()));
    }

    Close(dialog);
    EXPECT_TRUE(run_->WaitForExit());
}

TEST_F(ServerStartupTest, EmptyOfferShowsThePlaceholderAndDisablesTheButton)
{
    StartServer({});
    run_.emplace(game_);

    HWND dialog = WaitForWindow(run_->Pid(), kMainCaption);
    ASSERT_NE(dialog, nullptr);
    HWND list = Control(dialog, kServerList);
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 1; }));
    EXPECT_EQ(
        ListRows(list), (Rows { { "Nothing new", "", "Everything you have is up to date.", "", "", "", "", "" } }));
    EXPECT_FALSE(IsEnabled(dialog, kDownloadButton));
    EXPECT_GT(ListRowCount(Control(dialog, kLocalList)), 0) << "the local list is filled all the same";
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(0)));

    Close(dialog);
    EXPECT_TRUE(run_->WaitForExit());
}

struct ErrorCodeCase {
    const char* name;
    const char* fault;
    std::string caption;
    std::string text;
    bool authentication; // the start-up then says the server is not genuine
};

void PrintTo(const ErrorCodeCase& c, std::ostream* os)
{
    *os << c.name;
}

class ServerErrorCodeTest : public ServerStartupTest, public ::testing::WithParamInterface<ErrorCodeCase> { };

TEST_P(ServerErrorCodeTest, ShowsTheCodeAndCloses)
{
    const ErrorCodeCase& c = GetParam();
    ReferenceServerOptions options;
    options.catalogue = { "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9" };
    options.faults = { c.fault };
    StartServer(options);
    run_.emplace(game_);

    ExpectBoxAndPressOk(c.caption, c.text);
    if (c.authentication) {
        ExpectBoxAndPressOk("Error!", kNotGenuine);
    }
    ExpectProgramEndsWithoutMoreMessages();
    EXPECT_EQ(server_->Requests().back().kind, c.authentication ? "auth" : "list") << "no step after the failed one";
}

INSTANTIATE_TEST_SUITE_P(Replies, ServerErrorCodeTest,
    ::testing::Values(ErrorCodeCase { "EmptyAuthenticationReply", "auth:reply=", "Error Number ",
                          "Unknown Error.  Closing Program.", true },
        ErrorCodeCase {
            "AuthenticationCode3", "auth:reply=3", "Error Number 3", "Invalid Private Key.  Closing Program.", true },
        ErrorCodeCase {
            "ListCode12", "list:reply=12", "Error Number 12", "Get File To Return Failed.  Closing Program.", false },
        ErrorCodeCase { "ListBlankAnd17", "list:reply=%2017", "Error Number  17",
            "Get Download ID Failed.  Closing Program.", false },
        ErrorCodeCase {
            "ListLetters", "list:reply=abc", "Error Number abc", "Unknown Error.  Closing Program.", false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ServerStartupTest, WrongChallengeMeansTheServerIsNotGenuine)
{
    ReferenceServerOptions options;
    options.faults = { "wrong-challenge" };
    StartServer(options);
    run_.emplace(game_);

    ExpectBoxAndPressOk("Error!", kNotGenuine);
    ExpectProgramEndsWithoutMoreMessages();
    EXPECT_EQ(server_->Requests().back().kind, "auth");
}

TEST_F(ServerStartupTest, ErrorPageIsReportedAndNeverListed)
{
    ReferenceServerOptions options;
    options.catalogue = { "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9" };
    options.faults = { "list:status=500" };
    StartServer(options);
    run_.emplace(game_);

    const auto box = FindMessageBox(run_->Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    EXPECT_EQ(
        box->text, "The download server answered with HTTP status 500 instead of the download list.  Closing Program.");
    // The main dialog is still hidden in its start-up, but its list exists.
    HWND dialog = HiddenOrShownWindow(run_->Pid(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ListRowCount(Control(dialog, kServerList)), 0) << "the error page became rows";
    ASSERT_TRUE(Press(*box, IDOK));
    ExpectProgramEndsWithoutMoreMessages();
}

TEST_F(ServerStartupTest, UntrustedCertificateIsReportedOnceAndCloses)
{
    ReferenceServerOptions options;
    options.trustedCertificate = false;
    StartServer(options);
    run_.emplace(game_);

    const auto box = FindMessageBox(run_->Pid());
    ASSERT_TRUE(box);
    EXPECT_EQ(box->caption, "Error!");
    EXPECT_TRUE(box->text == InternetErrorText(ERROR_INTERNET_INVALID_CA)
        || box->text == InternetErrorText(ERROR_INTERNET_SEC_CERT_REV_FAILED)
        || box->text == InternetErrorText(ERROR_INTERNET_SEC_CERT_ERRORS))
        << box->text;
    ASSERT_TRUE(Press(*box, IDOK));
    EXPECT_EQ(WaitForWindow(run_->Pid(), kConnectionCaption, milliseconds(300)), nullptr) << "no retry offer";
    ExpectProgramEndsWithoutMoreMessages();
}

class RefusedConnectionTest : public ServerStartupTest {
protected:
    // Starts the program against a closed port and answers the error box;
    // returns the connection dialog.
    HWND ConnectionDialogAfterRefusal()
    {
        ReferenceServerOptions options;
        options.catalogue = { "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9" };
        options.faults = { "refuse" };
        StartServer(options);
        run_.emplace(game_);
        ExpectBoxAndPressOk("Error!", InternetErrorText(ERROR_INTERNET_CANNOT_CONNECT));
        HWND dialog = WaitForWindow(run_->Pid(), kConnectionCaption);
        if (dialog != nullptr) {
            EXPECT_EQ(ControlText(dialog, kConnectionText), kConnectionLost);
            EXPECT_EQ(ControlText(dialog, IDOK), "Retry");
            EXPECT_EQ(ControlText(dialog, IDCANCEL), "Cancel");
        }
        return dialog;
    }
};

TEST_F(RefusedConnectionTest, OkTriesAgainOnceTheServerIsThere)
{
    HWND connection = ConnectionDialogAfterRefusal();
    ASSERT_NE(connection, nullptr);
    EXPECT_THAT(server_->Requests(), IsEmpty());

    ASSERT_TRUE(server_->SetFaults({})) << server_->Error();
    ASSERT_TRUE(Click(connection, IDOK));

    HWND dialog = WaitForWindow(run_->Pid(), kMainCaption);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(Control(dialog, kServerList)) == 1; }));
    EXPECT_EQ(ListCell(Control(dialog, kServerList), 0, 1), "Harbour");
    EXPECT_FALSE(FindMessageBox(run_->Pid(), milliseconds(0)));
    EXPECT_THAT(Kinds(server_->Requests()), ElementsAre("check", "check", "auth", "check", "list"));

    Close(dialog);
    EXPECT_TRUE(run_->WaitForExit());
}

TEST_F(RefusedConnectionTest, CancelCloses)
{
    HWND connection = ConnectionDialogAfterRefusal();
    ASSERT_NE(connection, nullptr);

    ASSERT_TRUE(Click(connection, IDCANCEL));

    ExpectProgramEndsWithoutMoreMessages();
    EXPECT_THAT(server_->Requests(), IsEmpty());
}

TEST_F(ServerStartupTest, StatusDialogSaysWhatIsGoingOnAndGoesAway)
{
    ReferenceServerOptions options;
    options.catalogue = { "3|Harbour|Harbour|Quil Studios|Docks and cranes.|New|1|0|0|9" };
    // The reply's headers arrive, its body waits: the program is reading.
    options.faults = { "list:stall=3" };
    StartServer(options);
    run_.emplace(game_);

    // Every exchange has a status dialog of its own: find the list's.
    HWND status = WaitForWindow(run_->Pid(),
        [](HWND w) { return Caption(w) == kStatusCaption && ControlText(w, kStatusLine) == kReceivingList; });
    ASSERT_NE(status, nullptr) << "no status dialog saying the list is being received";
    RECT place {};
    GetWindowRect(status, &place);
    EXPECT_EQ(place.left, GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 200);
    EXPECT_EQ(place.top, GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 100);

    HWND dialog = WaitForWindow(run_->Pid(), kMainCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(WaitForNoWindow(run_->Pid(), [](HWND w) { return Caption(w) == kStatusCaption; }));
    EXPECT_TRUE(WaitUntil([&] { return ListRowCount(Control(dialog, kServerList)) == 1; }));

    Close(dialog);
    EXPECT_TRUE(run_->WaitForExit());
}

TEST_F(ServerStartupTest, StatusDialogIsPaintedWhileTheProgramWaitsForTheServer)
{
    ReferenceServerOptions options;
    // Only the first request, the connection check, is kept waiting; the
    // program's thread is blocked in that exchange all the while.
    options.faults = { "check:delay=30,times=1" };
    StartServer(options);
    run_.emplace(game_);

    HWND status = WaitForWindow(
        run_->Pid(), [](HWND w) { return Caption(w) == kStatusCaption && !ControlText(w, kStatusLine).empty(); });
    ASSERT_NE(status, nullptr) << "no status dialog with a status line";
    ASSERT_TRUE(WaitUntil([&] { return server_->Requests().size() == 1; })) << "the check never reached the server";
    // An unpainted dialog is one flat colour throughout.
    EXPECT_TRUE(ShowsPainted(
        game_.PathOf("status.bmp"), { { Control(status, kStatusLine), true }, { Control(status, IDCANCEL), false } }));
    EXPECT_EQ(server_->Requests().size(), 1U) << "the reply came before the picture";
    EXPECT_TRUE(IsWindowVisible(status));
    EXPECT_FALSE(IsVisible(status, kProgressBar)) << "no length is known, so no progress bar";
}

// The start-up's waits handle messages: a click posted to the download
// button, the window menu's verify and a close posted meanwhile start no
// work inside it, and the close ends the dialog once the start-up is over.
TEST_F(ServerStartupTest, ClicksAndACloseDuringTheStartUpStartNoWorkInsideIt)
{
    ReferenceServerOptions options;
    options.faults = { "list:delay=3,times=1" };
    StartServer(options);
    run_.emplace(game_);
    ASSERT_TRUE(WaitUntil([&] { return server_->Requests().size() == 3; })) << "the list was never asked";
    HWND dialog = HiddenOrShownWindow(run_->Pid(), IsMainDialog);
    ASSERT_NE(dialog, nullptr);

    ASSERT_TRUE(PostMessageA(Control(dialog, kDownloadButton), BM_CLICK, 0, 0));
    ASSERT_TRUE(PostMessageA(dialog, WM_SYSCOMMAND, kVerifyCommand, 0));
    ASSERT_TRUE(PostMessageA(dialog, WM_CLOSE, 0, 0));

    EXPECT_EQ(run_->WaitForExit(), std::optional<DWORD>(0)) << "a question, or no end";
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, HasSubstr("download button pressed while a pass runs: ignored"));
    EXPECT_THAT(log, HasSubstr("verify asked while a pass runs: ignored"));
    EXPECT_THAT(log, HasSubstr("the close asked during the start-up ends the dialog"));
}

} // namespace
} // namespace gsd::e2e
