#pragma once

// The end-to-end driver: runs the program in a throw-away game folder and
// works its windows from outside, as a user would, under Wine or Windows.
// Everything waits by polling a condition with a timeout; nothing sleeps
// for a fixed time.

#include "controls.h" // control texts, states, button clicks
#include "demo_media.h" // CopyDemoMedia, MediaSearchOrder
#include "game_folder.h" // GameFolder, BinFolder
#include "list_view.h" // list-view rows, headings, selection, row clicks
#include "program_run.h" // ProgramRun
#include "remote_memory.h" // RemoteMemory, for messages that carry pointers
#include "screenshot.h" // Screenshot
#include "wait.h" // WaitFor, WaitUntil, timeouts
#include "window_search.h" // WaitForWindow, FindMessageBox, Press
