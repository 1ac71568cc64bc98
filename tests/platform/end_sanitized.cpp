// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// The program's end as the sanitizers see it, one way per run:
//   slow-teardown   the end's watch over a teardown slow but not hung, and
//                   memory leaked: the leak check after it must run whole.
//   thread-at-exit  a thread still calling libpulse through the program's
//                   table while the process exits, as libpulse's own thread
//                   and a cue thread in a hung file read do.
#include "programend.h"
#include "pulseapi.h"
#include "realtime.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace std::chrono_literals;

namespace {

void *volatile kept = nullptr;

int slowTeardown()
{
    slonk::EndWatch watch(slonk::realtime::now() + 500ms, 0);
    for (int block = 0; block < 200; ++block)
        kept = new char[64]; // each lost to the next
    kept = nullptr;
    slonk::realtime::waitUntil(slonk::realtime::now() + 400ms, [] { return false; });
    return 0;
}

int threadAtExit()
{
    // Run after whatever the table's first use leaves for exit to do, and
    // long enough for the thread to call through it meanwhile, as
    // LeakSanitizer's check at exit is.
    std::atexit(
        [] { slonk::realtime::waitUntil(slonk::realtime::now() + 50ms, [] { return false; }); });
    if (!slonk::pulseApi())
        return 2;
    std::thread([] {
        for (;;)
            slonk::pulseApi()->rtclock_now();
    }).detach();
    slonk::realtime::waitUntil(slonk::realtime::now() + 50ms, [] { return false; });
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const char *way = argc > 1 ? argv[1] : "";
    if (std::strcmp(way, "slow-teardown") == 0)
        return slowTeardown();
    if (std::strcmp(way, "thread-at-exit") == 0)
        return threadAtExit();
    std::fputs("usage: end_sanitized slow-teardown|thread-at-exit\n", stderr);
    return 2;
}
