# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The real desktops, headless, sourced after harness.sh, pipewire.sh and
# wayland.sh: GNOME Shell with gnome-session and its screensaver proxy, or
# KWin with PowerDevil and UPower. Both want a system bus and take /run for
# their own; the scenario runs in a mount namespace of its own, so nothing of
# the machine's /run changes (e2e_private_run). Sound, AT-SPI, staging and
# waits are the harness's.

# e2e_private_run "$@": runs the scenario again in a mount namespace of its
# own, with /run/systemd empty (else gnome-shell takes the image's empty seat
# folder for logind, and its JavaScript fails) and a system bus of its own in
# /run/dbus (gnome-session ends without one; UPower lives on it).
e2e_private_run() {
    if [[ -z ${E2E_PRIVATE_RUN:-} ]]; then
        E2E_PRIVATE_RUN=1 exec unshare --mount --propagation private "$BASH" "$0" "$@"
    fi
    mkdir -p /run/systemd /run/dbus # only where missing: empty, and left so
    mount -t tmpfs tmpfs /run/systemd
    mount -t tmpfs tmpfs /run/dbus
    dbus-daemon --system --nofork --nopidfile >"$ART/system-bus.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "a system bus" test -S /run/dbus/system_bus_socket
}

# e2e_bus_owned NAME: that name has an owner on the session bus.
e2e_bus_owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q 'boolean true'
}

# e2e_call SERVICE PATH INTERFACE.METHOD ARGS...: a method's answer, gdbus's way.
e2e_call() {
    local service=$1 path=$2 method=$3
    shift 3
    timeout 10 gdbus call --session -d "$service" -o "$path" -m "$method" "$@"
}

