# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A private PipeWire for the end-to-end tests and benchmarks, sourced after
# harness.sh: the graph clock at the cue's rate (else every cue is resampled and
# no copy matches bit for bit), wireplumber as the session manager (without it
# nothing plays), pipewire-pulse for the program's PulseAudio client, and a
# null sink "rec" at the cue's format, the default, recorded as on PulseAudio.

# e2e_start_pipewire [passive]: the server up, its sink recorded into
# $ART/recording.wav (passively: see e2e_record).
e2e_start_pipewire() {
    export XDG_RUNTIME_DIR=$ART/runtime HOME=$ART/home XDG_CONFIG_HOME=$ART/home/.config
    # wireplumber keeps per-program volumes under $HOME: a fresh one each run.
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
    echo 'context.properties = { default.clock.rate = 44100 default.clock.allowed-rates = [ 44100 ] }' \
        >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/10-clock.conf"
    # No Bluetooth: it asks logind for the seat, and wireplumber ends where
    # there is none (a scenario's private /run). Read after the packaged
    # settings (50-) and before they are acted on (90-enable-all).
    mkdir -p "$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d"
    echo 'bluez_monitor.enabled = false' >"$XDG_CONFIG_HOME/wireplumber/bluetooth.lua.d/80-off.lua"
    e2e_start_session_bus
    export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
    rm -f "$XDG_RUNTIME_DIR/pipewire-0" "$XDG_RUNTIME_DIR/pulse/native"
    # At info level it logs each node's latency and every XRun (a graph cycle
    # missed), which tell a glitch of the graph from a stream run dry.
    PIPEWIRE_DEBUG=3 pipewire >>"$ART/pipewire.log" 2>&1 &
    E2E_PIPEWIRE=$!
    E2E_PIDS+=($E2E_PIPEWIRE)
    e2e_wait 10 "PipeWire's socket" test -S "$XDG_RUNTIME_DIR/pipewire-0"
    wireplumber >>"$ART/wireplumber.log" 2>&1 &
    E2E_WIREPLUMBER=$!
    E2E_PIDS+=($E2E_WIREPLUMBER)
    # Its log says whether its data thread got real-time scheduling.
    PIPEWIRE_DEBUG=3 pipewire-pulse >>"$ART/pipewire-pulse.log" 2>&1 &
    E2E_PIPEWIRE_PULSE=$!
    E2E_PIDS+=($E2E_PIPEWIRE_PULSE)
    e2e_wait 10 "pipewire-pulse" pactl info
    pactl load-module module-null-sink sink_name=rec rate=44100 channels=2 format=s16le >/dev/null
    # Chosen, not left to wireplumber: 0.5 (Debian 13), started again beside a
    # sink made before it was ready, now and then chose none for 30 s. Asked
    # until it holds: until wireplumber is up, the server refuses the choice.
    e2e_wait 10 "the null sink as the default" \
        sh -c 'pactl set-default-sink rec && [ "$(pactl get-default-sink)" = rec ]'
    pactl set-sink-volume rec 100%
    # PipeWire runs its whole graph at the smallest latency any stream asks
    # for: a 10 ms recorder would make it a 256-frame cycle, which a loaded
    # machine without real-time scheduling sometimes misses, dropping one
    # cycle from the middle of a cue. 40 ms keeps the desktop's usual 1024.
    E2E_RECORD_LATENCY_MS=40 e2e_record "$@"
}

# Kills the three PipeWire processes and the recorder at once, as a crash would.
e2e_kill_pipewire() {
    kill -9 "$E2E_PIPEWIRE" "$E2E_WIREPLUMBER" "$E2E_PIPEWIRE_PULSE" "$E2E_RECORDER" 2>/dev/null || true
    local pid
    for pid in "$E2E_PIPEWIRE" "$E2E_WIREPLUMBER" "$E2E_PIPEWIRE_PULSE" "$E2E_RECORDER"; do
        e2e_wait 5 "PipeWire process $pid gone" sh -c "! kill -0 $pid"
    done
}

# e2e_missed_cycles [FOLDER [NODE [STALLS]]]: the graph cycles a client of
# PipeWire missed in the run whose artefacts are in FOLDER ($ART by default),
# or only those in which a node named NODE was late; 0 without PipeWire. The
# daemon logs each as "client too slow", a line for each late node, as the
# next cycle begins. Its pulse layer is the client that plays the program's
# streams and the recorder's on one real-time thread; the recorder's start is
# one miss. With a STALLS file of bench/rt_stalls, a second number: the misses
# whose cycle (the 46 ms before the line) overlaps a CPU held back, the
# LATE-MS before each stall's stamp, on the log's clock.
e2e_missed_cycles() {
    local log=${1:-$ART}/pipewire.log
    [[ -f $log ]] || { echo 0 0; return; }
    awk -v node="(${2:-}" -v stalls="${3:-/dev/null}" '
        FILENAME == stalls { from[n] = $1 - $3 / 1000; to[n++] = $1; next }
        /client too slow/ && index($0, node) {
            match($0, /pos:[0-9]+/); pos = substr($0, RSTART, RLENGTH)
            if (pos in seen) next
            seen[pos]
            match($0, /\]\[[0-9.]+\]/); t = substr($0, RSTART + 2, RLENGTH - 3) + 0
            for (i = 0; i < n; i++)
                if (from[i] < t && to[i] > t - 0.046) { held++; break }
        }
        END { print length(seen), held + 0 }' "${3:-/dev/null}" "$log"
}

# e2e_start_sound pulseaudio|pipewire [passive]: either server, recorded.
e2e_start_sound() {
    case $1 in
        pulseaudio) e2e_start_audio ;;
        pipewire) e2e_start_pipewire "${@:2}" ;;
        *) e2e_fail "expected the sound server pulseaudio or pipewire, saw \"$1\"" ;;
    esac
}
