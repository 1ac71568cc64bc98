#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# usage: weston-run.sh OUTDIR SCENARIO (run under flock /tmp/slonk-e2e.lock)
# Headless weston as testkit/wayland.sh starts it, the probe on it, SCENARIO as in nested-run.sh.
set -u
out=$1; scen=$2; shift 2
rm -rf "$out"; mkdir -p "$out/runtime"; chmod 700 "$out/runtime"
export XDG_RUNTIME_DIR=$out/runtime
cat >"$out/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
locking=false
background-color=0xff204060
${WESTON_SHELL_EXTRA:-}
INI
weston --backend=headless-backend.so --use-pixman --debug --idle-time=0 --width=1024 --height=768 \
  -c "$out/weston.ini" --socket=wayland-p --log="$out/weston.log" >"$out/weston.out" 2>&1 &
wpid=$!
for i in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/wayland-p ]] && break; sleep 0.1; done
export WAYLAND_DISPLAY=wayland-p; unset DISPLAY
mkfifo "$out/in"
WAYLAND_DEBUG=${PROBE_WLDEBUG:-0} PROBE_TICK=1 ${PROBE_CMD:-/tmp/probe/probe} <"$out/in" >"$out/probe.out" 2>"$out/probe.err" &
ppid=$!
exec 3>"$out/in"
while read -r line; do
  case $line in
    sleep*) sleep ${line#sleep } ;;
    sh\ *) eval "${line#sh }" ;;
    *) echo "$line" >&3 ;;
  esac
done <"$scen"
echo quit >&3; exec 3>&-
for i in $(seq 50); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
kill $ppid 2>/dev/null; kill $wpid; wait $wpid 2>/dev/null
