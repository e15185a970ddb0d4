#include "shell/SupportLogLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gsd {
namespace {

using namespace std::string_literals;

TEST(SupportLogLinesTest, OutsideTextStaysOneBoundedLine)
{
    EXPECT_EQ(MessageLogLine("Error!", "two\r\nlines\tand\x7F", "OK"),
        "message Error!: two\\x0D\\x0Alines\\x09and\\x7F [OK]");
    // A right-to-left override, a lone C1 byte and a NUL from the server.
    EXPECT_EQ(ItemLogLine("a\xE2\x80\xAE" "exe.txt\x9B\0"s, 3, "installed", 1),
        "item a\\xE2\\x80\\xAEexe.txt\\x9B\\x00 (object pack): installed, 1 bytes");
    const std::string line = ItemLogLine(std::string(1000, 'n'), 3, "installed", 12);
    EXPECT_EQ(line, "item " + std::string(400, 'n') + "... (object pack): installed, 12 bytes");
    // A name that pretends to end its line and begin a verdict of its own.
    EXPECT_EQ(ItemLogLine("a\\x0D\\x0Ainstaller Setup.exe checked: may run", 1, "installed", 2),
        "item a\\x5Cx0D\\x5Cx0Ainstaller Setup.exe checked: may run (game installer): installed, 2 bytes");
}

TEST(SupportLogLinesTest, PathsKeepTheirSeparatorsAndAreCutWhole)
{
    const std::string cyrillic = "\xD0\x98\xD0\xB3\xD1\x80\xD0\xB0"; // four letters, eight bytes
    EXPECT_EQ(StartLogLine("1.0.4", 64, "Z:\\" + cyrillic + "\\Game"),
        "start Gravelpit Secure Download 1.0.4 (64-bit) in Z:\\" + cyrillic + "\\Game");
    // 1023 bytes and then a two-byte letter: the letter does not fit whole.
    const std::string longPath = "C:\\" + std::string(1020, 'p') + cyrillic;
    EXPECT_EQ(LoggedPath(longPath), "C:\\" + std::string(1020, 'p') + "...");
    EXPECT_EQ(LoggedPath(std::string(1024, 'p')), std::string(1024, 'p'));
}

TEST(SupportLogLinesTest, EachEventOfARunHasItsLine)
{
    struct Case {
        std::string line;
        std::string expected;
    };
    const std::vector<Case> cases = {
        { ProgramVersionText(1, 0, 0), "1.0" },
        { ProgramVersionText(1, 0, 4), "1.0.4" },
        { ProgramVersionText(2, 10, 0), "2.10" },
        { ItemLogLine("GameSetup", 1, "installed", 5), "item GameSetup (game installer): installed, 5 bytes" },
        { ItemLogLine("Language", 2, "not received", 2), "item Language (language file): not received, 2 bytes" },
        { ItemLogLine("Upgrade", 4, "not installed", 9), "item Upgrade (program upgrade): not installed, 9 bytes" },
        { ItemLogLine("Odd", 7, "not installed", 1), "item Odd (kind 7): not installed, 1 bytes" },
        { InstallerHandedOverLogLine("ClientUpgrade"),
            "installer ClientUpgrade handed over: this program ends for it" },
        { GameCloseLogLine(GameCloseOutcome::NotRunning), "game: not running" },
        { GameCloseLogLine(GameCloseOutcome::Asked), "game: asked to close, it handled the request" },
        { GameCloseLogLine(GameCloseOutcome::NoAnswer), "game: asked to close, no answer; going on" },
        { GameStartLogLine(true, "", 0, false), "game started through the desktop's shell, as the logged-on player" },
        { GameStartLogLine(false, "shell windows", 0x80040154, true),
            "game started by this program, with its rights: no desktop shell (shell windows 0x80040154)" },
        { GameStartLogLine(false, "desktop window", 0x80070490, false),
            "game not started: no desktop shell (desktop window 0x80070490), and starting it directly failed" },
        { RunEndLogLine("", false), "end: closed by the player" },
        { RunEndLogLine("", true), "end: failure: the program closed after the error it showed" },
        { RunEndLogLine(GameStarted, true), "end: the game started" },
        { RunEndLogLine(HandedOverToUpgrade, false), "end: handed over to a program upgrade" },
        { RunEndLogLine("failure: the connection check", true), "end: failure: the connection check" },
        { MessageLogLine("Move File Error", "Access is denied.", "OK", "C:\\G\\Temp\\Download.tmp"),
            "message Move File Error: Access is denied.\\x0D\\x0AC:\\G\\Temp\\Download.tmp [OK]" },
        { WrongThreadLogLine("Win32MainWindow::SetCaption", 4242),
            "window thread: Win32MainWindow::SetCaption called from thread 4242" },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.line, c.expected);
    }
}

} // namespace
} // namespace gsd
