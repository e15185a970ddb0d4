// The demo's stand-ins for what the client meets outside itself: the game it
// asks to close, the game installer it waits for and the upgrade installer it
// hands over to. Each runs in a throw-away game folder as the client would
// start it.

#include "driver/uidriver.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

namespace gsd::e2e {
namespace {

constexpr const char* kGameClass = "Rubbleton: Gravelpit";
constexpr const char* kClientMutex = "Global\\RubbletonGravelpitSecureDownload";

std::string ClassOf(HWND window)
{
    char name[64];
    const int n = GetClassNameA(window, name, sizeof name);
    return std::string(name, n > 0 ? n : 0);
}

// A file the installers carry, as the build made it.
std::string PayloadBytes(const std::string& name)
{
    std::ifstream in(BinFolder() + "demo-payloads\\" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// "major.minor.patch.build" of the program file's version resource, or "".
std::string FileVersion(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    std::string info(size, '\0');
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, info.data())
        || !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr) {
        return "";
    }
    return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionMS)) + "."
        + std::to_string(HIWORD(fixed->dwFileVersionLS)) + "." + std::to_string(LOWORD(fixed->dwFileVersionLS));
}

// A running process of this program file name whose parent is `parent`.
unique_handle ChildProcess(DWORD parent, const char* exeName)
{
    // Fails with INVALID_HANDLE_VALUE, as CreateFileA does.
    unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent && _stricmp(entry.szExeFile, exeName) == 0) {
            return unique_handle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
        }
    }
    return unique_handle();
}

struct GameCase {
    const char* name;
    Environment environment;
    bool ends; // on a close request
};

void PrintTo(const GameCase& c, std::ostream* os)
{
    *os << c.name;
}

class StandInGameTest : public ::testing::TestWithParam<GameCase> { };

TEST_P(StandInGameTest, JournalsStartAndCloseRequest)
{
    GameFolder game(GameFolder::Contents::Empty);
    game.CopyFromBin("Rubbleton Gravelpit.exe");
    ProgramRun run(game.PathOf("Rubbleton Gravelpit.exe"), game.Path(), GetParam().environment);
    HWND window = WaitForWindow(run.Pid(), [](HWND w) { return ClassOf(w) == kGameClass; });
    ASSERT_NE(window, nullptr);

    DWORD_PTR ignored = 0;
    const bool answered = SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 1000, &ignored) != 0;

    EXPECT_EQ(answered, GetParam().ends);
    EXPECT_EQ(run.WaitForExit(milliseconds(GetParam().ends ? 5000 : 0)).has_value(), GetParam().ends);
    EXPECT_EQ(game.Read("StandInGame.log"), "started by e2e_tests.exe\r\nclose requested\r\n");
}

INSTANTIATE_TEST_SUITE_P(Demo, StandInGameTest,
    ::testing::Values(GameCase { "Answers", {}, true }, GameCase { "Hangs", { { "GSD_GAME_IGNORE_CLOSE", "1" } }, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DemoInstallerTest, GameInstallerShowsItselfAndInstallsTheNewerVersion)
{
    GameFolder game(GameFolder::Contents::Empty);
    game.Write("Media\\Version.mdc", "the installed version");
    game.CopyIn(BinFolder() + "GameInstaller.exe", "Temp\\Download.exe");

    ProgramRun installer(game.PathOf("Temp\\Download.exe"), game.Path(), { { "GSD_INSTALLER_SECONDS", "1" } });

    EXPECT_NE(WaitForWindow(installer.Pid(), "Installing Rubbleton: Gravelpit ..."), nullptr);
    EXPECT_EQ(installer.WaitForExit(), 0U);
    EXPECT_EQ(game.Read("Media\\Version.mdc"), PayloadBytes("Version110.mdc"));
    EXPECT_FALSE(game.Exists("Media\\Version.mdc.new"));
    EXPECT_EQ(game.Read("Installers.log"), "game installer ran\r\n");
}

TEST(DemoInstallerTest, UpgradeWaitsForTheClientThenReplacesAndStartsIt)
{
    GameFolder game;
    game.Write("Media\\Version.mdc", "the installed version");
    game.CopyIn(BinFolder() + "ClientUpgrade.exe", "Temp\\Download.exe");
    ASSERT_EQ(FileVersion(game.PathOf("SecureDownload.exe")), "1.0.0.1");
    // The running client, as far as the upgrade can tell.
    unique_handle clientMutex(CreateMutexA(nullptr, FALSE, kClientMutex));
    ASSERT_TRUE(clientMutex);

    ProgramRun installer(game.PathOf("Temp\\Download.exe"), game.PathOf("Temp"));
    EXPECT_FALSE(installer.WaitForExit(milliseconds(500))) << "ended while the client ran";
    EXPECT_EQ(FileVersion(game.PathOf("SecureDownload.exe")), "1.0.0.1");
    clientMutex.reset();

    EXPECT_EQ(installer.WaitForExit(), 0U);
    unique_handle started = WaitFor([&] { return ChildProcess(installer.Pid(), "SecureDownload.exe"); });
    ASSERT_TRUE(started) << "the new client was not started";
    TerminateProcess(started.get(), 1);
    WaitForSingleObject(started.get(), 5000);
    EXPECT_EQ(FileVersion(game.PathOf("SecureDownload.exe")), "1.0.4.1");
    EXPECT_FALSE(game.Exists("SecureDownload.new"));
    EXPECT_EQ(game.Read("Media\\Version.mdc"), PayloadBytes("Version104.mdc"));
    EXPECT_EQ(game.Read("Installers.log"), "upgrade installed\r\n");
}

} // namespace
} // namespace gsd::e2e
