// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "duration.h"

#include <array>
#include <charconv>
#include <cmath>

namespace slonk {
namespace {

constexpr double SecondsPerMinute = 60;
constexpr double PinnedSeconds = 3.6e9; // a million hours: far beyond any challenge

std::string fixed(double value, int decimals)
{
    // Large enough for any finite double in fixed notation (309 digits and sign).
    std::array<char, 400> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc{})
        return "0";
    return {buffer.data(), end};
}

} // namespace

double getM(double seconds)
{
    return std::floor(seconds / SecondsPerMinute);
}

std::string getS(double seconds)
{
    double rest = seconds - getM(seconds) * SecondsPerMinute;
    // The remainder lies in [0, 60] for every finite input we meet; this also
    // keeps a tiny negative duration whose quotient underflows to -0 from
    // printing "-0.00", and NaN from printing "nan".
    if (!(rest >= 0))
        rest = 0;
    else if (rest > SecondsPerMinute)
        rest = SecondsPerMinute;
    return fixed(rest, 2);
}

std::string durationText(double seconds)
{
    if (std::isnan(seconds))
        seconds = 0;
    seconds = std::fmin(std::fmax(seconds, -PinnedSeconds), PinnedSeconds);
    return numberText(getM(seconds)) + "m " + getS(seconds) + "s";
}

std::string numberText(double wholeNumber)
{
    if (!std::isfinite(wholeNumber))
        return "0";
    const double rounded = std::round(wholeNumber);
    return fixed(rounded == 0 ? 0.0 : rounded, 0);
}

} // namespace slonk
