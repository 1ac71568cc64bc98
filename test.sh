#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Installs what is missing, then builds and runs every test on this machine's
# Debian release: once with warnings as errors, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer. Then builds and runs every
# CTest test again in a root of the other release (scripts/release-root.sh).
# Ends with one line per release.
# Usage: ./test.sh [host|root]   (default both)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/summary.sh
source /etc/os-release
stages=${1:-host root}
jobs=$(nproc)
status=0
lines=()

if [[ $stages == *host* ]]; then
    scripts/deps.sh test
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSLONK_WERROR=ON >/dev/null
    cmake --build build -j "$jobs"
    ctest --test-dir build --output-on-failure -j "$jobs" 2>&1 | tee build/ctest.log || status=1

    cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSLONK_WERROR=ON \
          -DSLONK_SANITIZE=ON -DSLONK_LINK_PULSE=ON >/dev/null
    cmake --build build-sanitize -j "$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0 \
        ctest --test-dir build-sanitize --output-on-failure -j "$jobs" -LE fuzz 2>&1 |
        tee build-sanitize/ctest.log || status=1
    lines+=("Debian $VERSION_ID (host): $(passed build/ctest.log || echo "no tests ran"), and $(
        passed build-sanitize/ctest.log || echo "no tests ran") under the sanitizers")
fi
if [[ $stages == *root* ]]; then
    # Its output as it goes, kept: its last line is the release's.
    root_log=$(mktemp)
    scripts/release-root.sh | tee "$root_log" || status=1
    lines+=("$(tail -n 1 "$root_log")")
    rm -f "$root_log"
fi
printf '%s\n' "${lines[@]}"
exit "$status"
