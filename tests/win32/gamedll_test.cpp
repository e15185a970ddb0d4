// The stand-in Game.dll, loaded the way the program loads it, in a throw-away
// game folder whose Media folder holds packs made by mdctool.exe. The reader
// is used through a class of its own with the slot order the program relies
// on, so a change of the DLL's slot order fails here.

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Outside the anonymous namespace on purpose: a class with internal linkage
// and no implementation in this program lets the compiler conclude that its
// virtual functions can never be called, and it drops the calls.
namespace gamedll_test {

class SlotOrderReader {
public:
    virtual void Release() = 0;
    virtual void Begin() = 0;
    virtual int OpenMediaFile(const char* fileName) = 0;
    virtual const char* ReadResourceText(const char* name, const char* type, const char* format) = 0;
    virtual void EndResourceRead() = 0;
    virtual void SelectLanguage(const char* languageName) = 0;

protected:
    ~SlotOrderReader() = default;
};

} // namespace gamedll_test

namespace {

using gamedll_test::SlotOrderReader;

using CreateSystemFn = int (*)(HWND, HINSTANCE);
using NoArgumentFn = int (*)();
using CreateInterfaceFn = int (*)(int, void**);

constexpr const char* kLanguageManifest = "txt * Gravelpit Languages = |English|Francais\n"
                                          "txt * Gravelpit Version = 1|0|3\n"
                                          "txt English Gravelpit DU Main Dialog = Secure Download|Intro\n"
                                          "txt Francais Gravelpit DU Main Dialog = T\xE9l\xE9"
                                          "chargement|Intro\n"
                                          "txt * Gravelpit DU Info And Errors = No server|Retry|Cancel\n"
                                          "zeros bin * Gravelpit DU On Download = 1M\n";
constexpr const char* kBricksManifest = "txt * Gravelpit Objects = 1\n"
                                        "txt * Gravelpit Object Pack Title = Bricks\n"
                                        "txt Francais Gravelpit Object Pack Title = Briques\n";

std::string currentDirectory()
{
    char buffer[MAX_PATH];
    const DWORD n = GetCurrentDirectoryA(MAX_PATH, buffer);
    return std::string(buffer, n < MAX_PATH ? n : 0);
}

// Game.dll and mdctool.exe are built beside the test program, wherever the
// test runner starts it from.
std::string programDirectory()
{
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    const std::string path(buffer, n < MAX_PATH ? n : 0);
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void writeFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

// Runs a program to its end; its exit code, or -1 when it cannot start.
int runProgram(const std::string& commandLine)
{
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        return -1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

// The text of a read, or "<null>", ending the read as the program does.
std::string readText(SlotOrderReader* reader, const char* name)
{
    const char* text = reader->ReadResourceText(name, "txt", "txt");
    std::string copy = text != nullptr ? std::string(text) : std::string("<null>");
    reader->EndResourceRead();
    return copy;
}

class GameDllTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        startDir_ = currentDirectory();
        binDir_ = programDirectory();
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0U);
        folder_ = std::string(temp) + "gamedll_test_" + std::to_string(GetCurrentProcessId()) + "_"
            + std::to_string(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA((folder_ + "\\Media").c_str(), nullptr));
        pack("Language", kLanguageManifest);
        pack("Bricks", kBricksManifest);
        writeFile(folder_ + "\\Media\\Broken.mdc", "not a media pack");
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));

        dll_ = LoadLibraryA((binDir_ + "\\Game.dll").c_str());
        ASSERT_NE(dll_, nullptr) << "Game.dll beside the tests";
        createSystem_ = procedure<CreateSystemFn>("CreateSystem");
        destroySystem_ = procedure<NoArgumentFn>("DestroySystem");
        executeSystem_ = procedure<NoArgumentFn>("ExecuteSystem");
        createInterface_ = procedure<CreateInterfaceFn>("CreateInterface");
        ASSERT_TRUE(createSystem_ && destroySystem_ && executeSystem_ && createInterface_);
    }

    void TearDown() override
    {
        if (dll_ != nullptr) {
            FreeLibrary(dll_);
        }
        SetCurrentDirectoryA(startDir_.c_str());
        SetEnvironmentVariableA("GAME_DLL_TRACE", nullptr);
        SetEnvironmentVariableA("GAME_DLL_FAIL", nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    void pack(const std::string& name, const std::string& manifest)
    {
        const std::string manifestPath = folder_ + "\\" + name + ".manifest";
        writeFile(manifestPath, manifest);
        const std::string command = "\"" + binDir_ + "\\mdctool.exe\" pack \"" + folder_ + "\\Media\\" + name
            + ".mdc\" \"" + manifestPath + "\"";
        ASSERT_EQ(runProgram(command), 0) << command;
    }

    // Looked up by the undecorated name, as the program does.
    template <typename Fn> Fn procedure(const char* name)
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
    }

    SlotOrderReader* createReader()
    {
        void* object = nullptr;
        EXPECT_EQ(createInterface_(16, &object), 0);
        auto* reader = static_cast<SlotOrderReader*>(object);
        if (reader != nullptr) {
            reader->Begin();
        }
        return reader;
    }

    std::string startDir_;
    std::string binDir_;
    std::string folder_;
    HMODULE dll_ = nullptr;
    CreateSystemFn createSystem_ = nullptr;
    NoArgumentFn destroySystem_ = nullptr;
    NoArgumentFn executeSystem_ = nullptr;
    CreateInterfaceFn createInterface_ = nullptr;
};

