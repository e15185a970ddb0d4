// A proxy that asks for a user name and password: Debian's tinyproxy with
// BasicAuth on loopback, named in the prefix's Internet settings. The
// system's own sign-in is answered by the test, or cancelled.

#include "driver/uidriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/Handles.h"
#include "tests/support/ReferenceServer.h"
#include "tests/support/WineHost.h"

namespace gsd::e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using test::ReferenceServer;
using test::ReferenceServerOptions;

constexpr const char* kMainCaption = "Rubbleton: Gravelpit Secure Download";
constexpr const char* kSettingsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kUser = "pit-digger";
constexpr const char* kPassword = "Quarry-Secret-77";
constexpr int kServerList = 1007;
constexpr int kDownloadButton = 1003;
constexpr int kStatusDetails = 1009;

// tinyproxy on its own port, ending by itself after two minutes; the
// prefix's Internet settings point at it while the object lives.
class Proxy {
public:
    Proxy(int port, bool password)
    {
        const std::string state = test::TestStateDir() + "/tinyproxy-" + std::to_string(port);
        std::string config = "Port " + std::to_string(port) + "\nListen 127.0.0.1\nTimeout 60\nMaxClients 20\n"
            + "Allow 127.0.0.1\nConnectPort " + std::to_string(GSD_REFERENCE_SERVER_PORT) + "\nPidFile \"" + state
            + ".pid\"\nLogFile \"" + state + ".log\"\n";
        if (password) {
            config += std::string("BasicAuth ") + kUser + " " + kPassword + "\n";
        }
        test::reference_server_detail::ReplaceFile(test::WindowsPath(state + ".conf"), config);
        ::DeleteFileA(test::WindowsPath(state + ".pid").c_str());
        started_ = test::StartUnixProgram({ "/usr/bin/timeout", "120", "/usr/bin/tinyproxy", "-d", "-c", state + ".conf" });
        WaitUntil([&] { return ::GetFileAttributesA(test::WindowsPath(state + ".pid").c_str()) != INVALID_FILE_ATTRIBUTES; },
            milliseconds(5000));
        ::RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.put(), nullptr);
        const DWORD enable = 1;
        const std::string server = "127.0.0.1:" + std::to_string(port);
        ::RegSetValueExA(key_.get(), "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enable), sizeof enable);
        ::RegSetValueExA(key_.get(), "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
            static_cast<DWORD>(server.size() + 1));
    }
    ~Proxy()
    {
        const DWORD disable = 0;
        ::RegSetValueExA(key_.get(), "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&disable), sizeof disable);
        ::RegDeleteValueA(key_.get(), "ProxyServer");
    }
    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;

    bool Started() const { return started_; }

private:
    bool started_ = false;
    unique_hkey key_;
};

// The system's proxy sign-in: a dialog of the program with a password edit.
HWND FindSignIn(DWORD pid, milliseconds timeout)
{
    return WaitForWindow(
        pid,
        [](HWND window) {
            for (HWND child : ChildWindows(window)) {
                if (ClassNameOf(child) == "Edit" && (::GetWindowLongA(child, GWL_STYLE) & ES_PASSWORD) != 0) {
                    return true;
                }
            }
            return false;
        },
        timeout);
}

// Types the user name and password into the sign-in and presses OK.
void SignIn(HWND dialog)
{
    bool userTyped = false;
    for (HWND child : ChildWindows(dialog)) {
        if (ClassNameOf(child) != "Edit") {
            continue;
        }
        if ((::GetWindowLongA(child, GWL_STYLE) & ES_PASSWORD) != 0) {
            SendAndWait(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kPassword));
        } else if (!userTyped) {
            SendAndWait(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kUser));
            userTyped = true;
        }
    }
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

// How often the system's sign-in came up while the program ran to `done`
// (`reached` false when it did not within 90 s): each one is answered at
// once with the right user name and password.
int SignInsUntil(DWORD pid, const std::function<bool()>& done, bool& reached)
{
    int signIns = 0;
    reached = WaitUntil(
        [&] {
            if (HWND signIn = FindSignIn(pid, milliseconds(0))) {
                SignIn(signIn);
                ++signIns;
                WaitForNoWindow(pid, [&](HWND w) { return w == signIn; }, milliseconds(5000));
            }
            return done();
        },
        milliseconds(90000));
    return signIns;
}

