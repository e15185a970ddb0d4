// The program's own transfer for bench_transfer: FetchAndInstallItem of the
// core on the program's Win32 adapters, in a throw-away game folder, without
// its dialogs (a message box would mean a broken set-up).
#pragma once

#include <string>

namespace gsd::bench {

// Fetches and installs the object-pack item of download-list line `line`
// from `url` in a new game folder below `workFolder`; prints "BYTES SECONDS"
// (the installed file's size and the call's seconds, without the pause
// after a good reply). Returns the process
// exit code: 0 on success. `workFolder` is named in UTF-8.
int ChildProgramTransfer(const std::string& url, const std::string& line, const std::string& workFolder);

} // namespace gsd::bench
