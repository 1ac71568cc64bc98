// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// libFuzzer target: any clock readings (NaN, infinities, denormals, huge or
// negative values, as raw bits) and any volume bytes go through the engine;
// every text that comes out must be well formed.
#include "challenge.h"
#include "duration.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

bool digits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return text.size() == 1 || text.front() != '0';
}

// "-?D+m D+.DDs", minutes without leading zeros, seconds 0.00 to 60.00.
bool durationWellFormed(std::string_view text)
{
    if (text.size() < 8 || text.substr(text.size() - 1) != "s")
        return false;
    const std::size_t m = text.find("m ");
    if (m == std::string_view::npos)
        return false;
    std::string_view minutes = text.substr(0, m);
    if (!minutes.empty() && minutes.front() == '-')
        minutes.remove_prefix(1);
    const std::string_view seconds = text.substr(m + 2, text.size() - m - 3);
    const std::size_t dot = seconds.find('.');
    if (!digits(minutes) || dot == std::string_view::npos || seconds.size() - dot != 3)
        return false;
    const std::string_view whole = seconds.substr(0, dot);
    const std::string_view hundredths = seconds.substr(dot + 1);
    if (!digits(whole) || hundredths.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    return whole.size() == 1 || (whole.size() == 2 && (whole < "60" || seconds == "60.00"));
}

bool shotsWellFormed(std::string_view text)
{
    return digits(text) && text.size() <= 3 && (text.size() < 3 || text == "100");
}

bool volumeWellFormed(std::string_view text)
{
    return text.size() > 2 && text.substr(text.size() - 2) == "ml" &&
           digits(text.substr(0, text.size() - 2));
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2 * sizeof(double))
        return 0;
    double start = 0;
    double now = 0;
    std::memcpy(&start, data, sizeof start);
    std::memcpy(&now, data + sizeof start, sizeof now);
    const std::string_view volume(reinterpret_cast<const char *>(data) + 2 * sizeof(double),
                                  size - 2 * sizeof(double));

    check(durationWellFormed(slonk::durationText(now)));
    check(durationWellFormed(std::string("0m ") + slonk::getS(now) + "s"));

    slonk::ChallengeState state;
    slonk::startChallenge(state, start);
    for (const double reading : {now, start + (now - start) / 2, now}) {
        const slonk::TickResult r = slonk::tickChallenge(state, reading, volume);
        check(durationWellFormed(r.totalTime) && durationWellFormed(r.remainingTime));
        check(shotsWellFormed(r.shotsDone) && shotsWellFormed(r.shotsRemaining));
        check(std::stoi(r.shotsDone) + std::stoi(r.shotsRemaining) == 100);
        check(volumeWellFormed(r.volumeDone) && volumeWellFormed(r.volumeRemaining));
        check(state.LastShots >= 0 && state.LastShots <= 100);
        check((r.decision == slonk::TickDecision::Finish) == (r.shotsDone == "100"));
    }
    return 0;
}
