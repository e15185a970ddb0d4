// Starting a program through the shell of the player's desktop, so that it
// runs with the rights of the player who is logged on rather than with this
// program's (which may be an administrator's).
#pragma once

#include <string_view>

#include "ports/Processes.h"

namespace gsd {

// Asks the desktop's folder view for its shell and has it start `program`
// in `workingFolder` (both relative to the game folder), shown normally:
// CoCreateInstance(CLSID_ShellWindows) -> FindWindowSW(CSIDL_DESKTOP,
// SWC_DESKTOP, SWFO_NEEDDISPATCH) -> QueryService(SID_STopLevelBrowser,
// IShellBrowser) -> QueryActiveShellView -> GetItemObject(SVGIO_BACKGROUND,
// IShellFolderViewDual) -> get_Application (IShellDispatch2) ->
// ShellExecute. COM must be initialised on the calling thread (apartment
// threaded). When a step fails, nothing has been started and the result
// names the step and its HRESULT; when no desktop shell runs (a service, a
// session without Explorer) that is the first or second step.
DesktopStart StartFromDesktop(std::string_view program, std::string_view workingFolder);

} // namespace gsd
