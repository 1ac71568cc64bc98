// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "realtime.h"

#include <cerrno>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace slonk::realtime {

std::chrono::nanoseconds now()
{
    timespec reading{};
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &reading);
    return std::chrono::seconds(reading.tv_sec) + std::chrono::nanoseconds(reading.tv_nsec);
}

bool waitUntil(std::chrono::nanoseconds deadline, const std::function<bool()> &done)
{
    constexpr timespec Step{0, 1'000'000};
    while (!done()) {
        if (now() >= deadline)
            return false;
        timespec left = Step;
        while (syscall(SYS_clock_nanosleep, CLOCK_MONOTONIC, 0, &left, &left) != 0 &&
               errno == EINTR) {
        }
    }
    return true;
}

} // namespace slonk::realtime
