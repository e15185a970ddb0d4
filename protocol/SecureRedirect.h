// Where a redirect of the download server may lead. Requests to the server
// carry the account field and the inventory, and what comes back may be an
// installer: a request goes only to an HTTPS address of the server itself
// (the same host and port) or of a host the publisher names for its files.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gsd {

// Redirects followed within one attempt before the exchange gives up.
inline constexpr int MaxRedirectsFollowed = 5;

// Whether `statusCode` asks the client to repeat the request elsewhere
// (301, 302, 307, 308). A 303 asks for a bodiless GET instead, which is no
// request of this program's: its reply is taken as the reply.
bool IsRedirectStatus(int statusCode);

// The address a redirect from `current` (an "https://" address) with the
// Location value `location` leads to, when it is an HTTPS address: an
// absolute "https://" address (scheme in any case), a scheme-relative
// "//host/path" or an absolute path "/path" on the current host. nullopt
// for anything else: another scheme ("http://", "ftp:"), a relative path,
// an empty value, or a value holding control characters or blanks.
std::optional<std::string> SecureRedirectTarget(std::string_view current, std::string_view location);

// Whether `target` (an "https://" address) lies on the origin of `server`
// (host in any case, port, 443 when none is given) or on a host of
// `allowedHosts`: "host" or "host:port" entries separated by commas, a
// host without a port standing for port 443. An address whose host part
// holds anything but letters, digits, '-', '.' and a port is never allowed.
bool IsAllowedRedirectTarget(std::string_view server, std::string_view target, std::string_view allowedHosts);

// The message shown when a redirect to `location` is not followed because
// it is no HTTPS address.
std::string InsecureRedirectText(std::string_view location);

// The message shown when a redirect to the HTTPS address `location` is not
// followed because it leaves the download server.
std::string ForeignRedirectText(std::string_view location);

// The message shown when a redirect's address is longer than any the
// program would follow.
std::string OverLongRedirectText();

// The support log's line for a redirect of `action` with `statusCode` that
// is followed to `target`.
std::string RedirectLogLine(std::string_view action, int statusCode, std::string_view target);

// The message shown when the server redirects more than
// MaxRedirectsFollowed times in a row.
std::string TooManyRedirectsText();

} // namespace gsd