// The captions of the program's windows on screen, for a failure's message.
std::string ShownWindows(DWORD pid)
{
    std::string captions;
    for (HWND window : TopLevelWindows(pid)) {
        captions += "[" + Caption(window) + "] ";
    }
    return captions;
}

struct ProxyCase {
    const char* label;
    int port;
    bool password;
    bool cancel;
};

void PrintTo(const ProxyCase& c, std::ostream* out)
{
    *out << c.label;
}

// The program records the media files it installs in the machine's store,
// which every test of the run shares: a pass here must not leave records of
// files that the next test's game folder does not hold.
void ForgetInstalledMedia()
{
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Quil Studios\\Rubbleton Gravelpit\\Installed Media Files");
}

class ProxyTest : public ::testing::TestWithParam<ProxyCase> {
protected:
    void SetUp() override
    {
        ForgetInstalledMedia();
        CopyDemoMedia(game_);
    }
    void TearDown() override { ForgetInstalledMedia(); }
    GameFolder game_;
};

TEST_P(ProxyTest, ThePlayerSignsInToTheProxyOrIsToldWhyNot)
{
    const ProxyCase& c = GetParam();
    ReferenceServer server { ReferenceServerOptions {} };
    ASSERT_TRUE(server.Start()) << server.Error();
    const Proxy proxy(GSD_REFERENCE_SERVER_PORT + c.port, c.password);
    ASSERT_TRUE(proxy.Started());
    ProgramRun run(game_);

    HWND dialog = nullptr;
    if (c.cancel) {
        HWND signIn = FindSignIn(run.Pid(), milliseconds(30000));
        ASSERT_NE(signIn, nullptr) << "the system's proxy sign-in";
        ::PostMessageA(signIn, WM_COMMAND, IDCANCEL, 0);
        const auto box = FindMessageBox(run.Pid(), milliseconds(30000));
        ASSERT_TRUE(box);
        EXPECT_EQ(box->caption, "Error!");
        EXPECT_THAT(box->text, HasSubstr("The proxy server asked for a user name and password"));
        Press(*box, IDOK);
        EXPECT_EQ(run.WaitForExit(), std::optional<DWORD>(0));
    } else {
        bool reached = false;
        const int signIns = SignInsUntil(
            run.Pid(),
            [&] {
                dialog = WaitForWindow(run.Pid(), kMainCaption, milliseconds(0));
                return dialog != nullptr && ListRowCount(Control(dialog, kServerList)) > 0;
            },
            reached);
        ASSERT_TRUE(reached) << "the lists came through the proxy; on screen: " << ShownWindows(run.Pid());
        EXPECT_EQ(signIns > 0, c.password);
        Close(dialog);
        EXPECT_EQ(run.WaitForExit(), std::optional<DWORD>(0));
    }
    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, Not(HasSubstr(kPassword)));
    EXPECT_THAT(log, HasSubstr(c.cancel ? "exchange check: proxy sign-in refused" : "exchange check: completed, HTTP 200"));
}

INSTANTIATE_TEST_SUITE_P(Proxies, ProxyTest,
    ::testing::Values(ProxyCase { "WithoutPassword", 10, false, false }, ProxyCase { "PasswordGiven", 12, true, false },
        ProxyCase { "SignInCancelled", 14, true, true }),
    [](const ::testing::TestParamInfo<ProxyCase>& info) { return std::string(info.param.label); });

// The bytes of a file the build puts near the tests.
std::string BinFile(const std::string& relativeToBin)
{
    std::string bytes;
    EXPECT_TRUE(test::reference_server_detail::ReadWholeFile(BinFolder() + relativeToBin, bytes)) << relativeToBin;
    return bytes;
}

// The next message box, whatever it says, answered with `button`; false
// when none came.
bool AnswerBox(DWORD pid, int button)
{
    const auto box = FindMessageBox(pid, milliseconds(60000));
    return box && Press(*box, button);
}

