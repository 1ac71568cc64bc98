#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The whole end-to-end suite, again and again, while a busy loop keeps one of
# the two cores fully loaded at the same priority: a scenario that depends on
# a quiet machine fails here. Not part of CI (it takes RUNS × 5 minutes).
# Usage: tests/e2e/under_load.sh BUILD-FOLDER [RUNS]   (default 10)
set -euo pipefail
build=$(realpath "${1:?usage: $0 BUILD-FOLDER [RUNS]}")
runs=${2:-10}

yes >/dev/null &
load=$!
trap 'kill $load' EXIT

failed=0
for run in $(seq "$runs"); do
    started=$SECONDS
    if ctest --test-dir "$build" -L e2e --output-on-failure >"$build/under-load-$run.log" 2>&1; then
        verdict=passed
    else
        verdict="FAILED ($(grep -c 'Failed' "$build/under-load-$run.log" || true) failed, see $build/under-load-$run.log)"
        failed=$((failed + 1))
    fi
    echo "run $run of $runs: $verdict in $((SECONDS - started)) s," \
         "load at $(ps -o %cpu= -p "$load" | tr -d ' ') % of a core"
done
echo "$((runs - failed)) passed, $failed failed"
((failed == 0))
