// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "challenge.h"

#include "duration.h"
#include "volume.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace slonk {
namespace {

// Shots done from the seconds since StartInstant, held to 0..100 so that no
// text shows more than the challenge has, and NaN counts as none.
int shotsDone(double elapsed)
{
    const double minutes = getM(elapsed);
    if (!(minutes > 0))
        return 0;
    if (minutes >= ShotCount)
        return ShotCount;
    return static_cast<int>(minutes);
}

} // namespace

void startChallenge(ChallengeState &state, double now)
{
    state.StartInstant = now - SecondsPerShot;
}

TickResult tickChallenge(ChallengeState &state, double now, std::string_view volumeText)
{
    const double elapsed = now - state.StartInstant;
    const int shots = shotsDone(elapsed);
    const std::string volume = readVolume(volumeText);

    TickResult result;
    result.totalTime = durationText(elapsed - SecondsPerShot);
    result.remainingTime = durationText(ChallengeSeconds - elapsed);
    result.shotsDone = numberText(shots);
    result.shotsRemaining = numberText(ShotCount - shots);
    result.volumeDone = multiplyVolume(volume, shots) + "ml";
    result.volumeRemaining = multiplyVolume(volume, ShotCount - shots) + "ml";

    if (shots >= ShotCount) {
        // The finish ends the program, so LastShots is left as it was.
        result.decision = TickDecision::Finish;
        return result;
    }
    result.decision = shots != state.LastShots ? TickDecision::Cue : TickDecision::None;
    state.LastShots = static_cast<std::int16_t>(shots);
    return result;
}

double nextDecision(const ChallengeState &state)
{
    const int shots = std::clamp<int>(state.LastShots, 0, ShotCount - 1) + 1;
    // The sum may round below the minute it stands for: step up to the first
    // reading that counts it, a few steps at most for any clock's reading.
    double due = state.StartInstant + SecondsPerShot * shots;
    for (int step = 0; step < 64 && shotsDone(due - state.StartInstant) < shots; ++step)
        due = std::nextafter(due, std::numeric_limits<double>::infinity());
    return due;
}

} // namespace slonk
