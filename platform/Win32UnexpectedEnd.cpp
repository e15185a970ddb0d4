#include "platform/Win32UnexpectedEnd.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

#include "platform/Win32SupportLog.h"
#include "shell/UnexpectedEnd.h"

namespace gsd {
namespace {

constexpr int PointerBits = static_cast<int>(sizeof(void*) * 8);

void Report(std::string_view details, bool showMessage)
{
    Win32SupportLog().Write(UnexpectedEndLogLine(details));
    if (showMessage) {
        ::MessageBoxA(nullptr, UnexpectedEndText(details).c_str(), "Error!", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
}

// Only the first thread to fail reports; a failure while reporting does not
// report again.
volatile LONG reported = 0;

LONG WINAPI LastChance(EXCEPTION_POINTERS* info)
{
    if (::InterlockedExchange(&reported, 1) != 0) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const EXCEPTION_RECORD& record = *info->ExceptionRecord;
    Report(ExceptionDetails(record.ExceptionCode, reinterpret_cast<std::uintptr_t>(record.ExceptionAddress),
               PointerBits),
        record.ExceptionCode != EXCEPTION_STACK_OVERFLOW);
    // Reported: the process ends with the exception's code, without the
    // system's own report on top.
    return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void Terminated()
{
    if (::InterlockedExchange(&reported, 1) == 0) {
        std::string details = "an error that nothing caught";
        if (const std::exception_ptr current = std::current_exception()) {
            try {
                std::rethrow_exception(current);
            } catch (const std::exception& error) {
                details.append(": ").append(error.what());
            } catch (...) {
            }
        }
        Report(details, true);
    }
    std::abort();
}

} // namespace

void ReportUnexpectedEnds()
{
    ::SetUnhandledExceptionFilter(&LastChance);
    std::set_terminate(&Terminated);
}

void ReportUnexpectedEnd(std::string_view details)
{
    Report(details, true);
}

} // namespace gsd
