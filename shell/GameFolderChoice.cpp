#include "shell/GameFolderChoice.h"

#include "shell/SupportLogLines.h"

namespace gsd {

GameFolder ChooseGameFolder(const GameFolderFacts& facts)
{
    if (!facts.workingFolderHoldsEngine && facts.programFolderHoldsEngine) {
        return GameFolder::ProgramsOwn;
    }
    return GameFolder::Working;
}

std::string GameFolderMoveLogLine(std::string_view workingFolder, unsigned long error)
{
    std::string line = "working folder " + LoggedPath(workingFolder) + " holds no Game.dll: ";
    if (error != 0) {
        return line + "moving to the program's own folder failed, error " + std::to_string(error)
            + "; staying in the working folder";
    }
    return line + "working in the program's own folder";
}

} // namespace gsd
