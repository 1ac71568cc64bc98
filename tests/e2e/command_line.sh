#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The command line and the display, as a packager's build machine, a terminal
# over ssh and a desktop meet them: --help and --version with no display at
# all, an unknown option, every way of having no display (one line, exit 1,
# never Qt's abort), and a dead Wayland socket beside a live X server.
source "$(dirname "$0")/../../testkit/harness.sh" command-line "${1:?usage: $0 BUILD-FOLDER}"

e2e_stage
program=$ART/app/slonk
runtime=$ART/runtime

# run EXPECTED-STATUS [VAR=VALUE...] -- [ARGUMENT...]: the program in an empty
# environment but for the variables given; its output in $out and $err.
run() {
    local expected=$1 variables=() status=0
    shift
    while [[ $1 != -- ]]; do variables+=("$1"); shift; done
    shift
    env -i HOME="$runtime" "${variables[@]}" timeout 10 "$program" "$@" \
        >"$ART/out.txt" 2>"$ART/err.txt" || status=$?
    out=$(cat "$ART/out.txt") err=$(cat "$ART/err.txt")
    [[ $status -eq $expected ]] ||
        e2e_fail "expected exit $expected from slonk $* (${variables[*]}), saw $status: $err"
}

# one_line TEXT...: stderr is one line holding each TEXT.
one_line() {
    [[ $(wc -l <"$ART/err.txt") -eq 1 ]] || e2e_fail "expected one line on stderr, saw: $err"
    local text
    for text in "$@"; do
        [[ $err == *"$text"* ]] || e2e_fail "expected \"$text\" on stderr, saw: $err"
    done
}

run 0 -- --version
[[ $out == "slonk 1.00" && -z $err ]] || e2e_fail "expected \"slonk 1.00\" alone, saw: $out $err"
run 0 -- --help
[[ $out == "Usage: slonk "* && -z $err ]] || e2e_fail "expected a usage, saw: $out $err"
usage=$out
# The manual page stays true to --help: every option it lists is there.
manual=$(MANWIDTH=200 man -E UTF-8 -l "$E2E_BUILD/packaging/slonk.1" 2>/dev/null)
for option in $(grep -oE -- '--?[a-z][a-z-]*' <<<"$out" | sort -u); do
    grep -qF -- "$option" <<<"$manual" || e2e_fail "expected $option of --help in the manual page"
done
run 0 -- -platform offscreen --help # Qt's options before it change nothing
[[ $out == "$usage" && -z $err ]] || e2e_fail "expected the same usage after Qt's options, saw: $out $err"
run 2 -- --fullscreen
[[ -z $out ]] || e2e_fail "expected nothing on stdout for an unknown option, saw: $out"
one_line "'--fullscreen'"
run 2 -- notes.txt
one_line "'notes.txt'"

# No display, every way. An X display number nobody serves:
for free in $(seq 150 199); do
    [[ -e /tmp/.X$free-lock || -e /tmp/.X11-unix/X$free ]] || break
done
run 1 --
one_line "no display" WAYLAND_DISPLAY DISPLAY
run 1 DISPLAY=:$free --
one_line "no display" "no X server at :$free"
run 1 WAYLAND_DISPLAY=wayland-dead XDG_RUNTIME_DIR="$runtime" --
one_line "no display" "no Wayland compositor at $runtime/wayland-dead"
run 1 WAYLAND_DISPLAY=wayland-dead XDG_RUNTIME_DIR="$runtime" DISPLAY=:$free --
one_line "no Wayland compositor at $runtime/wayland-dead" "no X server at :$free"
run 1 QT_QPA_PLATFORM=wayland XDG_RUNTIME_DIR="$runtime" --
one_line "platform 'wayland'" "no Wayland compositor at $runtime/wayland-0"
run 1 QT_QPA_PLATFORM=wayland --
one_line "platform 'wayland'" "XDG_RUNTIME_DIR unset"
run 1 -- -platform xcb -display :$free
one_line "platform 'xcb'" "no X server at :$free (-display)"
e2e_log "no display: one line and exit 1 in each of 7 ways"

# A dead Wayland socket beside a live X server: the window opens on X11,
# without Qt first failing on Wayland.
e2e_start_x
e2e_no_audio
export WAYLAND_DISPLAY=wayland-dead
e2e_launch
! grep -qi wayland "$ART/slonk.log" ||
    e2e_fail "expected X11 without a try at Wayland, saw: $(grep -i -m1 wayland "$ART/slonk.log")"
e2e_close_window
e2e_expect_exit 10
e2e_log "passed"
