// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The arithmetic of one challenge: a shot at START and one at each following
// whole minute, a hundred in all. Everything is recomputed from the clock at
// each tick, so a late, merged or skipped tick never shifts the schedule.
namespace slonk {

inline constexpr double SecondsPerShot = 60;
inline constexpr double ChallengeSeconds = 6000; // from StartInstant, a minute before START
inline constexpr int ShotCount = 100;

struct ChallengeState
{
    double StartInstant = 0;    // clock reading at START less one minute, in seconds
    std::int16_t LastShots = 0; // shots done at the previous tick
};

enum class TickDecision
{
    None,
    Cue,
    Finish
};

struct TickResult
{
    std::string totalTime;       // time since START
    std::string remainingTime;   // time left to the finish
    std::string shotsDone;       // shots due so far, 0 to 100
    std::string shotsRemaining;  // shots still to come
    std::string volumeDone;      // volume of the shots done, in ml
    std::string volumeRemaining; // volume of the shots to come, in ml
    TickDecision decision = TickDecision::None;
};

// Starts the challenge at clock reading now (seconds of a monotonic clock);
// StartInstant lies a minute earlier, so the first tick already counts shot 1.
void startChallenge(ChallengeState &state, double now);

// One tick at clock reading now with the shot volume as typed. Shots are counted
// 0 to 100 whatever the clock says; the first tick at 100 or more gives Finish,
// any other change of the count gives one Cue, even after a jump of minutes.
TickResult tickChallenge(ChallengeState &state, double now, std::string_view volumeText);

// The earliest clock reading at which a tick decides something after the last
// one: the next shot's minute, the hundredth being the finish. A tick at that
// very reading decides, even where the sum behind it rounds down. Before the first tick it is START
// itself.
double nextDecision(const ChallengeState &state);

} // namespace slonk
