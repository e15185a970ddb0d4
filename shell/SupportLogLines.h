// The lines of the support log, built from what the program knows at each
// event. Never the account field, the challenge or a request body: none of
// them is a parameter here. Texts from outside (the server's file names,
// message texts) are made one line and cut to a bounded length.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gsd {

// Longest piece of outside text put into one line.
inline constexpr std::size_t LoggedTextBytes = 400;

// `text` as one line: control characters become blanks, and a text longer
// than LoggedTextBytes is cut and marked with "...".
std::string OneLine(std::string_view text);

// "start <product> <version> (<bits>-bit)".
std::string StartLogLine(std::string_view version, int bits);

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

// "item <file name> (kind <kind>): <outcome>, <bytes> bytes".
std::string ItemLogLine(std::string_view fileName, int kind, std::string_view outcome, std::uint64_t bytes);

// "installer <file name> started".
std::string InstallerStartedLogLine(std::string_view fileName);

// "installer <file name> ended, exit code <code>" ("unknown" when nullopt).
std::string InstallerEndedLogLine(std::string_view fileName, std::optional<std::uint32_t> exitCode);

// "installer <file name> checked: <verdict>, signer <key>, <s> s", the key
// "unknown" when empty.
std::string InstallerCheckLogLine(
    std::string_view fileName, std::string_view verdict, std::string_view signerKey, double seconds);

// "message <caption>: <text> [<answer>]".
std::string MessageLogLine(std::string_view caption, std::string_view text, std::string_view answer);

} // namespace gsd
