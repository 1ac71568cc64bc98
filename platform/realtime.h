// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <chrono>
#include <functional>

// Time as the kernel counts it, for the bounds the program keeps for itself.
// A test that speeds the program's clocks up (libfaketime) wraps the C
// library's clock, sleep and poll calls, and would shrink a 300 ms bound to
// 3 ms: the program would take its give-up paths where users take the normal
// ones. These go to the kernel directly, which no such library wraps.
namespace slonk::realtime {

// CLOCK_MONOTONIC, since an arbitrary point: only differences mean anything.
std::chrono::nanoseconds now();

// Calls DONE every millisecond until it holds or DEADLINE (of now()) has
// passed; whether it held. Meant for the end, where a wait is short and once.
bool waitUntil(std::chrono::nanoseconds deadline, const std::function<bool()> &done);

} // namespace slonk::realtime