TEST_F(GameDllTest, ReadsTheSelectedLanguageFallingBackToNeutralTexts)
{
    struct Case {
        const char* language;
        const char* dialog;
    } cases[] = {
        { "English", "Secure Download|Intro" },
        { "Francais",
            "T\xE9l\xE9"
            "chargement|Intro" },
        { "Deutsch", "<null>" }, // no neutral main-dialog text to fall back to
        { "", "<null>" },
    };
    ASSERT_EQ(createSystem_(nullptr, GetModuleHandleA(nullptr)), 0);
    SlotOrderReader* reader = createReader();
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->OpenMediaFile("Language.mdc"), 0);
    EXPECT_EQ(readText(reader, "Gravelpit Languages"), "|English|Francais");
    for (const Case& c : cases) {
        reader->SelectLanguage(c.language);
        EXPECT_EQ(readText(reader, "Gravelpit DU Main Dialog"), c.dialog) << c.language;
        EXPECT_EQ(readText(reader, "Gravelpit DU Info And Errors"), "No server|Retry|Cancel") << c.language;
        // A payload of the same name is never a text.
        EXPECT_EQ(readText(reader, "Gravelpit DU On Download"), "<null>") << c.language;
    }
    reader->Release();
    EXPECT_EQ(executeSystem_(), 0);
    EXPECT_EQ(destroySystem_(), 0);
}

TEST_F(GameDllTest, SelectedLanguageStaysWhenAnotherFileBecomesCurrent)
{
    SlotOrderReader* reader = createReader();
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->OpenMediaFile("Language.mdc"), 0);
    reader->SelectLanguage("Francais");
    ASSERT_EQ(reader->OpenMediaFile("Bricks.mdc"), 0);
    EXPECT_EQ(readText(reader, "Gravelpit Object Pack Title"), "Briques");
    EXPECT_EQ(readText(reader, "Gravelpit Languages"), "<null>");
    ASSERT_EQ(reader->OpenMediaFile("Language.mdc"), 0);
    EXPECT_EQ(readText(reader, "Gravelpit Object Pack Title"), "<null>");
    reader->Release();
}

TEST_F(GameDllTest, ReadsTheNewFileAfterTheCurrentOneIsReplaced)
{
    SlotOrderReader* reader = createReader();
    ASSERT_NE(reader, nullptr);
    ASSERT_EQ(reader->OpenMediaFile("Language.mdc"), 0);
    EXPECT_EQ(readText(reader, "Gravelpit Languages"), "|English|Francais");
    pack("NewLanguage", "txt * Gravelpit Languages = |English|Francais|Italiano\n");
    ASSERT_TRUE(MoveFileExA((folder_ + "\\Media\\NewLanguage.mdc").c_str(), (folder_ + "\\Media\\Language.mdc").c_str(),
        MOVEFILE_REPLACE_EXISTING))
        << "error " << GetLastError();
    EXPECT_EQ(readText(reader, "Gravelpit Languages"), "|English|Francais|Italiano");
    reader->Release();
}

TEST_F(GameDllTest, MissingOrBrokenFilesLeaveNoFileCurrent)
{
    SlotOrderReader* reader = createReader();
    ASSERT_NE(reader, nullptr);
    for (const char* name : { "Missing.mdc", "Broken.mdc", "..\\Media\\Bricks.mdc", "" }) {
        ASSERT_EQ(reader->OpenMediaFile("Bricks.mdc"), 0);
        EXPECT_NE(reader->OpenMediaFile(name), 0) << name;
        EXPECT_EQ(readText(reader, "Gravelpit Objects"), "<null>") << name;
    }
    ASSERT_EQ(reader->OpenMediaFile("Bricks.mdc"), 0);
    EXPECT_EQ(reader->ReadResourceText("Gravelpit Objects", "txt", "bin"), nullptr);
    reader->EndResourceRead();
    reader->Release();
}

TEST_F(GameDllTest, CreateInterfaceMakesOnlyTheMediaReader)
{
    for (const int kind : { 0, 15, 17, -16 }) {
        void* object = this;
        EXPECT_NE(createInterface_(kind, &object), 0) << kind;
        EXPECT_EQ(object, nullptr) << kind;
    }
    EXPECT_NE(createInterface_(16, nullptr), 0);
}

TEST_F(GameDllTest, TraceRecordsEveryCallAndFailHookFailsTheNamedExports)
{
    const std::string tracePath = folder_ + "\\trace.txt";
    SetEnvironmentVariableA("GAME_DLL_TRACE", tracePath.c_str());
    SetEnvironmentVariableA("GAME_DLL_FAIL", "CreateSystem, CreateInterface");
    EXPECT_EQ(createSystem_(nullptr, nullptr), 1);
    void* object = this;
    EXPECT_EQ(createInterface_(16, &object), 1);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(destroySystem_(), 0);
    SetEnvironmentVariableA("GAME_DLL_FAIL", "DestroySystem");
    EXPECT_EQ(destroySystem_(), 1);
    EXPECT_EQ(createSystem_(nullptr, nullptr), 0);
    SetEnvironmentVariableA("GAME_DLL_FAIL", nullptr);

    SlotOrderReader* reader = createReader();
    ASSERT_NE(reader, nullptr);
    reader->OpenMediaFile("Language.mdc");
    readText(reader, "Gravelpit Languages");
    reader->SelectLanguage("English");
    reader->Release();
    executeSystem_();

    std::ifstream trace(tracePath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(trace, line);) {
        lines.push_back(line);
    }
    const std::vector<std::string> expected = {
        "CreateSystem",
        "CreateInterface 16",
        "DestroySystem",
        "DestroySystem",
        "CreateSystem",
        "CreateInterface 16",
        "Begin",
        "OpenMediaFile Language.mdc",
        "ReadResourceText Gravelpit Languages",
        "EndResourceRead",
        "SelectLanguage English",
        "Release",
        "ExecuteSystem",
    };
    EXPECT_EQ(lines, expected);
}

} // namespace
