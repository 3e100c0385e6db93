// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in a terminal, the terminal closed) close
// `window` as its close button does, through the event loop: the signal handler only wakes the
// loop, so the program ends by its normal way out and leaves nothing behind. Open dialogs are
// dismissed first, as they would hold the loop. Call once, when the window exists.
void CloseOnTerminationSignals(QWidget& window);
