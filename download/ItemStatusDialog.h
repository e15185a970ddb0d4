// The status dialog of one item as its transfer and installation see it: a
// close of the main dialog asked during the pass reads as its Cancel.
#pragma once

#include <memory>

#include "ports/StatusDialog.h"
#include "shell/MainDialogState.h"

namespace gsd {

// Wraps `dialog` (may be null: the item then runs without one, and only a
// close cancels it); `state` must outlive the result.
std::unique_ptr<StatusDialog> ItemStatusDialog(std::unique_ptr<StatusDialog> dialog, const MainDialogState& state);

} // namespace gsd
