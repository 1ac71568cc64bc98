# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Sourced by the test scripts.

# passed LOG: "P of N passed, S skipped" from CTest's log, or fails when it ran
# no tests. CTest counts a skipped test among the passed and leaves a disabled
# one out of its total; both are in its list of tests that did not run, below
# its last summary, and are told apart here.
passed() {
    local summary skipped
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1) ||
        return 1
    [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]] || return 1
    local failed=${BASH_REMATCH[1]} total=${BASH_REMATCH[2]}
    skipped=$(awk -v summary="$summary" '
        $0 == summary { after = 1; n = 0; disabled = 0; next }
        after && /^The following tests/ { listing = /did not run:$/; next }
        after && listing && /^[ \t]+[0-9]+ - .* \(Skipped\)$/ { n++ }
        after && listing && /^[ \t]+[0-9]+ - .* \(Disabled\)$/ { n++; disabled++ }
        END { print n, disabled }' "$1")
    local disabled=${skipped#* }
    skipped=${skipped% *}
    total=$((total + disabled))
    ((total > 0)) || return 1
    echo "$((total - failed - skipped)) of $total passed, $skipped skipped"
}

# release_label WHERE: this machine's Debian release, its codename and WHERE,
# "Debian 12 (bookworm host)"; testing and unstable have no version number,
# only the codename of the one to come: "Debian testing (forky host)".
release_label() {
    (
        source /etc/os-release
        echo "Debian ${VERSION_ID:-testing} (${VERSION_CODENAME:-unknown} $1)"
    )
}
