// Fetching one item of the download list from the server into
// "Temp\Download.tmp" and installing it.
#pragma once

#include <string>
#include <string_view>

#include "download/DownloadServices.h"

namespace gsd {

// The first download-list line (walked from line 0 to the first empty line)
// whose file name equals `fileName` exactly; empty when there is none.
std::string FindDownloadItemLine(std::string_view downloadListText, std::string_view fileName);

// Fetches the item named `fileName` and installs it; true only when both
// succeeded. Shows its own messages before it returns false:
// - not in the download list: on-download text 17 and the name ("Notice");
//   nothing else happens;
// - a language file or object pack whose name cannot be a file of the Media
//   folder: "Error!", nothing is fetched;
// - the temporary file cannot be emptied or written: "Error!" with the
//   system's text and the file; that attempt ends without connecting (or
//   reading further) and is not retried;
// - a reply of 3 bytes or fewer: the server's error number ("Error Number "
//   and the reply, its ServerErrorText);
// - a reply under an HTTP error status, or shorter than the length it
//   announced: "Error!" saying so;
// - the exchange's own reports (Internet errors with the offer to try again
//   after "cannot connect", the idle limit); a Cancel ends it silently, at
//   any step until an installer's process exists (InstallDownloadedFile),
//   and so does a close of the main dialog asked during the pass
//   (`state.CloseAsked`).
// Only a complete reply is installed (InstallDownloadedFile), from the file
// held since its first byte; when this returns false, "Temp\Download.tmp"
// has been deleted through that hold. One status
// dialog serves every attempt and is closed before this returns; every
// attempt sends the same request and empties the temporary file anew. A
// program upgrade whose installer starts ends the program in here.
bool FetchAndInstallItem(const DownloadServices& services, std::string_view fileName);

} // namespace gsd
