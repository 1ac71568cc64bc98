# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Sourced by the test scripts.

# passed LOG: "N of M passed" from CTest's log, or fails when it ran no tests.
passed() {
    local summary
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1) ||
        return 1
    [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]] &&
        echo "$((BASH_REMATCH[2] - BASH_REMATCH[1])) of ${BASH_REMATCH[2]} passed"
}
