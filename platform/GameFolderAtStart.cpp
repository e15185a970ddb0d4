#include "platform/GameFolderAtStart.h"

#include <windows.h>

#include <optional>

#include "platform/GameDllEngine.h"
#include "platform/GamePaths.h"
#include "shell/GameFolderChoice.h"

namespace gsd {
namespace {

// The folder of this program's file; nullopt when the system cannot tell it.
std::optional<std::wstring> ProgramFolder()
{
    std::optional<std::wstring> path = ProgramFile();
    const std::size_t separator = path ? path->find_last_of(L"\\/") : std::wstring::npos;
    if (separator == std::wstring::npos) {
        return std::nullopt;
    }
    path->resize(separator);
    return path;
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The working folder is looked at as the engine's loader will look at it,
// whatever its length.
bool WorkingFolderHoldsEngine()
{
    const WideGamePath engine = GameFolderPath(GameDllFileName);
    return engine.Problem.empty() && IsFile(engine.Path);
}

} // namespace

std::string SettleGameFolder()
{
    const std::optional<std::wstring> working = CurrentDirectory();
    const std::optional<std::wstring> own = ProgramFolder();
    const std::wstring name(GameDllFileName.begin(), GameDllFileName.end());
    const GameFolderFacts facts { WorkingFolderHoldsEngine(), own && IsFile(*own + L"\\" + name) };
    if (ChooseGameFolder(facts) != GameFolder::ProgramsOwn) {
        return {};
    }
    const DWORD error = ::SetCurrentDirectoryW(own->c_str()) ? 0 : ::GetLastError();
    return GameFolderMoveLogLine(working ? ShownPath(*working) : std::string(), error);
}

} // namespace gsd
