#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# usage: nested-run.sh OUTDIR SCENARIO (run under flock /tmp/slonk-e2e.lock)
# Weston on Xvfb (x11 backend, so xdotool gives it a keyboard and pointer),
# two workspaces, the probe (PROBE_CMD) on it; SCENARIO lines: "sleep N",
# "sh CMD" ($WIN is weston's X window), or a command for the probe.
set -u
out=$1; scen=$2; shift 2
rm -rf "$out"; mkdir -p "$out/runtime"; chmod 700 "$out/runtime"
pids=()
cleanup() { for p in "${pids[@]}"; do kill $p 2>/dev/null; done; wait 2>/dev/null; }
trap cleanup EXIT
for n in $(seq 60 199); do [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || break; done
export DISPLAY=:$n
Xvfb $DISPLAY -screen 0 1024x768x24 -nolisten tcp -noreset >"$out/xvfb.log" 2>&1 & pids+=($!)
for i in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable --startup "touch $out/ob.ready" >"$out/ob.log" 2>&1 & pids+=($!)
for i in $(seq 100); do [[ -e $out/ob.ready ]] && break; sleep 0.1; done
export XDG_RUNTIME_DIR=$out/runtime
cat >"$out/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
locking=false
background-color=0xff204060
num-workspaces=2
INI
weston --backend=x11-backend.so --use-pixman --debug --idle-time=0 --width=960 --height=700 \
  -c "$out/weston.ini" --socket=wayland-p --log="$out/weston.log" >"$out/weston.out" 2>&1 & pids+=($!)
for i in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/wayland-p ]] && break; sleep 0.1; done
sleep 1
WIN=$(xdotool search --class '^Weston Compositor$' | head -n1)
echo "weston X window $WIN" >"$out/driver.log"
xdotool windowactivate --sync $WIN >>"$out/driver.log" 2>&1; xdotool windowfocus --sync $WIN >>"$out/driver.log" 2>&1
xdotool mousemove --window $WIN 5 5
mkfifo "$out/in"
(export WAYLAND_DISPLAY=wayland-p; unset DISPLAY; WAYLAND_DEBUG=${PROBE_WLDEBUG:-0} PROBE_TICK=1 exec ${PROBE_CMD:-/tmp/probe/probe} <"$out/in" >"$out/probe.out" 2>"$out/probe.err") &
ppid=$!; pids+=($ppid)
exec 3>"$out/in"
while read -r line; do
  case $line in
    sleep*) sleep ${line#sleep } ;;
    sh\ *) echo "$(date +%s.%3N) $line" >>"$out/driver.log"; eval "${line#sh }" >>"$out/driver.log" 2>&1 ;;
    *) echo "$line" >&3 ;;
  esac
done <"$scen"
echo quit >&3; exec 3>&-
for i in $(seq 50); do kill -0 $ppid 2>/dev/null || break; sleep 0.1; done
