#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Regenerates every asset from scratch: the clock icon and the smiley (drawn by
# draw-images with Qt), the cue slonk.wav and the built-in default cue (sox).
# Usage: tools/make-assets.sh [BUILD-FOLDER]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
assets=$here/assets

cmake --build "$build" --target draw-images
"$build/tools/draw-images" "$assets"

# A cue is short and ends in 300 ms of silence: Qt's sound effect drops the
# last 150-180 ms of a sound. 16-bit PCM, 44.1 kHz, stereo.
wav=(-r 44100 -c 2 -b 16 -e signed-integer)
# "Slonk": a low gulp sliding down, then a hollow knock.
sox -n "${wav[@]}" "$assets/gulp.tmp.wav" synth 0.22 sine 520-170 sine 260-90 \
    remix 1,2 1,2 fade q 0.01 0.22 0.12 gain -4
sox -n "${wav[@]}" "$assets/knock.tmp.wav" synth 0.12 sine 140 fade q 0.002 0.12 0.1 gain -6
sox "$assets/gulp.tmp.wav" "$assets/knock.tmp.wav" "${wav[@]}" "$assets/slonk.wav" pad 0 0.3
# The default cue, for a missing or unusable slonk.wav: two short beeps.
sox -n "${wav[@]}" "$assets/beep.tmp.wav" synth 0.08 sine 880 fade q 0.005 0.08 0.02 gain -8
sox "$assets/beep.tmp.wav" "$assets/beep.tmp.wav" "${wav[@]}" "$assets/default-cue.wav" \
    pad 0 0.3
rm -f "$assets"/*.tmp.wav
soxi "$assets/slonk.wav" "$assets/default-cue.wav" | grep -E 'Input|Duration|Sample Rate|Channels|Precision'
