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
// "//host/path" or an absolute path "/path" on the current host. The value
// is taken apart (authority up to the first '/', '?' or '#'; path; query
// after the first '?'; the fragment dropped) and the address written anew
// from the parts: "https://", the host in lower case, ":port" unless 443,
// the path ("/" when empty) and "?query" when there is one, with every byte
// but letters, digits, "-._~!$&'()*+,;=:/" (and '?' in the query) and
// whole %-escapes %-encoded, '@' and '\' included. So what is followed
// can be read only one way. nullopt for anything else: another scheme
// ("http://", "ftp:"), a relative path, an empty value, a value holding
// control characters or blanks, an authority other than host[:port] (a
// user name, an IPv6 literal, an escape) or a port outside 1 to 65535.
std::optional<std::string> SecureRedirectTarget(std::string_view current, std::string_view location);

// Whether `location` as written stays on HTTPS (an "https://" address, a
// scheme-relative "//host..." or an absolute path "/...") and holds no
// blanks or control characters, whatever else it holds: a refused one of
// these leads off the server, not to another scheme.
bool StaysOnHttps(std::string_view location);

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
