// Putting a received file into its place, by the kind of its item: a
// language file or object pack into the Media folder, an installer run and
// waited for, or a program upgrade started as this program ends.
#pragma once

#include <string_view>

#include "download/DownloadServices.h"
#include "download/TransferSink.h"
#include "ports/StatusDialog.h"

namespace gsd {

// The game folder's files of a download.
inline constexpr std::string_view TemporaryFilePath = "Temp\\Download.tmp";
inline constexpr std::string_view InstallerPath = "Temp\\Download.exe";
// The folder the transfer writes into and the installers run from.
inline constexpr std::string_view InstallerFolder = "Temp";

// The support log's verdict, and the message ("Error!"), for an installer
// whose bytes at its check were not the bytes received.
inline constexpr std::string_view ChangedSinceReceivedName = "changed since it was received";
std::string ChangedSinceReceivedText(std::string_view fileName);

// Installs the file just received, held as "Temp\Download.tmp", for the
// download-list line `itemLine`; true when it is installed. `status` (may be
// null) is the transfer's status dialog. The file is used only through its
// hold, which lasts until it is in its place (or its installer's process
// has started); a file that is not installed is deleted through it, one that
// moved stays where it went. A null file installs nothing.
//
// Kinds 2 and 3: "Installing File.", then the file replaces
// "Media\" + FileName + ".mdc" in one step, then "Installed File
// Successfully!". A file name MediaFileNameProblem refuses is reported
// ("Error!") and nothing is moved. Once in place and let go, the file is
// recorded with its size, time and `received.digest` (RecordInstalledFile)
// and is no longer among the state's damaged media files.
// Kinds 1 and 4 (installers): the hold gives up its right to write (a
// hold by another program in that instant is waited for as RetryWhileHeld
// does; a failure shows "Error!" with the system's text), then the file's
// signature is checked once, on a worker while the windows answer, and
// the check logged (InstallerTrust.h). A file whose bytes as checked are
// not those received (their SHA-256 differs from `received.digest`) is
// refused whatever its signature, logged as
// ChangedSinceReceivedName. A refused file is deleted, "Error!" names the
// item and says why, and the item fails: nothing is moved or started, and
// the program goes on. Otherwise a leftover "Temp\Download.exe" is deleted
// (renamed away when another program holds it or it still runs:
// FreeInstallerName, download/InstallerName.h) and the file is moved there
// and held until its process has started.
// Kind 1: started with the current folder and waited for (the windows keep
// their messages meanwhile), then deleted; true whatever its exit code.
// Kind 4: started with "Temp" as its working folder, then this program ends
// at once (exit code 0) with its download records left for the next start.
// A move, a delete of "Temp\Download.exe" or an installer's start that
// another program's hold refuses is tried again for a while (RetryWhileHeld,
// download/HeldFileRetry.h; a Cancel before the start ends the waits). A move
// that fails shows "Move File Error" with the system's text (and, after a
// hold, the file the move replaces), and the item fails: nothing is
// installed or started. A start without a process
// shows "Error Retrieving Process ID to wait on." (caption "Error") and the
// item fails. Other kinds: false, nothing moved or shown.
// `status`'s Cancel is asked before each step until an installer is
// started: once pressed, the item fails without a message, nothing is
// installed or started, the received file is let go (and so deleted) and
// "Temp\Download.exe" is deleted. From an installer's start on, Cancel is
// greyed out.
bool InstallDownloadedFile(
    const DownloadServices& services, StatusDialog* status, std::string_view itemLine, ReceivedFile received);

} // namespace gsd
