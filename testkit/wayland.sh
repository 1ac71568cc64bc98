# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The Wayland side of the end-to-end harness, sourced after harness.sh: a
# headless weston that draws (pixman) and can be photographed, the program on
# it natively, read and driven over AT-SPI since weston offers no seat (no
# keyboard, no pointer), its "SLONK!" flashes counted (e2e_count_flashes).
# Sound comes from testkit/pipewire.sh or harness.sh.

E2E_WESTON_BACKGROUND='#204060'

# e2e_start_weston [nested [WORKSPACES]]: weston on a private socket; the
# program then finds only Wayland. Headless it has no seat at all; nested, in a
# window on the harness's X server (e2e_start_x first), X's pointer and
# keyboard become its seat, so xdotool can click what Qt draws
# (e2e_weston_click) and press weston's keys: with WORKSPACES, super+Down and
# super+Up turn to the next and back, where nothing of the first is seen.
e2e_start_weston() {
    export XDG_RUNTIME_DIR=$ART/runtime
    # The output must not sleep (idle-time 0), or frame callbacks and shots
    # hang; --debug lets weston-screenshooter in. kiosk-shell never shows a
    # fixed-size window: the desktop shell it is.
    cat >"$ART/weston.ini" <<INI
[core]
idle-time=0
[shell]
panel-position=none
locking=false
background-color=0xff${E2E_WESTON_BACKGROUND#\#}
num-workspaces=${2:-1}
INI
    local backend=headless-backend.so
    E2E_WESTON_SIZE=(1024 768)
    if [[ ${1:-} == nested ]]; then
        # Small enough for its window, framed by openbox, to fit on the X screen.
        backend=x11-backend.so
        E2E_WESTON_SIZE=(960 700)
    fi
    weston --backend=$backend --use-pixman --debug --idle-time=0 --width=${E2E_WESTON_SIZE[0]} \
        --height=${E2E_WESTON_SIZE[1]} \
        -c "$ART/weston.ini" --socket=wayland-e2e --log="$ART/weston.log" >"$ART/weston.out" 2>&1 &
    E2E_WESTON=$!
    E2E_PIDS+=($E2E_WESTON)
    e2e_wait 10 "weston's socket" test -S "$XDG_RUNTIME_DIR/wayland-e2e"
    export WAYLAND_DISPLAY=wayland-e2e
    E2E_X_DISPLAY=${DISPLAY:-}
    unset DISPLAY QT_QPA_PLATFORM
    # The shell is up once it has painted its background.
    e2e_wait 20 "weston's desktop, painted" e2e_weston_shows_background
    if [[ $backend == x11-backend.so ]]; then
        E2E_WESTON_WINDOW=$(DISPLAY=$E2E_X_DISPLAY xdotool search --class '^Weston Compositor$' | head -n 1)
        [[ -n $E2E_WESTON_WINDOW ]] || e2e_fail "expected weston's window on X, saw none"
        e2e_weston_pointer_away
    fi
}

# e2e_weston_click X Y: a click at that point of weston's output (nested only).
e2e_weston_click() {
    DISPLAY=$E2E_X_DISPLAY xdotool mousemove --window "$E2E_WESTON_WINDOW" "$1" "$2" click 1
    e2e_weston_pointer_away
}

# The pointer to the top left corner of weston's output, off the window.
e2e_weston_pointer_away() {
    DISPLAY=$E2E_X_DISPLAY xdotool mousemove --window "$E2E_WESTON_WINDOW" 0 0
}

# The bottom right corner: nested, weston may draw X's pointer at the top left.
e2e_weston_shows_background() {
    e2e_weston_shot desktop &&
        [[ $(convert "$ART/desktop.png" -alpha off -format '%[pixel:p{w-1,h-1}]' info:) == \
            "srgb(32,64,96)" ]]
}

# e2e_weston_shot NAME: the whole output into $ART/NAME.png. A hung
# screenshooter spins a core: it always runs under timeout.
e2e_weston_shot() {
    local folder=$ART/shooter
    rm -rf "$folder" && mkdir -p "$folder"
    (cd "$folder" && timeout 5 weston-screenshooter) >>"$ART/screenshooter.log" 2>&1 || return 1
    local shot
    shot=$(ls "$folder"/wayland-screenshot-*.png 2>/dev/null | head -n 1)
    [[ -n $shot ]] && mv "$shot" "$ART/$1.png"
}

# e2e_window_box SHOT: the geometry (WxH+X+Y) of the largest thing on the
# desktop in a shot: the window with Qt's decorations around it (a cursor
# nested weston leaves on its output is a thing apart).
e2e_window_box() {
    convert "$ART/$1" -alpha off -fill black -opaque "$E2E_WESTON_BACKGROUND" -fill white \
        +opaque black -define connected-components:verbose=true -connected-components 8 null: |
        awk '$NF ~ /255,255,255/ {print $4, $2}' | sort -rn | awk 'NR == 1 {print $2}'
}

# e2e_real_frame_timeout FAKETIME-RATE: Qt takes a window whose frame callbacks
# are 100 ms late for one nobody can see, and the program then stops drawing.
# Sped up, those 100 ms would be 1 ms of real time, less than a frame of
# weston's: kept at 100 ms of real time, as on a desktop.
e2e_real_frame_timeout() {
    local speed=1
    [[ $1 =~ x([0-9]+)$ ]] && speed=${BASH_REMATCH[1]}
    echo "QT_WAYLAND_FRAME_CALLBACK_TIMEOUT=$((100 * speed))"
}

# e2e_launch_wayland [FAKETIME-RATE]: starts the staged program (under
# libfaketime when a rate is given) on weston and waits until it is on the
# accessibility bus with its window. Needs e2e_start_accessibility.
e2e_launch_wayland() {
    # E2E_ENV: variables for the program alone, not for timeout or faketime.
    local command=(env "${E2E_ENV[@]}" "$ART/app/slonk")
    [[ $# -gt 0 ]] && command=(faketime -f "$1" env "$(e2e_real_deadline "$1")"
        "$(e2e_real_frame_timeout "$1")" "${command[@]}")
    # timeout stays outside faketime, or its own clock is sped up too.
    timeout "${E2E_TIMEOUT:-300}" "${command[@]}" >"$ART/slonk.log" 2>&1 &
    APP_PID=$!
    e2e_atspi wait-app 20
    kill -0 "$APP_PID" 2>/dev/null || e2e_fail "expected the program running, it ended: $(tail -n 1 "$ART/slonk.log")"
}

# e2e_last_request REQUEST: the last xdg_toplevel request of that kind the
# program sent, from its protocol log (WAYLAND_DEBUG=1 in $ART/slonk.log; the
# object ids follow "@", or "#" from libwayland 1.23 on).
e2e_last_request() {
    grep -o "xdg_toplevel[@#][0-9]*\.$1(.*)" "$ART/slonk.log" | tail -n 1 | sed 's/^[^.]*\.//'
}

# The fixed size the program tells the compositor: Qt 6.4 tells its content's,
# leaving a title bar drawn by Qt out; later Qt tells the whole window's, frame
# included, as the protocol has it.
E2E_QT_MINOR=$(dpkg-query -W -f='${Version}' libqt6gui6 | cut -d. -f2)

# e2e_toplevel_fixed WIDTH HEIGHT FRAME-WIDTH FRAME-HEIGHT: the program last
# told that fixed size, for that content in that frame.
e2e_toplevel_fixed() {
    local size="$1, $2" request
    ((E2E_QT_MINOR < 5)) || size="$3, $4"
    for request in set_min_size set_max_size; do
        [[ $(e2e_last_request $request) == "$request($size)" ]] || return 1
    done
}

# e2e_expect_toplevel WIDTH HEIGHT FRAME-WIDTH FRAME-HEIGHT: the program's last
# title, app id and fixed size as it told the compositor.
e2e_expect_toplevel() {
    [[ $(e2e_last_request set_title) == "set_title(\"$TITLE\")" ]] ||
        e2e_fail "expected the title \"$TITLE\", saw $(e2e_last_request set_title)"
    [[ $(e2e_last_request set_app_id) == 'set_app_id("app.slonk.Slonk")' ]] ||
        e2e_fail "expected the app id app.slonk.Slonk, saw $(e2e_last_request set_app_id)"
    e2e_toplevel_fixed "$@" || e2e_fail "expected the fixed size of $1x$2 in a $3x$4 frame," \
        "saw $(e2e_last_request set_min_size) $(e2e_last_request set_max_size)"
}
