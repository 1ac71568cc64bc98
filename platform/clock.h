// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

namespace slonk {

// CLOCK_BOOTTIME: never jumps with the wall clock (midnight, daylight saving,
// NTP) and keeps counting through a suspend, since the challenge runs in real time.
class BootClock final : public Clock
{
public:
    double now() const override;
};

} // namespace slonk
