// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace slonk {
namespace {

sigset_t terminationSignals()
{
    sigset_t caught;
    sigemptyset(&caught);
    sigaddset(&caught, SIGTERM);
    sigaddset(&caught, SIGINT);
    sigaddset(&caught, SIGHUP);
    return caught;
}

} // namespace

void blockTerminationSignals()
{
    const sigset_t caught = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &caught, nullptr);
}

void quitOnTerminationSignals(QObject *owner)
{
    const sigset_t caught = terminationSignals();
    const int fd = signalfd(-1, &caught, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd < 0) {
        // Nothing would ever read them: left blocked, they could not end the
        // program at all. Unblocked, they keep their default action and end it.
        pthread_sigmask(SIG_UNBLOCK, &caught, nullptr);
        return;
    }
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [fd] {
        signalfd_siginfo info{};
        while (read(fd, &info, sizeof info) == sizeof info) {
        }
        QCoreApplication::quit();
    });
    QObject::connect(notifier, &QObject::destroyed, [fd] { close(fd); });
}

} // namespace slonk
