// The interface texts: the main dialog's caption, control texts and list
// columns in the user's language, and the two text lists every later message
// is taken from (information-and-error text N and on-download text N are
// field N of InfoAndErrorTexts and OnDownloadTexts).
#pragma once

#include "shell/MainDialogState.h"
#include "ports/MainWindow.h"
#include "ports/MediaEngine.h"
#include "ports/OptionsFile.h"

namespace gsd {

// Reads the interface language index from the options file (creating the
// file empty when it is missing), then, in
// one reading pass of Language.mdc in that language: sets the caption and
// the control texts from "Gravelpit DU Main Dialog", switches on full-row
// selection and adds the columns of the local list and then of the server
// list, and keeps "Gravelpit DU Info And Errors" and "Gravelpit DU On
// Download" whole in `state`. A missing resource reads as empty text. When
// the engine refuses a reader, that is reported with a close request and
// the controls, lists and kept texts stay as they were.
void LoadInterfaceTexts(MediaEngine& engine, MainWindow& window, OptionsFile& options, MainDialogState& state);

} // namespace gsd
