#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The end hides no sanitizer's report: a leak behind a slow teardown still
# ends with LeakSanitizer's exit code and its report, and a thread left
# calling libpulse as the process exits touches nothing freed.
# Usage: end_sanitized.sh PROGRAM
set -euo pipefail
program=${1:?usage: $0 PROGRAM}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
export ASAN_OPTIONS=detect_leaks=1:exitcode=23 LSAN_OPTIONS=exitcode=23

# run WAY EXPECTED-STATUS [TEXT]: that status, and TEXT in what it said.
run() {
    local status=0
    "$program" "$1" >"$out" 2>&1 || status=$?
    if [[ $status != "$2" ]] || { [[ -n ${3:-} ]] && ! grep -qF "$3" "$out"; }; then
        echo "FAIL $1: expected exit code $2${3:+ and \"$3\"}, saw $status: $(grep -m 2 -E 'ERROR|SUMMARY|slonk' "$out" | tr '\n' '|')"
        exit 1
    fi
    echo "$1: exit code $status${3:+, \"$3\"}"
}

run slow-teardown 23 "LeakSanitizer: detected memory leaks"
run thread-at-exit 0
