#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Slonk beside what a person would use instead: KTeaTime in the tray, GNOME
# Clocks with a timer (as it draws by default here, and with its cairo
# renderer) and a tab of firefox-esr showing a page that rewrites six values
# every 50 ms (bench/peers-page.html). All on one Xvfb display with openbox, a
# session bus, the accessibility bus and a tray, no sound server; measured the
# same way, in turn, in a new order every run (bench/peers.py) with an X
# watcher driven by the server's events (bench/xwatch.c). Prints one table.
# Installs the peers from Debian's archive. Figures only; about 15 minutes.
# Usage: bench/peers.sh [RUNS]   (default 5)
set -euo pipefail
runs=${1:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
began=$SECONDS
scripts/deps.sh test

# The peers are nobody's dependency but this command's.
peers=(gnome-clocks kteatime firefox-esr trayer)
missing=()
for package in "${peers[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done
if [[ ${#missing[@]} -gt 0 ]]; then
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release --target slonk xwatch >/dev/null

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)," \
     "$(. /etc/os-release && echo "$PRETTY_NAME"); Slonk $(git rev-parse --short HEAD)," \
     "KTeaTime $(dpkg-query -W -f='${Version}' kteatime)," \
     "GNOME Clocks $(dpkg-query -W -f='${Version}' gnome-clocks)," \
     "firefox-esr $(dpkg-query -W -f='${Version}' firefox-esr)"
(
    source testkit/harness.sh peers "$here/build-release"
    e2e_start_x
    e2e_no_audio
    e2e_start_session_bus
    PEERS_BUS_PID=${E2E_PIDS[-1]}
    export PEERS_BUS_PID
    # A desktop session has the accessibility bus before any program starts;
    # GTK asks for it at start-up and would otherwise have the bus start it.
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$ART/at-spi.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "the accessibility bus" dbus-send --session --print-reply --dest=org.a11y.Bus \
        /org/a11y/bus org.a11y.Bus.GetAddress
    # KTeaTime lives in the tray: without one it shows nothing.
    trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
        --SetPartialStrut true --transparent false >"$ART/trayer.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "the tray" xdotool search --classname '^panel$'
    "$PYTHON" bench/peers.py build-release/bench/xwatch build-release/bin/slonk \
        bench/peers-page.html "$runs" "$ART"
)
echo "Took $(((SECONDS - began) / 60)) min $(((SECONDS - began) % 60)) s."
