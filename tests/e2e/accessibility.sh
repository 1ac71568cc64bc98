#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A screen reader's view: the accessibility tree over AT-SPI on a private
# session bus names every control, and reads the six values with their
# headings, before START and while the challenge runs; and says where each digit
# of the volume box is drawn, for magnifiers and a reader's flat review.
source "$(dirname "$0")/../../testkit/harness.sh" accessibility "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_no_audio
e2e_start_accessibility
e2e_stage
e2e_launch
"$PYTHON" "$(dirname "$0")/a11y_tree.py" before >"$ART/tree-before.txt" 2>"$ART/a11y.err" ||
    e2e_fail "$(tail -n 1 "$ART/a11y.err")"
e2e_shot digits
digits=$("$PYTHON" "$(dirname "$0")/a11y_tree.py" digits "$WID" "$ART/digits.png" 2>"$ART/a11y.err") ||
    e2e_fail "$(tail -n 1 "$ART/a11y.err")"
e2e_log "$digits"
e2e_click_start
e2e_atspi wait-text "Shots Done" 1 10
"$PYTHON" "$(dirname "$0")/a11y_tree.py" after >"$ART/tree-after.txt" 2>"$ART/a11y.err" ||
    e2e_fail "$(tail -n 1 "$ART/a11y.err")"
e2e_close_window
e2e_expect_exit 10
e2e_log "passed"
