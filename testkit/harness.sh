# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The end-to-end harness, sourced by each scenario and by the benchmarks: its own X server with a
# window manager, its own sound server recording what is played, the program
# staged as a user gets it, and cleanup of everything it started by process id.
# Every wait is bounded; a failure says in one line what was expected and seen,
# and leaves screenshots, the recording and logs in $ART.
#
# Usage:  source testkit/harness.sh NAME BUILD-FOLDER
set -euo pipefail

E2E_NAME=$1
E2E_BUILD=$(realpath "$2")
E2E_KIT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_SOURCE=$(dirname "$E2E_KIT")
ART=$E2E_BUILD/e2e/$E2E_NAME
TITLE='100 Vured iv 100 Irizeze'
E2E_PIDS=()
PYTHON=/usr/bin/python3 # Debian's, which has the AT-SPI bindings
APP_PID=
WID=
E2E_ENV=()
E2E_STALLED=()

# A sanitized build reports through its exit code; libfaketime is preloaded
# ahead of the sanitizer runtime, which it must tolerate.
export ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0:exitcode=23
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$E2E_SOURCE/tests/sanitizers/lsan.supp:print_suppressions=0

rm -rf "$ART"
mkdir -p "$ART/runtime"
chmod 700 "$ART/runtime"
# The program also takes a user's own cue from $XDG_DATA_HOME/slonk: the one
# of whoever runs the tests must never be what is heard.
export XDG_DATA_HOME=$ART/runtime/.local/share

# e2e_stop PID: ends one process the harness started, by its id: SIGTERM,
# then SIGKILL after 2.5 s.
e2e_stop() {
    kill "$1" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.05; done
    kill -9 "$1" 2>/dev/null || true
}

# e2e_tree PID: the process and all beneath it, parents first.
e2e_tree() {
    local child
    echo "$1"
    for child in $(pgrep -P "$1"); do e2e_tree "$child"; done
}

