#include "platform/GameDllEngine.h"

#include "engine/EngineImage.h"

#include <string>
#include <utility>

namespace gsd {

namespace {

// Returned when the engine could not even be reached.
constexpr int EngineUnavailable = -1;

// One reading pass's reader object. Releases it on destruction; every read is
// copied and ended before the text is handed on.
class GameDllReader final : public MediaReader {
public:
    explicit GameDllReader(game_dll::MediaResourceReader* reader) : reader_(reader) { reader_->Begin(); }
    ~GameDllReader() override { reader_->Release(); }

    GameDllReader(const GameDllReader&) = delete;
    GameDllReader& operator=(const GameDllReader&) = delete;

    void OpenMediaFile(std::string_view fileName) override { reader_->OpenMediaFile(std::string(fileName).c_str()); }

    std::optional<std::string> ReadResourceText(std::string_view key) override
    {
        std::optional<std::string> text;
        if (const char* found = reader_->ReadResourceText(std::string(key).c_str(), "txt", "txt")) {
            text.emplace(found);
        }
        reader_->EndResourceRead();
        return text;
    }

    void SelectLanguage(std::string_view languageName) override
    {
        reader_->SelectLanguage(std::string(languageName).c_str());
    }

private:
    game_dll::MediaResourceReader* reader_;
};

template <typename Fn>
Fn Export(HMODULE library, const char* name)
{
    // GetProcAddress hands out a generic function pointer; the export's real
    // type is fixed by the engine's interface.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

constexpr ImageBitness ThisProgramsBitness = sizeof(void*) == 8 ? ImageBitness::Bits64 : ImageBitness::Bits32;

// The leading bytes of the Game.dll at `path`; empty when there is none or
// it cannot be read.
std::string GameDllLeadingBytes(const std::wstring& path)
{
    const unique_file file(::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return {};
    }
    std::string bytes(ImageHeaderBytes, '\0');
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

// Loads the library at `path`, resolving its own imports from its folder
// and the system's. Systems without the safe search flags refuse them as
// an invalid parameter; they get the older form of the same search.
HMODULE LoadLibraryByPath(const std::wstring& path)
{
    // Without a full path (the game folder could not be read) the loader
    // would search for the name: nothing is loaded then.
    if (path.empty()) {
        return nullptr;
    }
    HMODULE loaded = ::LoadLibraryExW(
        path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (loaded == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        loaded = ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return loaded;
}

} // namespace

GameDllEngine::GameDllEngine(HWND window, HINSTANCE instance, std::wstring libraryPath)
    : window_(window)
    , instance_(instance)
    , libraryPath_(std::move(libraryPath))
{
}

bool GameDllEngine::Load()
{
    library_.reset(LoadLibraryByPath(libraryPath_));
    const DWORD loadError = ::GetLastError();
    if (!library_) {
        // A Game.dll of the other bitness is there but can never load into
        // this process: the user needs the program's other build.
        if (loadError == ERROR_BAD_EXE_FORMAT) {
            unavailableReason_ = EngineBitnessMismatchText(ImageBitnessOf(GameDllLeadingBytes(libraryPath_)), ThisProgramsBitness);
        }
        return false;
    }
    createSystem_ = Export<game_dll::CreateSystemFn>(library_.get(), "CreateSystem");
    destroySystem_ = Export<game_dll::DestroySystemFn>(library_.get(), "DestroySystem");
    executeSystem_ = Export<game_dll::ExecuteSystemFn>(library_.get(), "ExecuteSystem");
    createInterface_ = Export<game_dll::CreateInterfaceFn>(library_.get(), "CreateInterface");
    if (!createSystem_ || !destroySystem_ || !executeSystem_ || !createInterface_) {
        createSystem_ = nullptr;
        destroySystem_ = nullptr;
        executeSystem_ = nullptr;
        createInterface_ = nullptr;
        library_.reset();
        return false;
    }
    return true;
}

int GameDllEngine::CreateSystem()
{
    if (!library_ && !Load()) {
        return EngineUnavailable;
    }
    return createSystem_(window_, instance_);
}

std::string GameDllEngine::UnavailableReason() const
{
    return unavailableReason_;
}

int GameDllEngine::DestroySystem()
{
    return destroySystem_ ? destroySystem_() : 0;
}

void GameDllEngine::ExecuteSystem()
{
    if (executeSystem_) {
        executeSystem_();
    }
}

std::unique_ptr<MediaReader> GameDllEngine::CreateReader()
{
    if (!createInterface_) {
        return nullptr;
    }
    void* object = nullptr;
    if (createInterface_(game_dll::MediaResourceReaderKind, &object) != 0 || object == nullptr) {
        return nullptr;
    }
    return std::make_unique<GameDllReader>(static_cast<game_dll::MediaResourceReader*>(object));
}

} // namespace gsd
