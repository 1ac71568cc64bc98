// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

#include <chrono>
#include <thread>

namespace slonk {

// Leaves the event loop, so no queued event runs after the current one and
// main() returns 0 with everything torn down in order.
class EventLoopEnd final : public ProgramEnd
{
public:
    void end() override;
};

// The end's one bound. Once the window has closed, the program's own parts
// end within their shares of it, and then Qt's teardown, which can hang for
// good (Qt's Wayland client can leave a read of its connection prepared and
// never cancelled, and then waits on it). Watched from the end's start until
// Qt's teardown has returned: if the process is still in it at DEADLINE (of
// realtime::now()), it ends there with STATUS. Cancelled as it goes, so that
// what runs after (static destructors, a sanitizer's exit checks) always runs
// to the end. Without a thread to watch from, the end goes unbounded, said on
// standard error.
class EndWatch final
{
public:
    EndWatch(std::chrono::nanoseconds deadline, int status);
    ~EndWatch();
    EndWatch(const EndWatch &) = delete;
    EndWatch &operator=(const EndWatch &) = delete;

private:
    int cancel_ = -1; // an eventfd the watch waits on
    std::thread watch_;
};

} // namespace slonk
