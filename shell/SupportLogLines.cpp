#include "shell/SupportLogLines.h"

#include <algorithm>
#include <cstdio>

#include "shell/LogText.h"

namespace gsd {

std::string OneLine(std::string_view text)
{
    std::string line = LogText(text.substr(0, LoggedTextBytes), LogCodePage(), TextOrigin::Outside);
    if (text.size() > LoggedTextBytes) {
        line += "...";
    }
    return line;
}

std::string LoggedPath(std::string_view path)
{
    std::size_t kept = std::min(path.size(), LoggedPathBytes);
    // Cut before a character, never inside one.
    while (kept < path.size() && kept > 0 && (static_cast<unsigned char>(path[kept]) & 0xC0) == 0x80) {
        --kept;
    }
    std::string line = LogText(path.substr(0, kept), Utf8CodePage(), TextOrigin::FormedPath);
    if (kept < path.size()) {
        line += "...";
    }
    return line;
}

std::string ProgramVersionText(unsigned major, unsigned minor, unsigned patch)
{
    std::string text = std::to_string(major) + "." + std::to_string(minor);
    if (patch != 0) {
        text += "." + std::to_string(patch);
    }
    return text;
}

std::string StartLogLine(std::string_view version, int bits, std::string_view gameFolder)
{
    return "start Gravelpit Secure Download " + OneLine(version) + " (" + std::to_string(bits) + "-bit) in "
        + LoggedPath(gameFolder);
}

std::string ExchangeLogLine(const ExchangeLogEntry& entry)
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", entry.seconds);
    std::string line = "exchange " + OneLine(entry.action) + ": " + OneLine(entry.ending) + ", HTTP "
        + std::to_string(entry.statusCode) + ", " + std::to_string(entry.bytes) + " bytes, " + seconds + " s";
    if (entry.internetError != 0) {
        line += ", Internet error " + std::to_string(entry.internetError);
    }
    return line;
}

std::string ItemKindWords(int kind)
{
    switch (kind) {
    case 1:
        return "game installer";
    case 2:
        return "language file";
    case 3:
        return "object pack";
    case 4:
        return "program upgrade";
    default:
        return "kind " + std::to_string(kind);
    }
}

std::string ItemLogLine(std::string_view fileName, int kind, std::string_view outcome, std::uint64_t bytes)
{
    return "item " + OneLine(fileName) + " (" + ItemKindWords(kind) + "): " + OneLine(outcome) + ", "
        + std::to_string(bytes) + " bytes";
}

std::string InstallerStartedLogLine(std::string_view fileName)
{
    return "installer " + OneLine(fileName) + " started";
}

std::string InstallerEndedLogLine(std::string_view fileName, std::optional<std::uint32_t> exitCode)
{
    return "installer " + OneLine(fileName) + " ended, exit code "
        + (exitCode ? std::to_string(*exitCode) : std::string("unknown"));
}

std::string HeldFileRetryLogLine(std::string_view file, std::uint32_t code, int waitMs)
{
    return "file " + LoggedPath(file) + " held by another program (error " + std::to_string(code)
        + "), trying again in " + std::to_string(waitMs) + " ms";
}

std::string WrongThreadLogLine(std::string_view function, std::uint32_t threadId)
{
    return "window thread: " + std::string(function) + " called from thread " + std::to_string(threadId);
}

std::string InstallerHandedOverLogLine(std::string_view fileName)
{
    return "installer " + OneLine(fileName) + " handed over: this program ends for it";
}

std::string GameCloseLogLine(GameCloseOutcome outcome)
{
    switch (outcome) {
    case GameCloseOutcome::NotRunning:
        return "game: not running";
    case GameCloseOutcome::Asked:
        return "game: asked to close, it handled the request";
    case GameCloseOutcome::NoAnswer:
        break;
    }
    return "game: asked to close, no answer; going on";
}

std::string GameStartLogLine(bool throughDesktop, std::string_view failedStep, std::uint32_t code, bool startedDirectly)
{
    if (throughDesktop) {
        return "game started through the desktop's shell, as the logged-on player";
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
    const std::string why = "no desktop shell (" + OneLine(failedStep) + " " + hex + ")";
    return startedDirectly ? "game started by this program, with its rights: " + why
                           : "game not started: " + why + ", and starting it directly failed";
}

std::string RunEndLogLine(std::string_view how, bool closedByTheProgram)
{
    if (!how.empty()) {
        return "end: " + OneLine(how);
    }
    return closedByTheProgram ? "end: failure: the program closed after the error it showed"
                              : "end: " + std::string(ClosedByThePlayer);
}

std::string InstallerCheckLogLine(
    std::string_view fileName, std::string_view verdict, std::string_view signerKey, double seconds)
{
    char formatted[32];
    std::snprintf(formatted, sizeof formatted, "%.3f", seconds);
    return "installer " + OneLine(fileName) + " checked: " + OneLine(verdict) + ", signer "
        + (signerKey.empty() ? std::string("unknown") : OneLine(signerKey)) + ", " + formatted + " s";
}

std::string MessageLogLine(
    std::string_view caption, std::string_view text, std::string_view answer, std::string_view path)
{
    std::string line = "message " + OneLine(caption) + ": " + OneLine(text);
    if (!path.empty()) {
        line += "\\x0D\\x0A" + LoggedPath(path);
    }
    return line + " [" + OneLine(answer) + "]";
}

} // namespace gsd
