// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "programend.h"

#include <QCoreApplication>
#include <cerrno>
#include <sys/syscall.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace slonk {

void EventLoopEnd::end()
{
    QCoreApplication::exit(0);
}

void endWithin(std::chrono::milliseconds bound, int status)
{
    std::thread([bound, status] {
        // The kernel's own call: a library that speeds the program's clocks up
        // wraps the C library's sleeps, and must not shorten this one.
        timespec left{static_cast<time_t>(bound.count() / 1000),
                      static_cast<long>(bound.count() % 1000 * 1000000)};
        while (syscall(SYS_clock_nanosleep, CLOCK_MONOTONIC, 0, &left, &left) != 0 &&
               errno == EINTR) {
        }
        static constexpr char Line[] =
            "slonk: ending without the rest of the teardown, which hung\n";
        [[maybe_unused]] const ssize_t said = write(STDERR_FILENO, Line, sizeof Line - 1);
        _exit(status);
    }).detach();
}

} // namespace slonk
