#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Runs COMMAND with a private session bus and a private bus standing in for
# the system bus, where, unlike on the real one, any name may be owned: the
# tests' stand-ins take the names of the desktop's services. With --xfce,
# also Xfce's real power manager: xfce4-power-manager on its own X server,
# with UPower on the system bus. Everything started is stopped by its pid.
# Usage: testkit/buses.sh [--xfce] COMMAND...
set -euo pipefail

home=$(mktemp -d)
# What the services keep, here rather than in the user's home.
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache NO_AT_BRIDGE=1
pids=()
stop() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$home"
}
trap stop EXIT

# wait_for WHAT COMMAND...: polls COMMAND until it succeeds, for 10 s at most.
wait_for() {
    local what=$1 deadline=$((SECONDS + 10))
    shift
    until "$@" >/dev/null 2>&1; do
        if ((SECONDS >= deadline)); then
            echo "buses.sh: expected $what within 10 s, saw nothing" >&2
            tail -n 5 "$home"/*.log >&2 || true
            exit 1
        fi
        sleep 0.05
    done
}

# bus NAME ARGUMENTS...: a private dbus-daemon; its address lands in $home/NAME.
bus() {
    local name=$1
    shift
    dbus-daemon "$@" --nofork --nopidfile --print-address=3 3>"$home/$name" >"$home/$name.log" 2>&1 &
    pids+=($!)
    wait_for "the $name bus" test -s "$home/$name"
}

# has_owner BUS NAME
has_owner() {
    dbus-send "--$1" --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.GetNameOwner "string:$2"
}

cat >"$home/system.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:dir=$home</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
EOF
bus system --config-file="$home/system.conf"
bus session --session
read -r DBUS_SYSTEM_BUS_ADDRESS <"$home/system"
read -r DBUS_SESSION_BUS_ADDRESS <"$home/session"
export DBUS_SYSTEM_BUS_ADDRESS DBUS_SESSION_BUS_ADDRESS

if [[ ${1:-} == --xfce ]]; then
    shift
    Xvfb -displayfd 4 -nolisten tcp 4>"$home/display" >"$home/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for "an X server" test -s "$home/display"
    read -r display <"$home/display"
    export DISPLAY=:$display
    /usr/libexec/upowerd >"$home/upower.log" 2>&1 &
    pids+=($!)
    wait_for "UPower on the system bus" has_owner system org.freedesktop.UPower
    xfconfd=(/usr/lib/*/xfce4/xfconf/xfconfd)
    "${xfconfd[0]}" >"$home/xfconfd.log" 2>&1 &
    pids+=($!)
    wait_for "xfconfd on the session bus" has_owner session org.xfce.Xfconf
    xfce4-power-manager --no-daemon >"$home/xfpm.log" 2>&1 &
    pids+=($!)
    # It owns its name a moment before it answers there.
    wait_for "xfce4-power-manager's inhibitor on the session bus" \
        dbus-send --session --print-reply --dest=org.freedesktop.PowerManagement \
        /org/freedesktop/PowerManagement/Inhibit org.freedesktop.PowerManagement.Inhibit.HasInhibit
fi

"$@"
