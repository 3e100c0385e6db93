// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/exit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace {

int g_wakeUp[2] = {-1, -1};

// Only what is safe in a signal handler: one byte down the pipe.
void OnSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_wakeUp[1], &byte, 1);
    errno = saved;
}

void CloseAll(QWidget* window) {
    // Innermost first: each modal dialog runs a loop of its own inside the one below it.
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || !dialog->isVisible()) break;
        dialog->reject();
        // The dialog's loop ends when control goes back to it; a later pass closes the window.
        QMetaObject::invokeMethod(
            qApp, [window] { CloseAll(window); }, Qt::QueuedConnection);
        return;
    }
    if (window != nullptr) window->close();
}

}  // namespace

void CloseOnTerminationSignals(QWidget& window) {
    if (g_wakeUp[0] >= 0) return;
    if (pipe2(g_wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* notifier = new QSocketNotifier(g_wakeUp[0], QSocketNotifier::Read, &window);
    QPointer<QWidget> target(&window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [target] {
        char bytes[16];
        while (read(g_wakeUp[0], bytes, sizeof bytes) > 0) {
        }
        CloseAll(target);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}
