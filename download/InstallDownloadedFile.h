// Putting a received file into its place, by the kind of its item: a
// language file or object pack into the Media folder, an installer run and
// waited for, or a program upgrade started as this program ends.
#pragma once

#include <string_view>

#include "download/DownloadServices.h"
#include "ports/StatusDialog.h"

namespace gsd {

// The game folder's files of a download.
inline constexpr std::string_view TemporaryFilePath = "Temp\\Download.tmp";
inline constexpr std::string_view InstallerPath = "Temp\\Download.exe";
// The folder the transfer writes into and the installers run from.
inline constexpr std::string_view InstallerFolder = "Temp";

// Installs the file just received in "Temp\Download.tmp" for the
// download-list line `itemLine`; true when it is installed. `status` (may be
// null) is the transfer's status dialog.
//
// Kinds 2 and 3: "Installing File.", then the file replaces
// "Media\" + FileName + ".mdc" in one step, then "Installed File
// Successfully!". A file name MediaFileNameProblem refuses is reported
// ("Error!") and nothing is moved.
// Kinds 1 and 4 (installers): the file's signature is checked once, on the
// window thread's behalf while its windows keep answering, and the check
// logged (InstallerTrust.h); a file that may not run is deleted, "Error!"
// names the item and says why, and the item fails: nothing is moved or
// started, and the program goes on. Otherwise a leftover
// "Temp\Download.exe" is deleted and the file, held open since its check,
// is moved there and held until its process has started.
// Kind 1: started with the current folder and waited for (the windows keep
// their messages meanwhile), then deleted; true whatever its exit code.
// Kind 4: started with "Temp" as its working folder, then this program ends
// at once (exit code 0) with its download records left for the next start.
// A move that fails shows "Move File Error" with the system's text, and the
// item fails: nothing is installed or started. A start without a process
// shows "Error Retrieving Process ID to wait on." (caption "Error") and the
// item fails. Other kinds: false, nothing moved or shown.
// `status`'s Cancel is asked before each step until an installer is
// started: once pressed, the item fails without a message, nothing is
// installed or started and "Temp\Download.exe" is deleted (the caller
// deletes the received file). From an installer's start on, Cancel is
// greyed out.
bool InstallDownloadedFile(const DownloadServices& services, StatusDialog* status, std::string_view itemLine);

} // namespace gsd
