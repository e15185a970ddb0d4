#include "platform/GameFolderAtStart.h"

#include <windows.h>

#include <optional>

#include "platform/GameDllEngine.h"
#include "platform/GamePaths.h"
#include "shell/GameFolderChoice.h"

namespace gsd {
namespace {

// The folder of this program's file, whatever its length; nullopt when the
// system cannot tell it.
std::optional<std::wstring> ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::nullopt;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return std::nullopt;
    }
    path.resize(separator);
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
