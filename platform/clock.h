// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace slonk {

// CLOCK_BOOTTIME: never jumps with the wall clock (midnight, daylight saving,
// NTP) and keeps counting through a suspend, since the challenge runs in real time.
class BootClock final : public Clock
{
public:
    double now() const override;
};

// A timerfd on BootClock's clock: the kernel fires it on time, and at once on
// resuming from a suspend that passed its reading, where a monotonic timer
// would wait out the time it slept as well.
class BootAlarm final : public QObject, public Alarm
{
public:
    BootAlarm();
    ~BootAlarm() override;
    void setAt(double reading, std::function<void()> due) override;
    void cancel() override;

private:
    void fired();

    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> due_;
};

} // namespace slonk
