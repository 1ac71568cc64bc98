#!/usr/bin/env bash
# Takes a screenshot of the real window, frame included, under Xvfb with the
# openbox window manager. Usage: tools/screenshot.sh OUT.png [BUILD-FOLDER]
# Extra environment (QT_SCALE_FACTOR=2, say) passes through to the program.
set -euo pipefail
out=$(realpath -m "${1:?usage: $0 OUT.png [BUILD-FOLDER]}")
build=$(realpath "${2:-$(dirname "$0")/../build}")
title='100 Vured iv 100 Irizeze'

display=:$((90 + RANDOM % 100))
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
# A window mapped while openbox is still starting may never be managed.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
"$build/bin/slonk" 2>/dev/null &
pids+=($!)

window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name "^$title\$" | head -n 1) && [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || { echo "screenshot: the window did not appear" >&2; exit 1; }
sleep 0.5 # let openbox draw its frame
import -frame -window "$window" "$out"
echo "screenshot: $out"
