// Paths below the game folder (the current directory): the string rules,
// kept apart from the system calls that read the current directory and use
// the paths (platform/GamePaths.h), so that they can be tested anywhere.
//
// A path is never cut to a fixed buffer: one the classic 260-character limit
// cannot hold is handed on in the system's extended-length form ("\\?\"),
// and one that cannot be put in that form is refused with a message, so that
// nothing is ever read from or written to a wrong place.
//
// Paths here are UTF-8, so that a game folder named in any script keeps its
// name; the system's limits count UTF-16 units, and so do these rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gsd {

// The classic limit of a path in UTF-16 units, its terminating NUL included.
inline constexpr std::size_t ClassicPathLimit = 260;

// The limit of an extended-length path in UTF-16 units, its NUL included.
inline constexpr std::size_t ExtendedPathLimit = 32767;

struct GamePath {
    // The path to hand to the system; empty when Problem is set.
    std::string Path;
    // Set when no usable path can be formed: a message for the user.
    std::string Problem;
    // The path the message is about, shown on a line of its own after it;
    // empty when it names none.
    std::string ProblemPath;
};

// The path of `relative` (such as "Media\\*.mdc" or "Temp\\Download.tmp")
// below `gameFolder`, an absolute folder as the system reports it (drive
// "C:\..." or network "\\server\share\..."; a trailing backslash is allowed).
// A result of ClassicPathLimit UTF-16 units or more gets the extended-length
// prefix ("\\?\C:\..." or "\\?\UNC\server\share\..."), with any "/" turned
// into "\". Refused with a Problem: an empty game folder (unknown), and a
// long path that is relative, holds "." or ".." parts, or exceeds even the
// extended limit (PathTooLongText, the joined path its ProblemPath).
GamePath FormGamePath(std::string_view gameFolder, std::string_view relative);

// The message for a path of the game folder that the system refuses as too
// long; the path follows it on a line of its own.
std::string PathTooLongText();

// How many UTF-16 units the UTF-8 `text` takes (a four-byte sequence two,
// every other sequence one).
std::size_t Utf16Length(std::string_view text);

// The message for a file name (in the system's ANSI code page) that the
// code page does not map to characters.
std::string UnspellableNameText(std::string_view name);

} // namespace gsd