# A home of the run's own: the desktops write their settings there.
e2e_private_home() {
    [[ $HOME == "$ART"/* ]] || export HOME=$ART/home XDG_CONFIG_HOME=$ART/home/.config
    mkdir -p "$XDG_CONFIG_HOME"
}

# e2e_desktop_file: the program's desktop entry where a desktop looks for the
# user's own, its Exec on PATH (else GLib passes over it): the desktop then
# knows the window by its app id.
e2e_desktop_file() {
    mkdir -p "$XDG_DATA_HOME/applications"
    cp "$E2E_SOURCE/packaging/app.slonk.Slonk.desktop" "$XDG_DATA_HOME/applications/"
    export PATH=$ART/app:$PATH
}

# GNOME Shell on a virtual monitor, then gnome-session with only the settings
# daemon's screensaver proxy, the desktop's own keeper of the session's idle
# inhibitors. The program then finds only this compositor, on wayland-0.
e2e_start_gnome() {
    export XDG_RUNTIME_DIR=$ART/runtime XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    e2e_private_home
    e2e_start_session_bus
    # Presence never goes idle until the scenario says so; no banners over the
    # windows; the desktop plain, in weston's colour (e2e_window_box).
    gsettings set org.gnome.desktop.session idle-delay 0
    gsettings set org.gnome.desktop.notifications show-banners false
    gsettings set org.gnome.desktop.background picture-uri ''
    gsettings set org.gnome.desktop.background picture-uri-dark ''
    gsettings set org.gnome.desktop.background primary-color "$E2E_WESTON_BACKGROUND"
    local attempt log
    for attempt in 1 2 3; do
        # About one start in six hangs for good (its fork to launch the input
        # method daemon deadlocks before exec): told by its log and by that
        # fork, then again.
        log=$ART/gnome-shell-$attempt.log
        gnome-shell --headless --wayland --no-x11 --virtual-monitor 1280x800 >"$log" 2>&1 &
        E2E_SHELL=$!
        E2E_PIDS+=($E2E_SHELL)
        local deadline=$((SECONDS + 60))
        until grep -q "GNOME Shell started" "$log"; do
            ((SECONDS < deadline)) && kill -0 "$E2E_SHELL" 2>/dev/null && ! e2e_shell_hung || break
            sleep 0.1
        done
        grep -q "GNOME Shell started" "$log" && break
        e2e_log "gnome-shell did not start (attempt $attempt)"
        local child
        for child in $(ps --ppid "$E2E_SHELL" -o pid=) "$E2E_SHELL"; do
            e2e_stop "$child" # its stuck fork too, which would outlive it
        done
    done
    grep -q "GNOME Shell started" "$log" ||
        e2e_fail "expected \"GNOME Shell started\" in its log within three starts, saw none"
    e2e_wait 30 "mutter's idle monitor on the bus" e2e_bus_owned org.gnome.Mutter.IdleMonitor
    local sessions=$ART/gnome-data/gnome-session/sessions
    mkdir -p "$sessions" "$ART/gnome-autostart"
    printf '[GNOME Session]\nName=Slonk test\nRequiredComponents=org.gnome.SettingsDaemon.ScreensaverProxy;\n' \
        >"$sessions/slonk-e2e.session"
    # GNOME 43 starts its session's components itself (--builtin). GNOME 48
    # leaves that to systemd, absent here: its session then runs as systemd's
    # service would, and the proxy is started beside it.
    local session=(gnome-session --builtin --disable-acceleration-check)
    if [[ -x /usr/libexec/gnome-session-service ]]; then # GNOME 49 and later
        session=(/usr/libexec/gnome-session-service)
    elif ! gnome-session --help 2>&1 | grep -q -- --builtin; then
        session=(/usr/libexec/gnome-session-binary --systemd-service --disable-acceleration-check)
    fi
    XDG_DATA_DIRS=$ART/gnome-data:${XDG_DATA_DIRS:-/usr/local/share:/usr/share} \
        GNOME_SESSION_AUTOSTART_DIR=$ART/gnome-autostart \
        "${session[@]}" --session=slonk-e2e >"$ART/gnome-session.log" 2>&1 &
    E2E_PIDS+=($!)
    if [[ ${session[1]:-} != --builtin ]]; then
        e2e_wait 30 "gnome-session's manager on the bus" e2e_bus_owned org.gnome.SessionManager
        /usr/libexec/gsd-screensaver-proxy >"$ART/screensaver-proxy.log" 2>&1 &
        E2E_PIDS+=($!)
    fi
    e2e_wait 30 "the session's screensaver proxy on the bus" e2e_bus_owned org.freedesktop.ScreenSaver
    # It opens the overview at start-up, where a new window is a thumbnail.
    e2e_wait 10 "the shell's overview closed" e2e_overview_closed
    export WAYLAND_DISPLAY=wayland-0
    e2e_log "GNOME Shell and its session up"
}

e2e_overview_closed() {
    e2e_call org.gnome.Shell /org/gnome/Shell org.freedesktop.DBus.Properties.Set \
        org.gnome.Shell OverviewActive '<false>' >/dev/null &&
        e2e_call org.gnome.Shell /org/gnome/Shell org.freedesktop.DBus.Properties.Get \
            org.gnome.Shell OverviewActive | grep -qx '(<false>,)'
}

# The hang: a fork of the shell that has not become another program for 10 s.
e2e_shell_hung() {
    ps --ppid "$E2E_SHELL" -o comm=,etimes= | awk '$1 == "gnome-shell" && $2 >= 10 {hung = 1} END {exit !hung}'
}

# e2e_desktop COMMAND ARGS...: what the desktop tells (testkit/desktop_shell.py).
e2e_desktop() {
    "$PYTHON" "$E2E_KIT/desktop_shell.py" "$@" 2>"$ART/desktop_shell.err" ||
        e2e_fail "$(tail -n 1 "$ART/desktop_shell.err")"
}

# A pointer on GNOME's screen (a remote desktop's), for e2e_gnome_click.
e2e_gnome_seat() {
    coproc E2E_SEAT { "$PYTHON" "$E2E_KIT/desktop_shell.py" gnome-seat 2>"$ART/seat.err"; }
    E2E_PIDS+=($E2E_SEAT_PID)
    e2e_seat_answer "a pointer from a remote desktop session"
    # The pointer comes to be with its first move, and a window mapped
    # since takes it up; it rests away from the top left's hot corner.
    echo "move 1270 790" >&"${E2E_SEAT[1]}"
    e2e_seat_answer "the pointer moved to the bottom right"
    # GNOME 50 has it come to be in the corner, which opens the overview.
    e2e_wait 10 "the shell's overview closed" e2e_overview_closed
}

e2e_seat_answer() {
    local answer=
    read -r -t 10 -u "${E2E_SEAT[0]}" answer || true
    [[ $answer == ok ]] || e2e_fail "expected $1 within 10 s, saw: $(tail -n 1 "$ART/seat.err")"
}

# e2e_gnome_click X Y: a left click at that point of the screen.
e2e_gnome_click() {
    echo "click $1 $2" >&"${E2E_SEAT[1]}"
    e2e_seat_answer "a click at $1,$2"
}

# e2e_gnome_keys KEY...: the keys pressed in turn and let go in reverse, by
# their names in desktop_shell.py.
e2e_gnome_keys() {
    echo "keys $*" >&"${E2E_SEAT[1]}"
    e2e_seat_answer "the keys $*"
}

# e2e_session CALL ARGS...: a call to gnome-session's manager.
e2e_session() {
    e2e_call org.gnome.SessionManager /org/gnome/SessionManager "org.gnome.SessionManager.$@"
}

# The session's presence: 0 available, 3 idle (what would lock the screen).
e2e_presence() {
    e2e_call org.gnome.SessionManager /org/gnome/SessionManager/Presence \
        org.freedesktop.DBus.Properties.Get org.gnome.SessionManager.Presence status |
        sed 's/^(<uint32 \([0-9]*\)>,)$/\1/'
}

# KWin on a virtual output with Plasma's title bars (Breeze), then PowerDevil,
# which takes the inhibitions; the program then finds only KWin.
e2e_start_kwin() {
    export XDG_RUNTIME_DIR=$ART/runtime XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland
    # Plasma's major version (5 on Debian 12, 6 on Debian 13), from KWin's package.
    KDE_SESSION_VERSION=$(dpkg-query -W -f='${Version}' kwin-wayland | sed 's/^[0-9]*://; s/\..*//')
    export KDE_SESSION_VERSION
    unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
    e2e_private_home
    e2e_start_session_bus
    # PowerDevil takes its policy agent onto the bus only once its UPower
    # backend is ready.
    /usr/libexec/upowerd >"$ART/upowerd.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "UPower on the system bus" dbus-send --system --print-reply \
        --dest=org.freedesktop.UPower /org/freedesktop/UPower org.freedesktop.DBus.Peer.Ping
    # The packaged binary holds a capability this machine's bounding set lacks,
    # so its exec fails: a copy without it, of the same name (its platform
    # plugin wants that name).
    mkdir -p "$ART/kwin"
    cp /usr/bin/kwin_wayland "$ART/kwin/kwin_wayland"
    # KWin 6 composites with OpenGL only on a GPU's render node, which this
    # machine lacks, and takes screenshots only with OpenGL: it draws into a
    # window of a bare X server instead, whose screen is then the screenshot
    # (e2e_kwin_shot). KWin 5 runs on a virtual output.
    local output=(--virtual)
    E2E_KWIN_X=
    if ((KDE_SESSION_VERSION >= 6)); then
        e2e_start_x 1280x800 bare
        E2E_KWIN_X=$DISPLAY
        unset DISPLAY
        output=(--x11-display "$E2E_KWIN_X")
    fi
    # Its screenshots answer any caller (else only a program whose desktop
    # file grants it); its scripts print into its log (desktop_shell.py).
    KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 \
        "$ART/kwin/kwin_wayland" "${output[@]}" --width 1280 --height 800 --socket wayland-kde \
        >"$ART/kwin.log" 2>&1 &
    E2E_KWIN=$!
    E2E_PIDS+=($E2E_KWIN)
    e2e_wait 60 "KWin on the bus" e2e_bus_owned org.kde.KWin
    e2e_wait 10 "KWin's socket" test -S "$XDG_RUNTIME_DIR/wayland-kde"
    export WAYLAND_DISPLAY=wayland-kde
    QT_QPA_PLATFORM=wayland /usr/lib/x86_64-linux-gnu/libexec/org_kde_powerdevil \
        >"$ART/powerdevil.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 60 "PowerDevil's policy agent on the bus" \
        e2e_bus_owned org.kde.Solid.PowerManagement.PolicyAgent
    e2e_log "KWin and PowerDevil up"
}

# e2e_kwin_shot FILE: KWin's screen as a PNG.
e2e_kwin_shot() {
    if [[ -n $E2E_KWIN_X ]]; then
        import -display "$E2E_KWIN_X" -window root "$1" || e2e_fail "expected a shot of KWin's screen"
    else
        e2e_desktop kwin-shot "$1"
    fi
}

# e2e_inhibition WHAT: PowerDevil's answer whether it holds an inhibition of
# that kind (1 the session's idle actions, suspend among them; 4 the screen's
# power saving): "(true,)" or "(false,)"; a call that failed answers neither.
e2e_inhibition() {
    e2e_call org.kde.Solid.PowerManagement.PolicyAgent /org/kde/Solid/PowerManagement/PolicyAgent \
        org.kde.Solid.PowerManagement.PolicyAgent.HasInhibition "$1" 2>>"$ART/gdbus.err"
}

# e2e_main_wakeups SECONDS: how often the program's main thread, the one that
# ticks and draws, woke in that many seconds (its context switches, either
# kind: a sleeping thread is never preempted).
e2e_main_wakeups() {
    local pid before
    pid=$(e2e_program_pid)
    before=$(e2e_switches "$pid")
    sleep "$1"
    echo $(($(e2e_switches "$pid") - before))
}

e2e_switches() {
    awk '/^(non)?voluntary_ctxt_switches:/ {n += $2; seen++} END {if (seen != 2) exit 1; print n}' \
        "/proc/$1/task/$1/status" 2>/dev/null || e2e_fail "expected the program's main thread, saw it gone"
}

# e2e_wait_wakeups SECONDS WHAT LEAST MOST: waits until the program's main
# thread wakes LEAST to MOST times in 2 s, told by one 2 s look after another.
e2e_wait_wakeups() {
    local deadline=$((SECONDS + $1)) what=$2 woke seen=
    while :; do
        woke=$(e2e_main_wakeups 2)
        seen+=" $woke"
        ((woke >= $3 && woke <= $4)) && break
        ((SECONDS < deadline)) || e2e_fail "expected $what within $1 s, saw wake-ups in 2 s:$seen"
    done
    e2e_log "$what; wake-ups in 2 s:$seen"
}
