#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Installs what is missing, then builds and runs every test on this machine's
# Debian release: once with warnings as errors, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer. Then builds and runs every
# CTest test again in a root of the other release (scripts/release-root.sh).
# Ends with one line per release, saying what ran or where it stopped; fails
# when a stage fails or runs no test.
# Usage: ./test.sh [host|root]   (default both)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/summary.sh
usage() {
    echo "usage: $0 [host|root]   (both when none is named)" >&2
    exit 2
}
case $# in
    0) stages=(host root) ;;
    1) [[ $1 == host || $1 == root ]] || usage; stages=("$1") ;;
    *) usage ;;
esac
jobs=$(nproc)
status=0
lines=()

# tests NAME LOG: NAME set to what CTest's log says ran; a log without a test
# in it fails the run.
tests() {
    local ran
    ran=$(passed "$2") || {
        status=1
        ran="no tests ran (see $2)"
    }
    printf -v "$1" '%s' "$ran"
}

if [[ " ${stages[*]} " == *" host "* ]]; then
    host="$(release_name) (host)"
    if ! scripts/deps.sh test; then
        status=1
        lines+=("$host: did not get as far as the tests: installing packages failed")
    elif ! { cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLONK_WERROR=ON >/dev/null &&
        cmake --build build -j "$jobs"; }; then
        status=1
        lines+=("$host: did not get as far as the tests: the build failed")
    else
        ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs" 2>&1 |
            tee build/ctest.log || status=1
        tests plain build/ctest.log
        if ! { cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSLONK_WERROR=ON \
            -DSLONK_SANITIZE=ON -DSLONK_LINK_PULSE=ON >/dev/null &&
            cmake --build build-sanitize -j "$jobs"; }; then
            status=1
            lines+=("$host: $plain, and the build under the sanitizers failed")
        else
            ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0 \
                ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j "$jobs" -LE fuzz 2>&1 |
                tee build-sanitize/ctest.log || status=1
            tests sanitized build-sanitize/ctest.log
            lines+=("$host: $plain, and $sanitized under the sanitizers")
        fi
    fi
fi
if [[ " ${stages[*]} " == *" root "* ]]; then
    # Its output as it goes, kept: its line is the release's.
    root_log=$(mktemp)
    root_status=0
    scripts/release-root.sh | tee "$root_log" || root_status=$?
    ((root_status == 0)) || status=1
    line=$(grep -E '^Debian [^:]* root\): ' "$root_log" | tail -n 1) ||
        line="The other release's root: ended (status $root_status) without saying how far it got"
    lines+=("$line")
    rm -f "$root_log"
fi
printf '%s\n' "${lines[@]}"
exit "$status"
