#include "dll/TestHooks.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace gamedll {
namespace {

// Reads the variable straight from the process environment: the C runtime's
// copy inside this statically linked DLL would miss changes a test makes
// with SetEnvironmentVariable after the DLL was loaded.
std::string environmentVariable(const char* name)
{
    std::string value(256, '\0');
    for (;;) {
        const DWORD n = GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size()));
        if (n == 0) {
            return {};
        }
        if (n < value.size()) {
            value.resize(n);
            return value;
        }
        value.resize(n); // n is the size needed, terminator included
    }
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

void trace(std::string_view line) noexcept
{
    try {
        const std::string path = environmentVariable("GAME_DLL_TRACE");
        if (path.empty()) {
            return;
        }
        const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "ab"));
        if (!file) {
            return;
        }
        std::fwrite(line.data(), 1, line.size(), file.get());
        std::fputc('\n', file.get());
    } catch (...) {
        // Tracing is a test aid; it never disturbs the call it records.
    }
}

namespace {

// True when the comma-separated list in `variable` names `operation`.
bool named(const char* variable, std::string_view operation)
{
    const std::string names = environmentVariable(variable);
    std::string_view rest = names;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view name = rest.substr(0, comma);
        while (!name.empty() && name.front() == ' ') {
            name.remove_prefix(1);
        }
        while (!name.empty() && name.back() == ' ') {
            name.remove_suffix(1);
        }
        if (name == operation) {
            return true;
        }
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    return false;
}

} // namespace

bool failureRequested(std::string_view operation)
{
    return named("GAME_DLL_FAIL", operation);
}

void crashWhenRequested(std::string_view operation)
{
    if (named("GAME_DLL_CRASH", operation)) {
        RaiseException(EXCEPTION_ACCESS_VIOLATION, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }
}

} // namespace gamedll
