// The name the installers run under, "Temp\Download.exe", and freeing it of
// an earlier installer: one that another program still holds open (sharing
// deleting, as scanners often do) or that still runs, as an upgrade's
// installer can while the build it started runs, cannot be deleted or
// replaced for a while, but can be renamed away at once. Renamed away, it
// takes one of a few names of this program's own in "Temp", which the next
// start deletes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ports/GameFiles.h"
#include "ports/StatusDialog.h"
#include "protocol/ServerExchange.h"

namespace gsd {

// How many names an installer renamed away can take; one more is never
// made, so the leftovers stay bounded however often it happens.
inline constexpr int InstallerLeftoverNames = 8;

// The `index`th name (from 0) an installer renamed away takes:
// "Temp\Download.exe.old", then "Temp\Download.exe.old2" and on.
std::string InstallerLeftoverPath(int index);

// Renames "Temp\Download.exe" to the first of the leftover names no file
// has yet, and then tries once to delete it under that name (a running or
// held file stays until the next start). nullopt once renamed; otherwise
// the failure of the last rename tried (a name already taken goes on to the
// next name, any other failure ends the tries).
std::optional<FileFailure> RenameInstallerAway(GameFiles& files);

// Deletes "Temp\Download.exe", riding out another program's hold on it as
// RetryWhileHeld does (`status`, may be null, can cancel the waits); a
// hold is first answered by renaming the file away, so that nothing waits
// for a file that can be moved aside. Whatever stays is deleted at the next
// start.
void FreeInstallerName(const ExchangeServices& exchange, const StatusDialog* status, GameFiles& files);

// Moves the received `file` to "Temp\Download.exe", riding out another
// program's hold as RetryWhileHeld does. A move refused by a hold while a
// file still has that name (one deleted while others hold it keeps its name
// until they let go) renames that file away and moves again. nullopt on
// success; otherwise the last failure, and the received file keeps its
// name.
std::optional<FileFailure> MoveToInstallerName(
    const ExchangeServices& exchange, const StatusDialog* status, GameFiles& files, HeldFile& file);

// Start-up: deletes "Temp\Download.exe" and every leftover name, each once,
// whatever the outcome (one still running or held stays for a later start).
void RemoveInstallerLeftovers(GameFiles& files);

} // namespace gsd
