// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

#include <chrono>

namespace slonk {

// Leaves the event loop, so no queued event runs after the current one and
// main() returns 0 with everything torn down in order.
class EventLoopEnd final : public ProgramEnd
{
public:
    void end() override;
};

// Once the program's own parts are gone, what is left of the teardown is Qt's
// and the libraries', and that can hang for good (Qt's Wayland client can leave
// a read of its connection prepared and never cancelled, and then waits on it).
// Ends the process with STATUS if it is still running BOUND of real time from
// now, whatever the clocks the program reads are told.
void endWithin(std::chrono::milliseconds bound, int status);

} // namespace slonk
