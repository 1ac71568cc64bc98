// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "clock.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>
#include <utility>

namespace slonk {

double BootClock::now() const
{
    timespec reading{};
    clock_gettime(CLOCK_BOOTTIME, &reading);
    return static_cast<double>(reading.tv_sec) + static_cast<double>(reading.tv_nsec) * 1e-9;
}

BootAlarm::BootAlarm() : fd_(timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (fd_ < 0)
        return; // no alarm: the shown window's ticks still decide everything
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &BootAlarm::fired);
}

BootAlarm::~BootAlarm()
{
    notifier_.reset(); // before the descriptor it watches is closed
    if (fd_ >= 0)
        close(fd_);
}

void BootAlarm::setAt(double reading, std::function<void()> due)
{
    due_ = std::move(due);
    if (fd_ < 0 || !std::isfinite(reading))
        return;
    // As a delay on the same clock, which never jumps: the same instant as an
    // absolute setting, and one that tools speeding the clocks up (libfaketime
    // in the tests) scale as well. Rounded up, so that the clock read once it
    // has fired is never short of the reading.
    const double delay = std::max(reading - BootClock().now(), 0.0);
    const double whole = std::floor(delay);
    itimerspec when{};
    when.it_value.tv_sec = static_cast<time_t>(std::min(whole, 1e9));
    when.it_value.tv_nsec = static_cast<long>(std::ceil((delay - whole) * 1e9));
    if (when.it_value.tv_nsec >= 1'000'000'000) {
        ++when.it_value.tv_sec;
        when.it_value.tv_nsec -= 1'000'000'000;
    }
    if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
        when.it_value.tv_nsec = 1; // zero would disarm it: a reading already past fires at once
    timerfd_settime(fd_, 0, &when, nullptr);
}

void BootAlarm::cancel()
{
    due_ = nullptr;
    if (fd_ >= 0) {
        const itimerspec disarmed{};
        timerfd_settime(fd_, 0, &disarmed, nullptr);
    }
}

void BootAlarm::fired()
{
    std::uint64_t expirations = 0;
    if (read(fd_, &expirations, sizeof expirations) != sizeof expirations)
        return; // set again since it fired, or not fired after all
    if (auto due = std::exchange(due_, nullptr))
        due();
}

} // namespace slonk
