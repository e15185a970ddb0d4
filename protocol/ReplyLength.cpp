#include "protocol/ReplyLength.h"

#include <algorithm>

#include "protocol/AsciiCase.h"

namespace gsd {
namespace {

constexpr std::string_view LengthHeaderName = "content-length";
constexpr std::string_view EncodingHeaderName = "transfer-encoding";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// The number `text` spells in decimal digits only; nullopt for anything
// else or a number above LargestAnnouncedLength.
std::optional<std::uint64_t> PlainDecimal(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (LargestAnnouncedLength - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

} // namespace

AnnouncedLength ReadAnnouncedLength(std::string_view rawHeaders)
{
    AnnouncedLength announced;
    bool encoded = false;
    // The first line is the status line.
    std::size_t lineStart = rawHeaders.find('\n');
    while (lineStart != std::string_view::npos && lineStart + 1 < rawHeaders.size()) {
        ++lineStart;
        const std::size_t lineEnd = rawHeaders.find('\n', lineStart);
        std::string_view line = rawHeaders.substr(lineStart, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - lineStart);
        lineStart = lineEnd;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue;
        }
        const std::string_view name = Trimmed(line.substr(0, colon));
        if (EqualsIgnoringAsciiCase(name, EncodingHeaderName)) {
            encoded = true;
            continue;
        }
        if (!EqualsIgnoringAsciiCase(name, LengthHeaderName)) {
            continue;
        }
        const std::optional<std::uint64_t> value = PlainDecimal(Trimmed(line.substr(colon + 1)));
        if (!value || (announced.length && *announced.length != *value)) {
            return AnnouncedLength { true, false, std::nullopt };
        }
        announced.length = value;
    }
    if (encoded && announced.length) {
        return AnnouncedLength { true, true, std::nullopt };
    }
    return announced;
}

std::string MalformedLengthText()
{
    return "The download server's reply announced a length that is not one plain number of bytes.  "
           "The reply was not used.";
}

std::string TwoWaysLengthText()
{
    return "The download server's reply gave its length two ways, as a Content-Length and as a "
           "Transfer-Encoding.  The reply was not used.";
}

} // namespace gsd
