#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The window, natively on Wayland: its exact title, its app id (the desktop
# file's), its fixed size before and after START as the protocol says it and
# as weston shows it, with the program's own title bar: the title and a close
# button, nothing there to maximise it, the close button ending the program
# with exit 0. Then with Qt's stock title bar, as a user may choose it: its
# maximise button leaves the window as it was. Last, the close button with
# everything the end waits on hung at once.
# weston runs nested on Xvfb here, so that X's pointer is its seat and the
# title bar's buttons can be clicked.
source "$(dirname "$0")/../../testkit/harness.sh" wayland-window "${1:?usage: $0 BUILD-FOLDER}"
source "$E2E_KIT/wayland.sh"

# shows SHOT GEOMETRY: the window with its decorations in the shot has that size.
shows() {
    e2e_weston_shot "$1" && [[ $(e2e_window_box "$1.png") == $2+* ]]
}

# corner SHOT: the top left corner of the window in the shot, as "X Y".
corner() {
    e2e_window_box "$1" | sed 's/.*+\([0-9]*\)+\([0-9]*\)$/\1 \2/'
}

e2e_start_x
e2e_start_weston nested
e2e_no_audio
e2e_start_accessibility
e2e_stage
E2E_ENV=(WAYLAND_DEBUG=1)
e2e_launch_wayland

e2e_wait 10 "the window on screen, 313x273 with a 1 px frame and a 30 px title bar" \
    shows load 315x304
e2e_expect_toplevel 313 273 315 304
box=$(e2e_window_box load.png)
read -r x y <<<"$(corner load.png)"
((x + 315 <= E2E_WESTON_SIZE[0] && y + 304 <= E2E_WESTON_SIZE[1])) || e2e_fail "expected the window wholly on screen, saw $box"
e2e_log "window $box, title, app id and fixed size right"

# Where Qt's stock title bar has its maximise button (at 279,15 of it), and
# a double click on the bar: neither asks for any other size.
e2e_weston_click $((x + 279)) $((y + 15))
DISPLAY=$E2E_X_DISPLAY xdotool mousemove --window "$E2E_WESTON_WINDOW" $((x + 150)) $((y + 15)) \
    click --repeat 2 1
e2e_weston_pointer_away
e2e_wait 10 "the three presses delivered to the program" sh -c \
    "[ \$(grep -c 'wl_pointer[@#][0-9]*\.button([0-9]*, [0-9]*, 272, 1)' '$ART/slonk.log') -ge 3 ]"
e2e_wait 10 "the window on screen as it was" shows clicked 315x304
[[ $(e2e_window_box clicked.png) == "$box" ]] || e2e_fail "expected the window still at $box, saw $(e2e_window_box clicked.png)"
grep -q 'xdg_toplevel[@#][0-9]*\.set_\(maximized\|fullscreen\|minimized\)' "$ART/slonk.log" &&
    e2e_fail "expected no request to maximise, fill or minimise, saw $(grep -m1 -o 'xdg_toplevel[@#][0-9]*\.set_[a-z]*' "$ART/slonk.log")"
e2e_log "title bar: nothing to maximise"

e2e_atspi press START
e2e_wait 10 "the fixed size after START" e2e_toplevel_fixed 313 219 315 250
e2e_expect_toplevel 313 219 315 250
e2e_wait 10 "the window on screen, 313x219 once started" shows started 315x250
read -r x y <<<"$(corner started.png)"
e2e_log "started: $(e2e_window_box started.png)"

# Close: the button at the right end of the bar.
e2e_weston_click $((x + 299)) $((y + 15))
e2e_expect_exit 5
e2e_log "closed with the title bar's close button"

# Qt's stock title bar (3 px borders, a 30 px bar, minimise, maximise and
# close), chosen as a user may. weston maximises whatever asks and cuts off a
# client whose frame then keeps another size: the window must come back to
# its fixed size and the program live on.
mv "$ART/slonk.log" "$ART/slonk-own-title-bar.log"
E2E_ENV=(WAYLAND_DEBUG=1 QT_WAYLAND_DECORATION=bradient)
e2e_launch_wayland
e2e_wait 10 "the window on screen with Qt's stock title bar, 319x306" shows stock 319x306
box=$(e2e_window_box stock.png)
read -r x y <<<"$(corner stock.png)"
e2e_weston_click $((x + 279)) $((y + 15))
e2e_wait 10 "the maximise request answered by a request for the normal state" \
    sh -c "grep -q 'xdg_toplevel[@#][0-9]*\.unset_maximized()' '$ART/slonk.log'"
e2e_wait 10 "the window back on screen at 313x273" shows unmaximised 319x306
kill -0 "$APP_PID" 2>/dev/null || e2e_fail "expected the program to outlive the maximise button"
[[ $(e2e_window_box unmaximised.png) == "$box" ]] ||
    e2e_fail "expected the window back at $box, saw $(e2e_window_box unmaximised.png)"
e2e_expect_toplevel 313 273 319 306
e2e_log "stock maximise button: window back at $box"
# Close: the rightmost button, at 302,15.
e2e_weston_click $((x + 302)) $((y + 15))
e2e_expect_exit 5
e2e_log "stock title bar: closed"

# Everything the end waits on hung at once, as on X11 (termination.sh), here
# with Qt's Wayland client: the close button still ends it within a second.
mv "$ART/slonk.log" "$ART/slonk-stock-title-bar.log"
e2e_start_audio
e2e_hold_then_hang
e2e_launch_wayland
e2e_atspi press START
e2e_wait 10 "the window on screen, 313x219 once started" shows hung 315x250
read -r x y <<<"$(corner hung.png)"
e2e_stall_everything
e2e_ends_within 1 "everything hung, window closed" env DISPLAY="$E2E_X_DISPLAY" \
    xdotool mousemove --window "$E2E_WESTON_WINDOW" $((x + 299)) $((y + 15)) click 1
e2e_resume_everything
e2e_log "passed"
