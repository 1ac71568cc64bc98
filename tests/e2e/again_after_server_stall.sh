#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Runs a scenario, and once more when it failed in a run where PipeWire's
# daemon logged the program's stream late for a graph cycle. That stream is
# played by pipewire-pulse's real-time thread, not the program's: when that
# thread misses a cycle, every stream it plays goes silent for the cycle and
# its recorder loses it, whatever the program did; or when the scenario
# itself could not tell (it leaves its reason in the artefacts' "again").
# Any other failure, or a second one, stands. bench/stress.sh runs its scenario alone, so its bar
# counts every such run.
# usage: again_after_server_stall.sh BUILD-FOLDER ARTEFACT-NAME SCENARIO [ARG...]
set -uo pipefail
usage="usage: $0 BUILD-FOLDER ARTEFACT-NAME SCENARIO [ARG...]"
art=${1:?$usage}/e2e/${2:?$usage}
source "$(dirname "$0")/../../testkit/pipewire.sh"
shift 2
bash "${@:?$usage}"
status=$?
((status != 0)) || exit 0
if [[ -s $art/again ]]; then
    echo "again: $(cat "$art/again")"
else
    read -r stalls _ < <(e2e_missed_cycles "$art" Slonk)
    ((stalls > 0)) || exit $status
    echo "again: the program's stream was late in $stalls of PipeWire's graph cycles in that run"
fi
rm -rf "$art-server-stalled"
mv "$art" "$art-server-stalled"
exec bash "$@"