# Everything the harness started: told to end all at once, then each waited for.
# The program itself too, not only the timeout above it: a hung program ignores
# SIGTERM and would outlive a timeout killed in its place.
e2e_cleanup() {
    local pid pids=("${E2E_PIDS[@]}")
    [[ ${#E2E_STALLED[@]} -eq 0 ]] || kill -CONT "${E2E_STALLED[@]}" 2>/dev/null || true
    [[ -z $APP_PID ]] || pids+=($(e2e_tree "$APP_PID"))
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        e2e_stop "$pid"
    done
}
trap e2e_cleanup EXIT

# A failure anywhere fails the scenario. Called in a command substitution, a
# pipeline or a background job, e2e_fail runs in a subshell, whose exit ends
# only that subshell: it tells the shell that sourced the harness too. Its
# line goes to the scenario's own standard error, which a check whose output
# is thrown away (e2e_wait's) does not silence.
E2E_SCENARIO_PID=$BASHPID
trap 'exit 1' USR1
exec {E2E_STDERR}>&2
e2e_fail() {
    echo "FAIL $E2E_NAME: $* (artefacts in $ART)" >&"$E2E_STDERR"
    [[ $BASHPID == "$E2E_SCENARIO_PID" ]] || kill -USR1 "$E2E_SCENARIO_PID"
    exit 1
}

e2e_log() {
    echo "[$E2E_NAME $(date +%T.%3N)] $*"
}

# e2e_wait SECONDS WHAT COMMAND...: polls COMMAND every 50 ms until it succeeds.
e2e_wait() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || e2e_fail "expected $what within ${seconds}s, saw nothing"
        sleep 0.05
    done
}

# e2e_start_x [WIDTHxHEIGHT bare]: an X server on a free display, as $DISPLAY,
# 1024x768 unless told; with openbox managing it unless bare.
e2e_start_x() {
    local number
    for number in $(seq "${E2E_DISPLAY_FROM:-20}" 199); do
        [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]] || break
    done
    export DISPLAY=:$number
    Xvfb "$DISPLAY" -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset >"$ART/xvfb.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "the X server on $DISPLAY" xdpyinfo
    [[ ${2:-} != bare ]] || return 0
    # A window mapped while openbox is still starting may never be managed:
    # openbox runs --startup once it is ready.
    openbox --sm-disable --startup "touch $ART/openbox.ready" >"$ART/openbox.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "openbox managing the screen" test -e "$ART/openbox.ready"
}

# Starts a private PulseAudio server with a null sink at the cue's own format,
# and a recorder of its monitor into $ART/recording.wav.
e2e_start_audio() {
    export XDG_RUNTIME_DIR=$ART/runtime HOME=$ART/runtime
    export PULSE_SERVER=unix:$ART/runtime/pulse.sock
    rm -f "$ART/runtime/pulse.sock"
    pulseaudio --daemonize=no --exit-idle-time=-1 --system=false -n --disallow-exit \
        --load="module-null-sink sink_name=rec rate=44100 channels=2 norewinds=1" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$ART/runtime/pulse.sock" \
        >>"$ART/pulseaudio.log" 2>&1 &
    E2E_PULSE=$!
    E2E_PIDS+=($E2E_PULSE)
    e2e_wait 10 "the sound server" pactl info
    pactl set-sink-volume rec 100%
    e2e_record
}

# e2e_record [passive]: records the null sink "rec" into $ART/recording.wav, or
# a fresh file when that one exists. Any recorder keeps the sink running; a
# passive one lets it suspend when nothing plays, as on a quiet desktop.
e2e_record() {
    local recording=$ART/recording.wav passive=()
    [[ -e $recording ]] && recording=$ART/recording-$SECONDS.wav
    [[ ${1:-} == passive ]] && passive=(env PULSE_PROP=node.passive=true)
    "${passive[@]}" parecord -d rec.monitor --latency-msec="${E2E_RECORD_LATENCY_MS:-10}" \
        --file-format=wav --rate=44100 \
        --channels=2 --format=s16le "$recording" >>"$ART/parecord.log" 2>&1 &
    E2E_RECORDER=$!
    E2E_PIDS+=($E2E_RECORDER)
    e2e_wait 10 "the recorder's stream at the server" sh -c "pactl list short source-outputs | grep -q ."
}

# A private session bus, once: for the accessibility bus and for PipeWire's
# session manager, which ends at once without one.
e2e_start_session_bus() {
    [[ -z ${E2E_BUS:-} ]] || return 0
    dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$ART/bus.address" \
        >"$ART/dbus.log" 2>&1 &
    E2E_BUS_PID=$!
    E2E_PIDS+=($E2E_BUS_PID)
    e2e_wait 10 "a session bus" test -s "$ART/bus.address"
    E2E_BUS=$(head -n 1 "$ART/bus.address")
    export DBUS_SESSION_BUS_ADDRESS=$E2E_BUS
}

# A bus standing in for the system bus, where any name may be owned, at a
# socket of its own ($E2E_SYSTEM_BUS_SOCKET), for the program launched next.
e2e_start_system_bus() {
    E2E_SYSTEM_BUS_SOCKET=$(mktemp -u "$ART/runtime/system_bus.XXXXXX")
    rm -f "$ART/system-bus.address"
    dbus-daemon --session --address="unix:path=$E2E_SYSTEM_BUS_SOCKET" --nofork --nopidfile \
        --print-address=3 3>"$ART/system-bus.address" >"$ART/system-bus.log" 2>&1 &
    E2E_SYSTEM_BUS_PID=$!
    E2E_PIDS+=($E2E_SYSTEM_BUS_PID)
    e2e_wait 10 "a stand-in system bus" test -s "$ART/system-bus.address"
    E2E_SYSTEM_BUS=$(head -n 1 "$ART/system-bus.address")
}

# Connections the stand-in system bus has not taken yet: a stalled daemon's.
e2e_system_bus_waiting() {
    ss -xlnH | awk -v socket="$E2E_SYSTEM_BUS_SOCKET" '$5 == socket {print $3}'
}

# e2e_hold_then_hang: everything the end waits on, hung at once, for the program
# launched next: it holds a stand-in screensaver's inhibitor on the session bus
# and a stand-in logind's on the system bus, its cue file and the toolkit's
# display disconnect hang for good (testkit/slowfile.so). Once it holds both,
# e2e_stall_everything stops the sound server (started before) and both buses.
e2e_hold_then_hang() {
    e2e_start_session_bus
    e2e_start_system_bus
    "$E2E_BUILD/testkit/fake_screensaver" >"$ART/screensaver.log" 2>&1 &
    E2E_PIDS+=($!)
    DBUS_SYSTEM_BUS_ADDRESS=$E2E_SYSTEM_BUS "$E2E_BUILD/testkit/fake_screensaver" --login1 \
        >"$ART/login1.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "the stand-in screensaver" e2e_stand_in_calls ScreenSaver --session
    e2e_wait 10 "the stand-in logind" e2e_stand_in_calls login1 --address "$E2E_SYSTEM_BUS"
    E2E_ENV=(LD_PRELOAD="$E2E_BUILD/testkit/slowfile.so" SLOWFILE_SECONDS=forever
             SLOWFILE_HANG_DISPLAY=1 DBUS_SYSTEM_BUS_ADDRESS="$E2E_SYSTEM_BUS")
    E2E_TEARDOWN_HANGS=1
}

# e2e_stand_in_calls NAME BUS-OPTION...: what the stand-in for
# org.freedesktop.NAME (ScreenSaver or login1) was asked so far.
e2e_stand_in_calls() {
    local name=$1
    shift
    gdbus call "$@" --dest "org.freedesktop.$name" --object-path "/org/freedesktop/$name" \
        --method org.freedesktop.Stand.Calls
}

# Whether the program holds the stand-ins' inhibitors.
e2e_holds_screensaver() {
    e2e_stand_in_calls ScreenSaver --session | grep -q Inhibit
}
e2e_holds_logind() {
    e2e_stand_in_calls login1 --address "$E2E_SYSTEM_BUS" | grep -q Inhibit
}

e2e_stall_everything() {
    e2e_wait 10 "the screensaver's inhibitor held" e2e_holds_screensaver
    e2e_wait 10 "logind's inhibitor held" e2e_holds_logind
    E2E_STALLED=("$E2E_PULSE" "$E2E_BUS_PID" "$E2E_SYSTEM_BUS_PID")
    kill -STOP "${E2E_STALLED[@]}"
    e2e_log "sound server and both buses stalled"
}

# Lets what e2e_stall_everything stopped run again, so that it can be ended.
e2e_resume_everything() {
    kill -CONT "${E2E_STALLED[@]}"
    E2E_STALLED=()
    E2E_ENV=()
    E2E_TEARDOWN_HANGS=
}

# A private session bus and accessibility bus, so the program can be read and
# driven over AT-SPI (testkit/atspi.py) as a screen reader would.
e2e_start_accessibility() {
    e2e_start_session_bus
    /usr/libexec/at-spi-bus-launcher --launch-immediately >"$ART/at-spi.log" 2>&1 &
    E2E_PIDS+=($!)
    e2e_wait 10 "the accessibility bus" \
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    E2E_ATSPI=1
}

# e2e_atspi COMMAND ARGS...: testkit/atspi.py; its output, or a failure in its words.
e2e_atspi() {
    "$PYTHON" "$E2E_KIT/atspi.py" "$@" 2>"$ART/atspi.err" || e2e_fail "$(tail -n 1 "$ART/atspi.err")"
}

# No sound server at all: the program's client finds nothing to connect to.
e2e_no_audio() {
    export XDG_RUNTIME_DIR=$ART/runtime HOME=$ART/runtime
    export PULSE_SERVER=unix:$ART/runtime/no-such-server.sock
}

e2e_stop_recorder() {
    kill -INT "$E2E_RECORDER" 2>/dev/null || true
    e2e_wait 5 "the recorder to finish its file" sh -c "! kill -0 $E2E_RECORDER"
}

# The program and its sound in one folder, as a user gets them, and its
# Wayland title bar where the program looks for it (lib/slonk beside bin/).
e2e_stage() {
    mkdir -p "$ART/app"
    cp "$E2E_BUILD/bin/slonk" "$E2E_BUILD/bin/slonk.wav" "$ART/app/"
    local dir
    for dir in $(cd "$E2E_BUILD" && find . -path ./e2e -prune -o -type d -name wayland-decoration-client -print); do
        mkdir -p "$ART/$dir"
        cp "$E2E_BUILD/$dir"/*.so "$ART/$dir/"
    done
}

# e2e_real_deadline FAKETIME-RATE: the cue's deadline for a program sped up at
# that rate ("+0 x100"). It is 2 s on the program's clock, which the rate
# speeds up too: at x100 it would be 20 ms of real time, and a busy machine,
# not the program, would decide which cues are dropped. So it is kept at 2 s
# of real time (SLONK_CUE_DEADLINE_MS), unless E2E_ENV sets it after.
e2e_real_deadline() {
    local speed=1
    [[ $1 =~ x([0-9]+)$ ]] && speed=${BASH_REMATCH[1]}
    echo "SLONK_CUE_DEADLINE_MS=$((2000 * speed))"
}

# e2e_launch [FAKETIME-RATE]: starts the staged program, or E2E_PROGRAM, (under
# libfaketime when a rate is given) and waits for its window, whose id lands in WID.
e2e_launch() {
    # E2E_ENV: variables for the program alone, not for timeout or faketime.
    local command=(env "${E2E_ENV[@]}" "${E2E_PROGRAM:-$ART/app/slonk}")
    [[ $# -gt 0 ]] && command=(faketime -f "$1" env "$(e2e_real_deadline "$1")" "${command[@]}")
    # timeout stays outside faketime, or its own clock is sped up too.
    timeout "${E2E_TIMEOUT:-300}" "${command[@]}" >"$ART/slonk.log" 2>&1 &
    APP_PID=$!
    local known=" $(xdotool search --onlyvisible --name "^$TITLE\$" | tr '\n' ' ')" deadline=$((SECONDS + 20))
    WID=
    while [[ -z $WID ]]; do
        if ((SECONDS >= deadline)); then
            xwininfo -root -tree >"$ART/windows.txt" 2>&1 || true
            ps -o pid,stat,wchan:30,args --ppid "$APP_PID" >"$ART/processes.txt" 2>&1 || true
            e2e_fail "expected the window \"$TITLE\" within 20 s, saw nothing"
        fi
        sleep 0.05
        for window in $(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null); do
            [[ $known == *" $window "* ]] || WID=$window
        done
    done
    local title
    title=$(xdotool getwindowname "$WID")
    [[ $title == "$TITLE" ]] || e2e_fail "expected the title \"$TITLE\", saw \"$title\""
    e2e_wait 10 "openbox to frame the window" sh -c "xprop -id $WID _NET_FRAME_EXTENTS | grep -q ="
    e2e_wait 10 "the window viewable" sh -c "xwininfo -id $WID | grep -q IsViewable"
    [[ -z ${E2E_ATSPI:-} ]] || e2e_atspi wait-app 10
}

# A program that hangs leaves every thread's stack in hung.txt: a hang seen once
# under load may not be seen again.
e2e_stacks() {
    local pid
    for pid in $(e2e_tree "$APP_PID"); do
        [[ $(cat "/proc/$pid/comm" 2>/dev/null) == slonk ]] || continue
        timeout 30 gdb -p "$pid" -batch -ex 'thread apply all bt' >"$ART/hung.txt" 2>&1 || true
    done
}

# e2e_expect_exit SECONDS: the program ends by itself with exit code 0.
e2e_expect_exit() {
    local deadline=$((SECONDS + $1)) code=0
    while kill -0 "$APP_PID" 2>/dev/null; do
        if ((SECONDS >= deadline)); then
            e2e_stacks
            e2e_fail "expected the program to exit within $1 s, it still runs (stacks in hung.txt)"
        fi
        sleep 0.05
    done
    wait "$APP_PID" || code=$?
    APP_PID=
    [[ $code -eq 0 ]] || e2e_fail "expected exit code 0, saw $code"
    e2e_whole_teardown
}

# The end's bound cut the teardown short: unless a row hangs it on purpose
# (E2E_TEARDOWN_HANGS), a fault it would otherwise hide.
e2e_whole_teardown() {
    [[ -n ${E2E_TEARDOWN_HANGS:-} ]] ||
        ! grep -qF "ending without the rest of the teardown" "$ART/slonk.log" ||
        e2e_fail "expected the whole teardown, saw it cut short: $(grep slonk: "$ART/slonk.log" | tr '\n' '|')"
}

# e2e_ends_within SECONDS HOW COMMAND...: once COMMAND has told the program to
# end, it is gone within the bound with exit code 0; its time is logged. The
# poll only paces the look: what is judged is the exit against the bound.
e2e_ends_within() {
    local seconds=$1 how=$2 from
    shift 2
    from=${EPOCHREALTIME/./}
    "$@"
    while kill -0 "$APP_PID" 2>/dev/null && ((${EPOCHREALTIME/./} - from < seconds * 1000000)); do
        sleep 0.005
    done
    local took=$(((${EPOCHREALTIME/./} - from) / 1000))
    if kill -0 "$APP_PID" 2>/dev/null; then
        e2e_stacks
        e2e_fail "expected the program gone within $seconds s of $how, it still ran after $took ms (stacks in hung.txt)"
    fi
    e2e_expect_exit 0
    e2e_log "$how: ended after $took ms"
}

# Pixel positions inside the window's client area.
e2e_click() {
    xdotool mousemove --window "$WID" "$1" "$2" click "${3:-1}"
}

# e2e_shot NAME: the window into $ART/NAME.png; a shot that failed leaves no
# older one of that name to be counted in its stead.
e2e_shot() {
    rm -f "$ART/$1.png"
    import -window "$WID" "$ART/$1.png" 2>>"$ART/import.log" ||
        e2e_fail "expected a screenshot $1.png of the window, saw import fail: $(tail -n 1 "$ART/import.log")"
}

# e2e_count_colour SHOT.png "#RRGGBB" [GEOMETRY [FUZZ%]]: pixels of that colour,
# or within FUZZ of it, in the shot or in the part GEOMETRY (WxH+X+Y) of it.
# No picture to count in is a failure, never a count of 0.
e2e_count_colour() {
    local crop=() marker='#FF00FE' pixels # a colour none of our shots holds
    [[ $# -gt 2 ]] && crop=(-crop "$3" +repage)
    pixels=$(convert "$ART/$1" "${crop[@]}" -alpha off -fuzz "${4:-0}" -fill "$marker" -opaque "$2" \
        -depth 8 txt:- 2>"$ART/convert.err") && [[ -n $pixels ]] ||
        e2e_fail "expected pixels to count in $1, saw none: $(head -n 1 "$ART/convert.err")"
    grep -c -i " $marker " <<<"$pixels" || true
}

# The box's text, as a screen reader reads it (needs e2e_start_accessibility).
e2e_volume_text() {
    e2e_atspi text "Shot Volume"
}

# e2e_wait_cues SECONDS COUNT CUE.wav [--also CUE2.wav]: waits until the growing
# recording holds COUNT whole copies of the cue (or of both cues together).
e2e_wait_cues() {
    local seconds=$1 count=$2 verdict
    shift 2
    verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$@" --at-least "$count" \
        --wait "$seconds" 2>&1) || e2e_fail "$verdict"
    e2e_log "$verdict"
}

# e2e_cues CUE.wav ARGS...: checks the copies of a cue in the recording (cues.py).
e2e_cues() {
    local verdict
    verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$@" 2>&1) || e2e_fail "$verdict"
    e2e_log "$verdict"
}

# Clicks START and watches the cue band for a red "SLONK!" (catch_colour.py).
e2e_click_start() {
    e2e_click 152 248
    e2e_log "START"
    "$PYTHON" "$E2E_KIT/catch_colour.py" "$WID" 0 48 313 73 ff0000 500 "${1:-20}" \
        "$ART/flash.ppm" &
    E2E_CATCHER=$!
    E2E_PIDS+=($E2E_CATCHER)
}

e2e_expect_flash() {
    wait "$E2E_CATCHER" || e2e_fail "expected a red SLONK! flash after START, caught none"
    convert "$ART/flash.ppm" "$ART/flash.png"
}

# e2e_count_flashes: starts counting the "SLONK!" cue's appearances over
# AT-SPI (too brief at x100 for any screenshot), on X11 as on Wayland; before
# the program starts, so that it knows someone listens. Needs
# e2e_start_accessibility.
e2e_count_flashes() {
    rm -f "$ART/flashes"
    "$PYTHON" "$E2E_KIT/atspi_events.py" "SLONK!" "$ART/flashes" 2>"$ART/flashes.err" &
    E2E_FLASH_COUNTER=$!
    E2E_PIDS+=($E2E_FLASH_COUNTER)
    e2e_wait 10 "the flash counter listening" test -s "$ART/flashes"
}

# The flashes counted so far.
e2e_flashes() {
    cat "$ART/flashes"
}

# e2e_watch_paints: the program launched next stamps each of its repaints
# (testkit/firstpaint.so); e2e_longest_paint_gap SPEED then tells the longest
# time the window went without one after START, in real ms.
e2e_watch_paints() {
    export LD_PRELOAD=$E2E_BUILD/testkit/firstpaint.so BENCH_PAINTS_FILE=$ART/paints.txt \
        BENCH_START_FILE=$ART/start.txt
}

e2e_longest_paint_gap() {
    # The stamps are in the program's sped-up time.
    "$PYTHON" - "$ART/paints.txt" "$ART/start.txt" "$1" <<'PY' || e2e_fail "expected repaints stamped after START, saw none"
import sys
start = int(open(sys.argv[2]).read().split()[0])
stamps = [int(line) for line in open(sys.argv[1]) if line.strip() and int(line) > start]
gaps = [(b - a) / 1e6 / float(sys.argv[3]) for a, b in zip(stamps, stamps[1:])]
print(f"{max(gaps):.1f}")
PY
}

# e2e_finish SECONDS [VOLUME]: waits for the finish box, reads it and the window
# to the letter over AT-SPI when VOLUME is given, sees the smiley on screen and
# dismisses the box with Enter on its OK button.
e2e_finish() {
    e2e_wait "$1" "the finish box \"Slonk!\"" \
        sh -c "xdotool search --onlyvisible --name '^Slonk!\$' | grep ."
    local box
    box=$(xdotool search --onlyvisible --name '^Slonk!$' | head -n 1)
    e2e_log "finish box"
    [[ $# -lt 2 ]] || e2e_log "$(e2e_atspi finish 5 "$2")"
    # The box, centred on the window, hides part of the smiley.
    e2e_wait 10 "the yellow smiley on screen at the finish" e2e_smiley_shown
    xdotool windowactivate "$box"
    e2e_wait 10 "the finish box to take the focus" sh -c "[ \"\$(xdotool getactivewindow)\" = $box ]"
    xdotool key Return
}

e2e_smiley_shown() {
    e2e_shot finish
    (($(e2e_count_colour finish.png "#FFD600") > 3000))
}

# Closes the window as a person would: a click on the close button at the
# right end of openbox's title bar.
e2e_close_window() {
    xdotool mousemove $(e2e_close_button) click 1
}

# Where openbox's close button is on the screen, as "X Y".
e2e_close_button() {
    local x y width
    x=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/ {print $4}')
    y=$(xwininfo -id "$WID" | awk '/Absolute upper-left Y/ {print $4}')
    width=$(xwininfo -id "$WID" | awk '/Width:/ {print $2}')
    echo $((x + width - 11)) $((y - 10))
}

# The program's own process id (beneath timeout and faketime).
e2e_program_pid() {
    local pid=$APP_PID
    for _ in 1 2 3; do
        [[ $(cat "/proc/$pid/comm" 2>/dev/null) == slonk ]] && { echo "$pid"; return; }
        pid=$(pgrep -P "$pid" | head -n 1)
        [[ -n $pid ]] || break
    done
    e2e_fail "expected the program's process, saw none"
}
