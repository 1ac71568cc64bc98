# A private PipeWire for the end-to-end tests, sourced after harness.sh: its
# own session bus (wireplumber exits at once without one), the graph clock at
# the cue's rate so the recording is bit-exact, wireplumber for the session,
# pipewire-pulse for the program's PulseAudio client, and a null sink "rec".
# Sets the same variables as e2e_start_audio, so the same recorder and cue
# finder work on it.

# e2e_start_pipewire: the server, up and recording into $ART/recording.wav.
e2e_start_pipewire() {
    export XDG_RUNTIME_DIR=$ART/runtime HOME=$ART/home XDG_CONFIG_HOME=$ART/home/.config
    mkdir -p "$XDG_CONFIG_HOME/pipewire/pipewire.conf.d"
    # At the default 48 kHz every cue is resampled and no copy matches.
    cat >"$XDG_CONFIG_HOME/pipewire/pipewire.conf.d/10-clock.conf" <<'CONF'
context.properties = { default.clock.rate = 44100  default.clock.allowed-rates = [ 44100 ] }
CONF
    if [[ -z ${E2E_PW_BUS:-} ]]; then
        dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$ART/pw-bus.address" \
            >"$ART/pw-dbus.log" 2>&1 &
        E2E_PIDS+=($!)
        e2e_wait 10 "a session bus for PipeWire" test -s "$ART/pw-bus.address"
        E2E_PW_BUS=$(head -n 1 "$ART/pw-bus.address")
    fi
    export DBUS_SESSION_BUS_ADDRESS=$E2E_PW_BUS
    export PULSE_SERVER=unix:$XDG_RUNTIME_DIR/pulse/native
    rm -f "$XDG_RUNTIME_DIR/pipewire-0" "$XDG_RUNTIME_DIR/pulse/native"
    pipewire >>"$ART/pipewire.log" 2>&1 &
    E2E_PIPEWIRE=$!
    E2E_PIDS+=($E2E_PIPEWIRE)
    e2e_wait 10 "PipeWire's socket" test -S "$XDG_RUNTIME_DIR/pipewire-0"
    wireplumber >>"$ART/wireplumber.log" 2>&1 &
    E2E_WIREPLUMBER=$!
    E2E_PIDS+=($E2E_WIREPLUMBER)
    pipewire-pulse >>"$ART/pipewire-pulse.log" 2>&1 &
    E2E_PIPEWIRE_PULSE=$!
    E2E_PIDS+=($E2E_PIPEWIRE_PULSE)
    e2e_wait 10 "pipewire-pulse" pactl info
    pactl load-module module-null-sink sink_name=rec rate=44100 channels=2 format=s16le \
        >/dev/null
    e2e_wait 10 "the null sink as the default" sh -c '[ "$(pactl get-default-sink)" = rec ]'
    pactl set-sink-volume rec 100%
    e2e_record
}

# e2e_record [passive]: records the null sink's monitor into $ART/recording.wav
# (or a fresh name when there is one). A passive recorder lets the sink suspend.
e2e_record() {
    local recording=$ART/recording.wav
    [[ -e $recording ]] && recording=$ART/recording-$SECONDS.wav
    local props=()
    [[ ${1:-} == passive ]] && props=(env PULSE_PROP='node.passive=true')
    "${props[@]}" parecord -d rec.monitor --latency-msec=10 --file-format=wav --rate=44100 \
        --channels=2 --format=s16le "$recording" >>"$ART/parecord.log" 2>&1 &
    E2E_RECORDER=$!
    E2E_PIDS+=($E2E_RECORDER)
    sleep 0.3 # the recorder's stream is up
}
