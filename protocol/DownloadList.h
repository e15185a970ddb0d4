// The download list: what the server offers this installation, one
// download item per CR LF separated line.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "protocol/ServerExchange.h"

namespace gsd {

// Asks the server for the download list. `buildActionMessage` makes the
// request's action message (base fields, the inventory report and the
// interface language index); it runs once per call, before the first
// attempt, and every attempt sends the same form-encoded body.
//
// Every completed reply under a successful HTTP status replaces
// `downloadListText`. A reply of 1 to 3 bytes is a server error code: it is
// shown and the result is false. The empty reply is an empty list (true).
// A reply under an HTTP error status is no list at all: the status is
// shown, `downloadListText` is left alone and the result is false. So is a
// list of more than MaxDownloadListLines lines. When no attempt completes,
// `downloadListText` is left alone and the result is false.
bool RequestDownloadList(const ExchangeServices& services, const std::function<std::string()>& buildActionMessage,
    std::string& downloadListText);

// The most lines a download list may have: far above any real offer, and a
// bound on the rows a hostile server can make the program build.
inline constexpr std::size_t MaxDownloadListLines = 100'000;

// The message for a list of more than MaxDownloadListLines lines.
std::string TooManyLinesText();

// Whether an HTTP status code stands for a delivered reply: any 2xx, and 0
// (the layer could not tell, so the reply is taken as it is).
bool IsDeliveredStatus(int statusCode);

// The message shown for a reply under an HTTP error status.
std::string HttpStatusErrorText(int statusCode);

} // namespace gsd
