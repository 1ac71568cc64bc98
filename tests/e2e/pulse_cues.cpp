// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Drives the cue's own PulseCues one command at a time, so that a script can
// stop the sound server or look at its streams between two commands:
//   prepare RATE CHANNELS BITS       a spare stream for cues of that format
//   play RATE CHANNELS BITS [late]   a short cue of that format, due now, or
//                                    due so long ago that it is past the deadline
// Prints "ok" once a command is handed over; ends at the end of its input.
//
// usage: pulse_cues DEADLINE-MS
#include "pulseapi.h"
#include "pulsecues.h"

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: pulse_cues DEADLINE-MS\n", stderr);
        return 2;
    }
    const std::chrono::milliseconds deadline{std::stoi(argv[1])};
    std::unique_ptr<slonk::PulseCues> cues;
    if (slonk::pulseApi())
        cues = slonk::PulseCues::create({"pulse_cues", "pulse_cues", "", "1"}, deadline);
    if (!cues)
        return 1;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string verb, late;
        slonk::CueSamples cue;
        words >> verb >> cue.rate >> cue.channels >> cue.bits >> late;
        if (verb == "prepare") {
            cues->prepare(cue);
        } else if (verb == "play") {
            cue.verdict = slonk::WavVerdict::Usable;
            // A tenth of a second of silence: what is heard is not the point.
            cue.data.fill(cue.bits == 8 ? '\x80' : '\0', cue.rate * cue.channels * cue.bits / 80);
            const auto now = slonk::PulseCues::Instant::clock::now();
            cues->play(cue, late == "late" ? now - deadline - std::chrono::seconds(1) : now);
        } else {
            std::fprintf(stderr, "pulse_cues: no such command: %s\n", line.c_str());
            return 2;
        }
        std::puts("ok");
        std::fflush(stdout);
    }
    return 0;
}
