#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Takes a screenshot of the real window, frame included, under Xvfb with the
# openbox window manager (the end-to-end harness's servers).
# Usage: tools/screenshot.sh OUT.png [BUILD-FOLDER]
# Extra environment (QT_SCALE_FACTOR=2, say) passes through to the program.
out=$(realpath -m "${1:?usage: $0 OUT.png [BUILD-FOLDER]}")
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/tests/e2e/harness.sh" screenshot "${2:-$here/build}"

e2e_start_x
e2e_no_audio
e2e_stage
e2e_launch
import -frame -window "$WID" "$out"
echo "screenshot: $out"
