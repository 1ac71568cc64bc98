#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The window, natively on Wayland: its exact title, its app id (the desktop
# file's), its fixed size before and after START as the protocol says it and
# as weston shows it, with Qt's own decorations: their maximise button leaving
# the window as it was, their close button ending the program with exit 0.
# weston runs nested on Xvfb here, so that X's pointer is its seat and the
# decoration's buttons can be clicked.
source "$(dirname "$0")/../../testkit/harness.sh" wayland-window "${1:?usage: $0 BUILD-FOLDER}"
source "$E2E_KIT/wayland.sh"

# shows SHOT GEOMETRY: the window with its decorations in the shot has that size.
shows() {
    e2e_weston_shot "$1" && [[ $(e2e_window_box "$1.png") == $2+* ]]
}

# The last request of a kind the program sent, from its protocol log.
last_request() {
    grep -o "xdg_toplevel@[0-9]*\.$1(.*)" "$ART/slonk.log" | tail -n 1 | sed 's/^[^.]*\.//'
}

e2e_start_x
e2e_start_weston nested
e2e_no_audio
e2e_start_accessibility
e2e_stage
WAYLAND_DEBUG=1 e2e_launch_wayland

e2e_wait 10 "the window on screen, 313x273 with 3+3 px borders and a 30 px title bar" \
    shows load 319x306
[[ $(last_request set_title) == "set_title(\"$TITLE\")" ]] ||
    e2e_fail "expected the title \"$TITLE\", saw $(last_request set_title)"
[[ $(last_request set_app_id) == 'set_app_id("app.slonk.Slonk")' ]] ||
    e2e_fail "expected the app id app.slonk.Slonk, saw $(last_request set_app_id)"
for request in set_min_size set_max_size; do
    [[ $(last_request $request) == "$request(313, 273)" ]] ||
        e2e_fail "expected $request(313, 273) before START, saw $(last_request $request)"
done
box=$(e2e_window_box load.png)
read -r x y <<<"$(echo "$box" | sed 's/.*+\([0-9]*\)+\([0-9]*\)$/\1 \2/')"
((x + 319 <= E2E_WESTON_SIZE[0] && y + 306 <= E2E_WESTON_SIZE[1])) || e2e_fail "expected the window wholly on screen, saw $box"
e2e_log "window $box, title, app id and fixed size right"

# Maximise: the middle button, at 279,15. weston maximises whatever asks and
# cuts off a client whose frame then keeps another size; the window must come
# back to its fixed size and the program live on.
e2e_weston_click $((x + 279)) $((y + 15))
e2e_wait 10 "the maximise request answered by a request for the normal state" \
    sh -c "grep -q 'xdg_toplevel@[0-9]*\.unset_maximized()' '$ART/slonk.log'"
e2e_wait 10 "the window back on screen at 313x273" shows unmaximised 319x306
kill -0 "$APP_PID" 2>/dev/null || e2e_fail "expected the program to outlive the maximise button"
[[ $(e2e_window_box unmaximised.png) == "$box" ]] ||
    e2e_fail "expected the window back at $box, saw $(e2e_window_box unmaximised.png)"
for request in set_min_size set_max_size; do
    [[ $(last_request $request) == "$request(313, 273)" ]] ||
        e2e_fail "expected $request(313, 273) once back, saw $(last_request $request)"
done
e2e_log "maximise button: window back at $box"

e2e_atspi press START
e2e_wait 10 "set_max_size(313, 219) after START" \
    sh -c "grep -q 'set_max_size(313, 219)' '$ART/slonk.log'"
for request in set_min_size set_max_size; do
    [[ $(last_request $request) == "$request(313, 219)" ]] ||
        e2e_fail "expected $request(313, 219) after START, saw $(last_request $request)"
done
e2e_wait 10 "the window on screen, 313x219 once started" shows started 319x252
box=$(e2e_window_box started.png)
e2e_log "started: $box"
read -r x y <<<"$(echo "$box" | sed 's/.*+\([0-9]*\)+\([0-9]*\)$/\1 \2/')"

# Close: the rightmost button, at 302,15.
e2e_weston_click $((x + 302)) $((y + 15))
e2e_expect_exit 5
e2e_log "passed"
