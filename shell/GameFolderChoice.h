// Which folder the program works in. The game folder is the one from which
// the game's program runs, and the program is started from it; but a command
// prompt elsewhere, or a shortcut without a working folder, starts it
// somewhere else, where it would find no engine, show a row of errors and
// leave files behind.
#pragma once

#include <string>
#include <string_view>

namespace gsd {

// What the program finds at its start.
struct GameFolderFacts {
    // Whether the working folder holds the game's engine component.
    bool workingFolderHoldsEngine = false;
    // Whether the program's own folder holds it (false when that folder
    // cannot be told).
    bool programFolderHoldsEngine = false;
};

enum class GameFolder {
    // The working folder, as started: the usual case, and the only one the
    // program can take when its own folder offers no engine either.
    Working,
    // The program's own folder, which holds the engine the working folder
    // lacks.
    ProgramsOwn,
};

GameFolder ChooseGameFolder(const GameFolderFacts& facts);

// "working folder <path> holds no Game.dll: working in the program's own
// folder" (the path UTF-8), or, with `error` not 0, that the program could
// not move to its own folder (the system's code) and stays where it was.
std::string GameFolderMoveLogLine(std::string_view workingFolder, unsigned long error);

} // namespace gsd
