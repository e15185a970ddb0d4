// The window thread: the one thread that makes and handles the program's
// windows. Functions that touch the windows check at their top that they run
// there: a call from a worker would work on a window its thread does not
// own, take the window thread's messages in the worker's place or wait for
// it without end. A call from elsewhere is reported, never refused: the
// function goes on as it would have without the check.
#pragma once

#include <cstdint>

namespace gsd {

// Makes the calling thread the window thread, before its first window. Until
// a thread is marked, no call is reported (a test of an adapter that never
// marks one runs unchecked).
void MarkWindowThread();

// True when the calling thread is the marked window thread, or when none is
// marked.
bool OnWindowThread();

// What is done with a call from another thread: `function` names the
// function called (a literal that outlives the program), `threadId` the
// thread it was called from.
using WrongThreadReport = void (*)(const char* function, std::uint32_t threadId);

// Writes "window thread: <function> called from thread <id>" to the support
// log the first time `function` is reported (later calls of the same
// function add nothing), then, in a debug build, stops the program at an
// assertion.
void LogWrongThreadCall(const char* function, std::uint32_t threadId);

// Replaces the report (LogWrongThreadCall until then); null puts that
// back. Returns the report it replaced. Meant for tests, on the window
// thread while no other thread calls a checked function.
WrongThreadReport SetWrongThreadReport(WrongThreadReport report);

// The check at the top of a function that must run on the window thread:
// when the calling thread is not the window thread, the report is called with
// `function`. A compare of two thread ids otherwise.
void CheckWindowThread(const char* function);

} // namespace gsd
