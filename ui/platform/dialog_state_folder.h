// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The file dialogs' saved state (history, last folder, view) is kept in a private folder of
// this run, so that no run reads or writes the user's configuration. The folder is made when a
// dialog first needs it, under XDG_RUNTIME_DIR when there is one (per user, cleared at logout),
// else in the temporary folder, and removed whenever the program ends, by a return from main
// or by exit() (the X11 connection lost); only what is inside it is removed, and never through
// a link.
//
// Until a dialog needs it, and when no folder can be made, the state is kept nowhere.
void KeepDialogStateInThisRun();
// Makes the folder, once; run it before any file dialog is shown.
void MakeDialogStateFolder();
// The folder, empty while there is none.
QString DialogStateFolder();
// Removes the folder and what it holds; nothing when there is none or it is no longer the
// folder that was made (another file or a link in its place).
void RemoveDialogStateFolder();
