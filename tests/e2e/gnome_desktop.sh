#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The program on GNOME, 43 or 48 as the release ships it (GNOME Shell
# headless, gnome-session and the settings daemon's screensaver proxy), as a
# GNOME user gets it: natively on
# Wayland, known to the shell by its title and desktop file, its own title
# bar (the title and a close button) at a fixed size before and after START,
# its cue heard; minimised with Super+H it stops waking to draw, and ticks
# again when Alt+Tab brings it back; while it runs the session holds its idle
# inhibitor, listed under the program's desktop id, and stays available past
# the idle delay;
# closed with its title bar's close button, it leaves nothing inhibited and
# the session goes idle. A screenshot of the window lands in $ART/gnome.png.
source "$(dirname "$0")/../../testkit/harness.sh" gnome-desktop "${1:?usage: $0 BUILD-FOLDER}"
source "$E2E_KIT/wayland.sh"
source "$E2E_KIT/pipewire.sh"
source "$E2E_KIT/desktops.sh"
e2e_private_run "$@"

# shows WIDTH HEIGHT: the shell shows the program's window, by its title,
# desktop file and Wayland app id, that large (its title bar included).
shows() {
    local seen
    seen=$(e2e_desktop gnome-windows | awk -F'\t' -v title="$TITLE" '$1 == title' | cut -f 1-5)
    [[ $seen == "$TITLE"$'\tapp.slonk.Slonk.desktop\tapp.slonk.Slonk\t'"$1"$'\t'"$2" ]] || {
        echo "$seen" >"$ART/shown.txt"
        return 1
    }
}

inhibited() {
    [[ $(e2e_session IsInhibited 8) == "(true,)" ]]
}

presence_idle() {
    [[ $(e2e_presence) == 3 ]]
}

e2e_start_pipewire
e2e_start_accessibility
e2e_stage
e2e_desktop_file
e2e_start_gnome
e2e_gnome_seat
E2E_ENV=(WAYLAND_DEBUG=1)
e2e_launch_wayland

# A frame of 1 px around the window and a 30 px title bar above it.
e2e_wait 20 "the shell showing the window, 315x304 (seen: $ART/shown.txt)" shows 315 304
e2e_expect_toplevel 313 273 315 304
e2e_desktop gnome-shot "$ART/desktop.png"
box=$(e2e_window_box desktop.png)
[[ $box == 315x304+* ]] || e2e_fail "expected the window 315x304 in the screenshot, saw $box"
convert "$ART/desktop.png" -crop "$box" +repage "$ART/gnome.png"
e2e_log "window $box, title, app id and fixed size right"

e2e_atspi press START
e2e_log "START"
e2e_wait 10 "the fixed size after START" e2e_toplevel_fixed 313 219 315 250
e2e_expect_toplevel 313 219 315 250
e2e_wait 10 "the shell showing the window, 315x250 once started" shows 315 250
e2e_wait_cues 10 1 "$ART/app/slonk.wav"

e2e_wait 10 "the session's idle inhibited (IsInhibited 8)" inhibited
# The program's among the session's inhibitors: idle (8), under its desktop
# id, so that the session can name it.
inhibitor() {
    e2e_call org.gnome.SessionManager "$1" "org.gnome.SessionManager.Inhibitor.$2"
}
listed=
for path in $(e2e_session GetInhibitors | grep -o "/org/gnome/SessionManager/Inhibitor[0-9]*"); do
    seen="$(inhibitor "$path" GetAppId) $(inhibitor "$path" GetFlags)"
    listed+="$seen; "
    if [[ $seen == "('app.slonk.Slonk',) (uint32 8,)" ]]; then
        e2e_log "inhibitor $seen $(inhibitor "$path" GetReason)"
    fi
done
[[ $listed == *"('app.slonk.Slonk',) (uint32 8,)"* ]] ||
    e2e_fail "expected an idle inhibitor (flags 8) under the desktop id app.slonk.Slonk, saw: $listed"

# Minimised with Super+H, the window is drawn for nobody: the program stops
# ticking, and ticks again once Alt+Tab brings it back. The shell stops
# answering its frames at once, so Qt takes it for unexposed 0.2 s after the
# minimise; from GNOME 48 on it may tell it suspended as well (xdg-shell 6,
# which Qt hears from 6.8 on), some 3 s later, and not every time.
hidden() {
    [[ $(e2e_desktop gnome-windows | awk -F'\t' -v title="$TITLE" '$1 == title {print $6}') == "$1" ]]
}
e2e_wait_wakeups 10 "the main thread ticking while shown" 30 1000
e2e_gnome_keys Super_L h
e2e_wait 10 "the shell hiding the window at Super+H" hidden True
e2e_wait_wakeups 10 "the main thread still while minimised" 0 3
e2e_gnome_keys Alt_L Tab
e2e_wait 10 "the shell showing the window again at Alt+Tab" hidden False
e2e_wait_wakeups 10 "the main thread ticking once restored" 30 1000

# A short idle delay, long passed since the last input (the pointer's move
# at the start): only the inhibitor keeps the session available. Once the
# program is gone it goes idle that long after the close.
gsettings set org.gnome.desktop.session idle-delay 2
deadline=$((SECONDS + 5))
while ((SECONDS < deadline)); do
    [[ $(e2e_presence) == 0 ]] || e2e_fail "expected the session available while the challenge runs, saw presence $(e2e_presence)"
    sleep 0.2
done
e2e_log "session available past its 2 s idle delay"

# The close button, at the right end of the title bar.
read -r width x y <<<"$(sed 's/^\([0-9]*\)x[0-9]*+\([0-9]*\)+\([0-9]*\)$/\1 \2 \3/' <<<"$box")"
e2e_gnome_click $((x + width - 16)) $((y + 15))
e2e_expect_exit 10
e2e_log "closed with the title bar's close button"
# Let go is the session's own answer, never a call that failed.
answer=$(e2e_session IsInhibited 8 2>&1) || true
[[ $answer == "(false,)" ]] || e2e_fail "expected nothing inhibited after the close (IsInhibited 8 false), saw $answer"
[[ $(e2e_session GetInhibitors) == "(@ao [],)" ]] ||
    e2e_fail "expected no inhibitor after the close, saw $(e2e_session GetInhibitors)"
e2e_wait 20 "the session idle (presence 3) once the program is gone" presence_idle
e2e_log "passed"
