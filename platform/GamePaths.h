// Paths below the game folder, which is the current directory: read whole
// (never into a fixed 260-character buffer) and formed by the rules of
// catalogue/GameFolderPath.h, so that a long game folder gives the right
// path or a clear refusal, never a cut or stale one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/GameFolderPath.h"

namespace gsd {

// The current directory as the system reports it, whatever its length;
// nullopt when the system cannot tell it.
std::optional<std::string> CurrentDirectory();

// The path of `relative` (such as "Media\\*.mdc" or "Temp\\Download.tmp")
// in the game folder: FormGamePath of the current directory. Its Problem is
// set when the current directory cannot be read or the path cannot be
// formed.
GamePath GameFolderPath(std::string_view relative);

// Whether the last-error code of a failed file operation on a
// GameFolderPath means that the system refused the path as too long (as it
// may refuse the extended form with the ANSI functions). Such a failure is
// reported with PathTooLongText.
bool IsPathTooLongError(unsigned long lastError);

} // namespace gsd
