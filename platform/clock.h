#pragma once

namespace slonk {

// Seconds of a monotonic clock: only differences between readings mean anything.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
};

// CLOCK_BOOTTIME: never jumps with the wall clock (midnight, daylight saving,
// NTP) and keeps counting through a suspend, since the challenge runs in real time.
class BootClock final : public Clock
{
public:
    double now() const override;
};

} // namespace slonk
