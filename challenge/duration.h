// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <string>

// Durations and whole numbers as text. Always "." as the decimal
// mark, whatever the locale: the texts are part of the design, not of the user's
// regional settings.
namespace slonk {

// Whole minutes of a duration, rounded toward minus infinity: -0.03 s gives -1.
double getM(double seconds);

// Seconds left over after getM's minutes, as "0.00" with exact halves to even;
// the rounding never carries into the minutes, so 59.996 s gives "60.00".
std::string getS(double seconds);

// number text of getM, "m ", getS, "s": 125.678 s gives "2m 5.68s". A duration
// beyond a million hours either way is pinned there and NaN reads as 0, so the
// text stays short and well formed for any input.
std::string durationText(double seconds);

// A whole number as plain decimal digits with "-" when negative: -0 gives "0".
// Fractions are rounded; NaN and infinities, which no caller passes, give "0".
std::string numberText(double wholeNumber);

} // namespace slonk
