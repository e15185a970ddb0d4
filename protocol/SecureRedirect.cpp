#include "protocol/SecureRedirect.h"

#include <algorithm>

#include "protocol/AsciiCase.h"
#include "shell/SupportLogLines.h"

namespace gsd {
namespace {

constexpr std::string_view SecureScheme = "https://";
// Longest part of a Location value quoted back to the user.
constexpr std::size_t QuotedLocationBytes = 200;

// Blanks and control characters have no place in an address; a value with
// them is not taken apart at all.
bool HasUnsafeBytes(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7F;
    });
}

// "https://host[:port]" of `url`, without the path.
std::string_view Origin(std::string_view url)
{
    const std::size_t pathStart = url.find('/', SecureScheme.size());
    return url.substr(0, pathStart);
}

bool IsHostByte(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

// Host (lower case) and port of an authority "host[:port]"; nullopt when it
// holds anything else (user names, brackets, escapes, a second colon).
struct Endpoint {
    std::string host;
    std::string port;
    bool operator==(const Endpoint&) const = default;
};

std::optional<Endpoint> ParseAuthority(std::string_view authority)
{
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    std::string_view port = colon == std::string_view::npos ? std::string_view("443") : authority.substr(colon + 1);
    if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostByte) || port.empty() || port.size() > 5
        || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    while (port.size() > 1 && port.front() == '0') {
        port.remove_prefix(1);
    }
    return Endpoint { AsciiLowered(host), std::string(port) };
}

// The host and port of an "https://" address.
std::optional<Endpoint> EndpointOf(std::string_view url)
{
    if (!StartsWithIgnoringAsciiCase(url, SecureScheme)) {
        return std::nullopt;
    }
    const std::string_view rest = url.substr(SecureScheme.size());
    return ParseAuthority(rest.substr(0, rest.find_first_of("/?#")));
}

} // namespace

bool IsRedirectStatus(int statusCode)
{
    return statusCode == 301 || statusCode == 302 || statusCode == 307 || statusCode == 308;
}

bool IsAllowedRedirectTarget(std::string_view server, std::string_view target, std::string_view allowedHosts)
{
    const std::optional<Endpoint> to = EndpointOf(target);
    if (!to) {
        return false;
    }
    if (EndpointOf(server) == to) {
        return true;
    }
    while (!allowedHosts.empty()) {
        const std::size_t comma = allowedHosts.find(',');
        const std::string_view entry = allowedHosts.substr(0, comma);
        allowedHosts.remove_prefix(comma == std::string_view::npos ? allowedHosts.size() : comma + 1);
        if (ParseAuthority(entry) == to) {
            return true;
        }
    }
    return false;
}

std::optional<std::string> SecureRedirectTarget(std::string_view current, std::string_view location)
{
    if (location.empty() || HasUnsafeBytes(location) || !StartsWithIgnoringAsciiCase(current, SecureScheme)) {
        return std::nullopt;
    }
    if (StartsWithIgnoringAsciiCase(location, SecureScheme)) {
        if (location.size() == SecureScheme.size()) {
            return std::nullopt;
        }
        return std::string(location);
    }
    if (location.starts_with("//")) {
        if (location.size() == 2) {
            return std::nullopt;
        }
        return std::string("https:").append(location);
    }
    if (location.front() == '/') {
        return std::string(Origin(current)).append(location);
    }
    return std::nullopt;
}

namespace {

// `location` for a message: one line, its first QuotedLocationBytes bytes.
std::string Quoted(std::string_view location)
{
    std::string quoted(location.substr(0, QuotedLocationBytes));
    for (char& c : quoted) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    if (location.size() > QuotedLocationBytes) {
        quoted += "...";
    }
    return quoted;
}

} // namespace

std::string InsecureRedirectText(std::string_view location)
{
    return "The download server sent the request on to \"" + Quoted(location)
        + "\", which is not a secure (HTTPS) address.  The request was not sent there.";
}

std::string ForeignRedirectText(std::string_view location)
{
    return "The download server sent the request on to \"" + Quoted(location)
        + "\", which is not an address of the download server.  The request was not sent there.";
}

std::string OverLongRedirectText()
{
    return "The download server sent the request on to an address of over 8 KB.  The request was not sent there.";
}

std::string RedirectLogLine(std::string_view action, int statusCode, std::string_view target)
{
    return "redirect " + OneLine(action) + ": HTTP " + std::to_string(statusCode) + " to " + OneLine(target);
}

std::string TooManyRedirectsText()
{
    return "The download server sent the request on more than " + std::to_string(MaxRedirectsFollowed)
        + " times.  The request was given up.";
}

} // namespace gsd
