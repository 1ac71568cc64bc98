// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "programend.h"

#include "realtime.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <system_error>
#include <unistd.h>

namespace slonk {
namespace {

// Waits for CANCEL until DEADLINE; whether it came.
bool cancelledBy(int cancel, std::chrono::nanoseconds deadline)
{
    for (;;) {
        const auto left = deadline - realtime::now();
        if (left <= std::chrono::nanoseconds::zero())
            return false;
        pollfd watched{cancel, POLLIN, 0};
        timespec timeout{static_cast<time_t>(left.count() / 1'000'000'000),
                         static_cast<long>(left.count() % 1'000'000'000)};
        // The kernel's own call, as realtime.h has it: the bound is real time.
        const long ready = syscall(SYS_ppoll, &watched, 1, &timeout, nullptr, 0);
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

void EventLoopEnd::end()
{
    QCoreApplication::exit(0);
}

EndWatch::EndWatch(std::chrono::nanoseconds deadline, int status) : cancel_(eventfd(0, EFD_CLOEXEC))
{
    try {
        if (cancel_ < 0)
            throw std::system_error(errno, std::generic_category(), "eventfd");
        watch_ = std::thread([cancel = cancel_, deadline, status] {
            if (cancelledBy(cancel, deadline))
                return;
            static constexpr char Line[] =
                "slonk: ending without the rest of the teardown, which hung\n";
            [[maybe_unused]] const ssize_t said = write(STDERR_FILENO, Line, sizeof Line - 1);
            _exit(status);
        });
    } catch (const std::system_error &error) {
        std::fprintf(stderr, "slonk: the end goes unbounded: %s\n", error.what());
    }
}

EndWatch::~EndWatch()
{
    if (watch_.joinable()) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t told = write(cancel_, &one, sizeof one);
        watch_.join();
    }
    if (cancel_ >= 0)
        close(cancel_);
}

} // namespace slonk
