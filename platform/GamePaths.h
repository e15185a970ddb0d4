// Paths below the game folder, which is the current directory: read whole
// (never into a fixed 260-character buffer) and formed by the rules of
// catalogue/GameFolderPath.h, so that a long game folder gives the right
// path or a clear refusal, never a cut or stale one.
//
// The game folder's name is the player's and may hold characters that the
// system's ANSI code page cannot spell, so a path leaves here in UTF-16 for
// the wide (W) functions. The names the program adds below the folder are
// text of the program or of the server, in the ANSI code page; they are
// widened through that code page, as the ANSI functions would.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/GameFolderPath.h"

namespace gsd {

// A path of the game folder for the wide file functions.
struct WideGamePath {
    // The path to hand to the system; empty when Problem is set.
    std::wstring Path;
    // Set when no usable path can be formed: a message for the user, in the
    // ANSI code page.
    std::string Problem;
    // The path the message is about (as ShownPath gives it), to be shown on
    // a line of its own after it; empty when it names none.
    std::string ProblemPath;
};

// The current directory as the system reports it, whatever its length and
// its characters; nullopt when the system cannot tell it.
std::optional<std::wstring> CurrentDirectory();

// The full path of this program's file (GetModuleFileNameW), whatever its
// length and its characters; nullopt when the system cannot tell it.
std::optional<std::wstring> ProgramFile();

// The path of `relative` (such as "Media\\*.mdc" or "Temp\\Download.tmp",
// in the ANSI code page) in the game folder: FormGamePath of the current
// directory. Its Problem is set when the current directory cannot be read,
// `relative` holds bytes the code page does not map, or the path cannot be
// formed.
WideGamePath GameFolderPath(std::string_view relative);

// GameFolderPath of a folder, ending in a backslash as the shell wants a
// working folder ("" names the game folder itself).
WideGamePath GameFolderDirectory(std::string_view relative);

// `text` (ANSI code page) widened; nullopt when it holds a byte sequence the
// code page does not map (MultiByteToWideChar with MB_ERR_INVALID_CHARS).
std::optional<std::wstring> WidenedName(std::string_view text);

// `path` in UTF-8, as it is named on disk, for showing it in a message or
// the support log only (both take it apart from the texts of the code page).
// Never use the result to name a file.
std::string ShownPath(std::wstring_view path);

// `name` (ANSI code page) as ShownPath gives a path, for the same uses.
std::string ShownName(std::string_view name);

// The game folder (the current directory) as ShownPath gives it; empty when
// the system cannot tell it.
std::string ShownGameFolder();

// A name the system reported in UTF-16 (a found file's) in the ANSI code
// page; nullopt when the code page cannot spell it exactly.
std::optional<std::string> NarrowedName(std::wstring_view name);

// Whether the last-error code of a failed file operation on a
// GameFolderPath means that the system refused the path as too long. Such a
// failure is reported with PathTooLongText.
bool IsPathTooLongError(unsigned long lastError);

} // namespace gsd
