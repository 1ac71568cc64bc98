// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Cost of one tickChallenge call, the work the engine does twenty times a
// second: median and spread of several timed batches, in nanoseconds.
#include "challenge.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main()
{
    using Clock = std::chrono::steady_clock;
    constexpr int Batches = 15;
    constexpr int TicksPerBatch = 200'000;
    constexpr double Start = 86'461.237;

    std::vector<double> nanoseconds;
    std::size_t sink = 0; // keeps the optimiser from dropping the work
    for (int batch = 0; batch < Batches; ++batch) {
        slonk::ChallengeState state;
        slonk::startChallenge(state, Start);
        const auto begin = Clock::now();
        for (int i = 1; i <= TicksPerBatch; ++i) {
            // The batch spans a whole challenge, every minute and the finish.
            const double now = Start + i * (5940.0 / TicksPerBatch);
            const slonk::TickResult result = slonk::tickChallenge(state, now, "35");
            sink += result.totalTime.size() + static_cast<std::size_t>(result.decision);
        }
        const std::chrono::duration<double, std::nano> spent = Clock::now() - begin;
        nanoseconds.push_back(spent.count() / TicksPerBatch);
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    std::printf("tickChallenge: median %.0f ns, min %.0f ns, max %.0f ns (%d batches of %d ticks)"
                " [%zu]\n",
                nanoseconds[Batches / 2], nanoseconds.front(), nanoseconds.back(), Batches,
                TicksPerBatch, sink % 10);
    return 0;
}
