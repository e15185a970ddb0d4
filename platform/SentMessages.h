// Answering the messages other programs send to this thread's windows while
// the thread is busy with work that must stay on it (reading the media
// folder through Game.dll, which is made for the main window's thread;
// closing the status dialog and painting what it uncovered) or waits for
// something short of its own (handles being released on a worker), so that
// the system's check whether the program still answers never finds it
// frozen.
#pragma once

#include <windows.h>

namespace gsd {

// Handles every message sent to the thread's windows and waiting now, then
// returns at once. Nothing posted is taken and nothing is painted: no input
// reaches a window meanwhile, so the work in progress is never entered
// again. Under Wine the look also counts as the thread going idle, which
// copies the windows' pictures to the display as they stand: call it where
// they are whole.
inline void AnswerSentMessages()
{
    MSG message {};
    ::PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

// Paints at once every part of `window` and its controls that waits for
// painting, and nothing else: what makes its picture whole before an answer.
inline void PaintWhatWaits(HWND window)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

} // namespace gsd
