// The lines of the support log, in UTF-8, built from what the program knows
// at each event. Never the account field, the challenge or a request body:
// none of them is a parameter here. Texts from outside (the server's file
// names, message texts) are made one readable line (shell/LogText.h) and cut
// to a bounded length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ports/RunningGame.h"

namespace gsd {

// Longest piece of outside text, and longest path, put into one line.
inline constexpr std::size_t LoggedTextBytes = 400;
inline constexpr std::size_t LoggedPathBytes = 1024;

// `text`, from outside and in the log's code page (LogCodePage), as one line
// of UTF-8: LogText of its first LoggedTextBytes bytes, marked with "..."
// when it was longer. Line breaks, control characters, bytes the code page
// does not map and backslashes become "\xNN", so that a hostile server
// cannot make the log read otherwise than it is written.
std::string OneLine(std::string_view text);

// `path`, a path the program formed (UTF-8, as named on disk), as one line:
// LogText with its separators kept, cut after LoggedPathBytes bytes (at a
// character's start) and then marked with "...".
std::string LoggedPath(std::string_view path);

// A file version as the program names itself: "<major>.<minor>", with
// ".<patch>" when the patch is not 0 ("1.0", "1.0.4").
std::string ProgramVersionText(unsigned major, unsigned minor, unsigned patch);

// "start <product> <version> (<bits>-bit) in <game folder>", the folder a
// UTF-8 path.
std::string StartLogLine(std::string_view version, int bits, std::string_view gameFolder);

// How one exchange with the server ended, for its log line.
struct ExchangeLogEntry {
    // The request's action ("RETURN+FILE", "check"...).
    std::string_view action;
    // The HTTP status of the reply read, 0 when none was read.
    int statusCode = 0;
    std::uint64_t bytes = 0;
    double seconds = 0;
    // The Internet error that ended it, 0 when none.
    std::uint32_t internetError = 0;
    // How it ended besides: "completed", "cancelled", "no data for 30 s"...
    std::string_view ending;
};

// "exchange <action>: <ending>, HTTP <status>, <bytes> bytes, <s> s[, Internet error <code>]".
std::string ExchangeLogLine(const ExchangeLogEntry& entry);

// An item kind as support reads it: "game installer", "language file",
// "object pack", "program upgrade"; "kind <n>" for any other.
std::string ItemKindWords(int kind);

// "item <file name> (<kind in words>): <outcome>, <bytes> bytes".
std::string ItemLogLine(std::string_view fileName, int kind, std::string_view outcome, std::uint64_t bytes);

// "installer <file name> started".
std::string InstallerStartedLogLine(std::string_view fileName);

// "installer <file name> ended, exit code <code>" ("unknown" when nullopt).
std::string InstallerEndedLogLine(std::string_view fileName, std::optional<std::uint32_t> exitCode);

// "file <file> held by another program (error <code>), trying again in
// <wait> ms".
std::string HeldFileRetryLogLine(std::string_view file, std::uint32_t code, int waitMs);

// "installer <file name> handed over: this program ends for it".
std::string InstallerHandedOverLogLine(std::string_view fileName);

// "game: not running" / "game: asked to close, it handled the request" /
// "game: asked to close, no answer; going on".
std::string GameCloseLogLine(GameCloseOutcome outcome);

// How the game was started at the end of a pass: through the desktop's
// shell (as the logged-on player), or by this program when there is no
// desktop shell (`failedStep` and `code`, an HRESULT, say why), or not at
// all (`startedDirectly` false).
std::string GameStartLogLine(bool throughDesktop, std::string_view failedStep, std::uint32_t code, bool startedDirectly);

// How a run ends, for its last line; set by what ends it.
inline constexpr std::string_view ClosedByThePlayer = "closed by the player";
inline constexpr std::string_view HandedOverToUpgrade = "handed over to a program upgrade";
inline constexpr std::string_view GameStarted = "the game started";

// "end: <how>". With `how` empty: a failure when the program asked its own
// window to close (after showing the error), closed by the player otherwise.
std::string RunEndLogLine(std::string_view how, bool closedByTheProgram);

// "installer <file name> checked: <verdict>, signer <key>, <s> s", the key
// "unknown" when empty.
std::string InstallerCheckLogLine(
    std::string_view fileName, std::string_view verdict, std::string_view signerKey, double seconds);

// "window thread: <function> called from thread <id>": a function that
// touches the windows was called away from the thread that owns them.
std::string WrongThreadLogLine(std::string_view function, std::uint32_t threadId);

// "message <caption>: <text> [<answer>]"; with a `path` (UTF-8) the text
// is followed by "\x0D\x0A" and the path, as the box shows it on a line of
// its own.
std::string MessageLogLine(
    std::string_view caption, std::string_view text, std::string_view answer, std::string_view path = {});

} // namespace gsd
