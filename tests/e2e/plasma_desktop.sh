#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The program on KDE Plasma, 5.27 or 6.3 as the release ships it (KWin
# headless with Plasma's Breeze title bars, PowerDevil and UPower), as a
# Plasma user gets it: natively on
# Wayland, framed by KWin (server-side), known by its title and desktop file,
# not maximizable, at a fixed size before and after START, its cue heard;
# minimised it stops waking to draw, and ticks again once restored; while it
# runs PowerDevil holds the screen on and the session's idle actions
# off; at the finish both are let go, and OK ends it. The challenge's 99
# minutes pass in a jump of the program's clock (libfaketime, read from a
# file), as across a suspend. A screenshot of the window lands in
# $ART/plasma.png.
source "$(dirname "$0")/../../testkit/harness.sh" plasma-desktop "${1:?usage: $0 BUILD-FOLDER}"
source "$E2E_KIT/wayland.sh"
source "$E2E_KIT/pipewire.sh"
source "$E2E_KIT/desktops.sh"
e2e_private_run "$@"

# kwin_window: KWin's line for the program's window (desktop_shell.py).
kwin_window() {
    e2e_desktop kwin-windows "$ART/kwin.log" | awk -F'\t' -v title="$TITLE" '$1 == title'
}

# shows HEIGHT: KWin shows the window with the program's client HEIGHT px
# high under its own title bar: desktop file, not maximizable, closeable,
# decorated, and framed exactly as Breeze frames any window by default: on
# Plasma 5.27 a 37 px title bar and no border beside or below the client, on
# Plasma 6.3 a 1 px border around it and a 36 px bar above, on Plasma 6.7 the
# same bar and no border (the bar's height follows the title font, DejaVu Sans
# here for want of Noto Sans).
shows() {
    local title desktop maximizable minimizable closeable decorated fx fy fw fh bx by bw bh border bar
    IFS=$'\t' read -r title desktop maximizable minimizable closeable decorated fx fy fw fh bx by bw bh \
        <<<"$(kwin_window)"
    echo "$title | $desktop maximizable $maximizable minimizable $minimizable closeable" \
        "$closeable decorated $decorated frame ${fw}x$fh+$fx+$fy client ${bw}x$bh+$bx+$by" >"$ART/shown.txt"
    border=0 bar=36
    if ((KDE_SESSION_VERSION < 6)); then
        bar=37
    elif dpkg --compare-versions "$(dpkg-query -W -f='${Version}' kwin-wayland)" lt 4:6.7; then
        border=1
    fi
    [[ $desktop == app.slonk.Slonk && $maximizable == false && $closeable == true &&
        $decorated == true && $bw == 313 && $bh == "$1" ]] &&
        ((fw == bw + 2 * border && fh == bar + bh + border && bx == fx + border && by == fy + bar)) ||
        return 1
    FRAME=${fw}x$fh+$fx+$fy
}

# inhibited ANSWER: PowerDevil gives that answer, "(true,)" or "(false,)",
# for the screen (4) and for the idle actions (1) alike.
inhibited() {
    [[ "$(e2e_inhibition 4) $(e2e_inhibition 1)" == "$1 $1" ]]
}

e2e_start_pipewire
e2e_start_accessibility
e2e_stage
e2e_desktop_file
e2e_start_kwin
echo +0 >"$ART/clock"
E2E_ENV=(WAYLAND_DEBUG=1 LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
         FAKETIME_TIMESTAMP_FILE="$ART/clock" FAKETIME_CACHE_DURATION=1)
e2e_launch_wayland

e2e_wait 20 "KWin showing the window, 313x273 under its title bar (seen: $ART/shown.txt)" shows 273
e2e_expect_toplevel 313 273 313 273
grep -q 'zxdg_toplevel_decoration_v1[@#][0-9]*\.configure(2)' "$ART/slonk.log" ||
    e2e_fail "expected KWin to draw the title bar (server-side decoration), saw no such answer"
e2e_kwin_shot "$ART/desktop.png"
convert "$ART/desktop.png" -crop "$FRAME" +repage "$ART/plasma.png"
e2e_log "window $(cat "$ART/shown.txt")"

e2e_atspi press START
e2e_log "START"
e2e_wait 10 "the fixed size after START" e2e_toplevel_fixed 313 219 313 219
e2e_expect_toplevel 313 219 313 219
e2e_wait 10 "KWin showing the window, 313x219 once started" shows 219
e2e_wait_cues 10 1 "$ART/app/slonk.wav"

# PowerDevil applies an inhibition 5 s after it is asked.
e2e_wait 20 "PowerDevil holding the screen on and the idle actions off (HasInhibition 4 and 1)" \
    inhibited '(true,)'
e2e_log "inhibited: $(e2e_call org.kde.Solid.PowerManagement.PolicyAgent \
    /org/kde/Solid/PowerManagement/PolicyAgent \
    org.kde.Solid.PowerManagement.PolicyAgent.ListInhibitions)"

# Minimised as the task bar does it, the window is drawn for nobody: the
# program stops ticking, and ticks again once restored. KWin 5.27 stops
# answering its frames, so Qt takes it for unexposed 0.3 s after the minimise;
# KWin 6 tells it suspended at once (xdg-shell 6, which Qt hears from 6.8 on).
e2e_wait_wakeups 10 "the main thread ticking while shown" 30 1000
e2e_desktop kwin-minimise "$ART/kwin.log" "$TITLE" true
e2e_wait_wakeups 10 "the main thread still while minimised" 0 3
e2e_desktop kwin-minimise "$ART/kwin.log" "$TITLE" false
e2e_wait_wakeups 10 "the main thread ticking once restored" 30 1000

echo +5940 >"$ART/clock"
e2e_atspi wait-finish 20
e2e_log "finish box"
e2e_wait 20 "PowerDevil letting go at the finish (HasInhibition 4 and 1 false)" \
    inhibited '(false,)'
e2e_log "nothing inhibited at the finish"
e2e_atspi press-ok
e2e_expect_exit 10
e2e_log "passed"