// The three exchanges of start-up and a pass of two items ask once: the
// sign-in the proxy took is given to every later request.
TEST_F(ProxyTest, ThePasswordIsAskedOnceForStartUpAndAPass)
{
    ReferenceServerOptions options;
    options.catalogue = { "3|Bench Pack 7|Bench7|Quil Studios|A pack for the tests.|New|1|0|0|9",
        "2|Language|Language|Quil Studios|Italiano added.|Update|1|3|0|43" };
    options.files = { { "Bench7.mdc", BinFile("..\\bench-media\\BenchPack7.mdc") },
        { "Language.mdc", BinFile("..\\demo-served\\Language.mdc") } };
    ReferenceServer server { options };
    ASSERT_TRUE(server.Start()) << server.Error();
    const Proxy proxy(GSD_REFERENCE_SERVER_PORT + 16, true);
    ASSERT_TRUE(proxy.Started());
    ProgramRun run(game_);

    // The sign-in is owned by the status dialog, kept disabled meanwhile.
    const HWND firstSignIn = FindSignIn(run.Pid(), milliseconds(60000));
    ASSERT_NE(firstSignIn, nullptr) << "the system's proxy sign-in";
    const HWND owner = ::GetWindow(firstSignIn, GW_OWNER);
    EXPECT_NE(::GetDlgItem(owner, kStatusDetails), nullptr) << "owned by the status dialog";
    EXPECT_EQ(::GetDlgItem(owner, kServerList), nullptr) << "not by the main dialog";
    EXPECT_FALSE(::IsWindowEnabled(owner));

    HWND dialog = nullptr;
    HWND list = nullptr;
    bool reached = false;
    int signIns = SignInsUntil(
        run.Pid(),
        [&] {
            dialog = WaitForWindow(run.Pid(), kMainCaption, milliseconds(0));
            list = dialog != nullptr ? Control(dialog, kServerList) : nullptr;
            return list != nullptr && ListRowCount(list) == 2 && IsEnabled(dialog, kDownloadButton);
        },
        reached);
    ASSERT_TRUE(reached) << "the lists came through the proxy; on screen: " << ShownWindows(run.Pid());
    EXPECT_EQ(signIns, 1) << "at start-up";
    ASSERT_TRUE(ClickRow(list, 0));
    ASSERT_TRUE(ClickRow(list, 1, true));
    ASSERT_TRUE(Click(dialog, kDownloadButton));
    ASSERT_TRUE(AnswerBox(run.Pid(), IDYES)) << "the question before a pass";
    // Both items go in; the pass ends with its notices and the offer to
    // start the game, declined.
    signIns += SignInsUntil(
        run.Pid(), [&] { return FindMessageBox(run.Pid(), milliseconds(0)).has_value(); }, reached);
    ASSERT_TRUE(reached) << "the pass's end; on screen: " << ShownWindows(run.Pid());
    EXPECT_EQ(signIns, 1) << "in all";
    for (bool declined = false; !declined;) {
        const auto box = FindMessageBox(run.Pid(), milliseconds(60000));
        ASSERT_TRUE(box) << "the pass's notices";
        declined = box->Button(IDNO) != nullptr;
        ASSERT_TRUE(Press(*box, declined ? IDNO : IDOK)) << box->text;
    }
    Close(dialog);
    EXPECT_EQ(run.WaitForExit(), std::optional<DWORD>(0));
    EXPECT_EQ(game_.Read("Media\\Bench7.mdc"), options.files.at(0).second);

    const std::string log = game_.Read("Temp\\SecureDownload.log");
    EXPECT_THAT(log, Not(HasSubstr(kPassword)));
    EXPECT_THAT(log, Not(HasSubstr(kUser)));
    EXPECT_THAT(log, HasSubstr("proxy sign-in check: asked"));
    EXPECT_THAT(log, HasSubstr("proxy sign-in check: accepted, kept for this run"));
    EXPECT_THAT(log, Not(HasSubstr("proxy sign-in RETURN")));
}

} // namespace
} // namespace gsd::e2e
