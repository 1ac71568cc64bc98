#!/usr/bin/env bash
# A screen reader's view: the accessibility tree over AT-SPI on a private
# session bus names every control, and reads the six values with their
# headings, before START and while the challenge runs.
source "$(dirname "$0")/../../testkit/harness.sh" accessibility "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_no_audio
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$ART/bus.address" \
    >"$ART/dbus.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 10 "a session bus" test -s "$ART/bus.address"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$ART/bus.address")
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$ART/at-spi.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait 10 "the accessibility bus" \
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

e2e_stage
e2e_launch
sleep 1 # the bridge registers the application
"$PYTHON" "$(dirname "$0")/a11y_tree.py" before >"$ART/tree-before.txt" 2>"$ART/a11y.err" ||
    e2e_fail "$(tail -n 1 "$ART/a11y.err")"
e2e_click_start
sleep 1.5
"$PYTHON" "$(dirname "$0")/a11y_tree.py" after >"$ART/tree-after.txt" 2>"$ART/a11y.err" ||
    e2e_fail "$(tail -n 1 "$ART/a11y.err")"
e2e_close_window
e2e_expect_exit 10
e2e_log "passed"
