#include "program_run.h"

#include "game_folder.h"

#include <cstring>
#include <map>
#include <stdexcept>

namespace gsd::e2e {
namespace {

// Windows compares environment names without regard to case.
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const { return _stricmp(a.c_str(), b.c_str()) < 0; }
};

// This process's environment with extra applied, as a CreateProcessA block:
// "NAME=value\0" entries followed by one more NUL.
std::string EnvironmentBlock(const Environment& extra)
{
    std::map<std::string, std::string, NoCaseLess> vars;
    // Entries whose name starts with '=' (per-drive current folders) must
    // survive too; they sort first and are kept by their full text.
    std::vector<std::string> hidden;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry; entry += strlen(entry) + 1) {
            const std::string text = entry;
            const size_t eq = text.find('=', 1);
            if (text[0] == '=' || eq == std::string::npos) {
                hidden.push_back(text);
            } else {
                vars[text.substr(0, eq)] = text.substr(eq + 1);
            }
        }
        FreeEnvironmentStringsA(block);
    }
    for (const auto& [name, value] : extra)
        vars[name] = value;
    std::string out;
    for (const std::string& text : hidden)
        out += text + '\0';
    for (const auto& [name, value] : vars)
        out += name + '=' + value + '\0';
    out += '\0';
    return out;
}

} // namespace

ProgramRun::ProgramRun(const std::string& exe, const std::string& working_dir, const Environment& extra_env)
{
    std::string env = EnvironmentBlock(extra_env);
    // Paths in UTF-8: a game folder may be named in any script.
    std::wstring command_line = L"\"" + Widened(exe) + L"\"";
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info {};
    if (!CreateProcessW(Widened(exe).c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, env.data(),
            Widened(working_dir).c_str(), &startup, &info)) {
        throw std::runtime_error("CreateProcessW " + exe + " (error " + std::to_string(GetLastError()) + ")");
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    pid_ = info.dwProcessId;
}

ProgramRun::ProgramRun(const GameFolder& game, const Environment& extra_env)
    : ProgramRun(game.PathOf("SecureDownload.exe"), game.Path(), extra_env)
{
}

ProgramRun::~ProgramRun()
{
    if (IsRunning())
        Kill();
}

std::optional<DWORD> ProgramRun::WaitForExit(milliseconds timeout) const
{
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

void ProgramRun::Kill()
{
    TerminateProcess(process_.get(), 1);
    WaitForExit();
}

} // namespace gsd::e2e
