// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <string>
#include <string_view>

// The volume of one shot stays a decimal text from input to output, so
// every volume text is exact however many digits it has: no rounding, no
// overflow, no exponent notation.
namespace slonk {

// The volume text as decimal digits without leading zeros ("007" gives "7").
// Anything but a non-empty run of ASCII digits (empty, "12a", " 5") reads as "0".
std::string readVolume(std::string_view text);

// digits × factor as decimal digits without leading zeros, exact for any length.
// digits is what readVolume gives; a factor below 0 counts as 0.
std::string multiplyVolume(std::string_view digits, int factor);

} // namespace slonk
