#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Installs what is missing, then builds and runs every test on this machine's
# Debian release: once with warnings as errors, once more under
# AddressSanitizer and UndefinedBehaviorSanitizer. Then the same in a root of
# each other release (scripts/release-root.sh): Debian 12 or 13, and testing,
# made while the host builds.
# Ends with one line per release, saying what ran or where it stopped; fails
# when a stage fails or runs no test.
# Usage: ./test.sh [STAGE...]   STAGE: host, root (every other release), or
# one release's codename; all of them when none is named.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/summary.sh
source /etc/os-release
usage() {
    echo "usage: $0 [host|root|bookworm|trixie|forky...]   (host and root when none is named)" >&2
    exit 2
}
roots=()
for suite in bookworm trixie forky; do
    [[ $suite == "$VERSION_CODENAME" ]] || roots+=("$suite")
done
(($# > 0)) || set -- host root
stages=()
for stage; do
    case $stage in
        host) stages+=(host) ;;
        root) stages+=("${roots[@]}") ;;
        bookworm | trixie | forky)
            [[ $stage != "$VERSION_CODENAME" ]] || stage=host
            stages+=("$stage")
            ;;
        *) usage ;;
    esac
done
jobs=$(nproc)
builds=${SLONK_BUILDS:-$PWD}
label=${SLONK_STAGE_LABEL:-"$(release_label host)"}
# The title bar's plugin is required in the tests: losing it fails the build.
configure=(-G Ninja -DSLONK_WERROR=ON -DSLONK_TITLEBAR=ON)
status=0
lines=()

# tests NAME LOG: NAME set to what CTest's log says ran; a log without a test
# in it fails the run.
tests() {
    local ran
    ran=$(passed "$2") || {
        status=1
        ran="no tests ran (see $2)"
    }
    printf -v "$1" '%s' "$ran"
}

# build FOLDER TYPE OPTION...: configured and built there.
build() {
    cmake -S . -B "$1" "${configure[@]}" -DCMAKE_BUILD_TYPE="$2" "${@:3}" >/dev/null &&
        cmake --build "$1" -j "$jobs"
}

# host: every test here, then under the sanitizers; one line. Both builds
# come first, while the roots are made beside them; no test runs before the
# roots are ready.
host() {
    local deps_log=$builds/deps.log plain=$builds/build sanitized=$builds/build-sanitize
    mkdir -p "$builds"
    if ! scripts/deps.sh test 2>&1 | tee "$deps_log"; then
        status=1
        local why
        why=$(sed -n 's/^cannot install: //p' "$deps_log" | tail -n 1)
        lines+=("$label: did not get as far as the tests: installing packages failed${why:+: the archive cannot install $why}")
        return
    fi
    if ! build "$plain" RelWithDebInfo; then
        status=1
        lines+=("$label: did not get as far as the tests: the build failed")
        return
    fi
    local sanitized_built=true plain_ran sanitized_ran
    build "$sanitized" Debug -DSLONK_SANITIZE=ON -DSLONK_LINK_PULSE=ON || sanitized_built=false
    roots_ready
    ctest --test-dir "$plain" --output-on-failure --no-tests=error -j "$jobs" 2>&1 |
        tee "$plain/ctest.log" || status=1
    tests plain_ran "$plain/ctest.log"
    if ! $sanitized_built; then
        status=1
        lines+=("$label: $plain_ran, and the build under the sanitizers failed")
        return
    fi
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/sanitizers/lsan.supp:print_suppressions=0 \
        ctest --test-dir "$sanitized" --output-on-failure --no-tests=error -j "$jobs" -LE fuzz 2>&1 |
        tee "$sanitized/ctest.log" || status=1
    tests sanitized_ran "$sanitized/ctest.log"
    lines+=("$label: $plain_ran, and $sanitized_ran under the sanitizers")
}

# make_roots SUITE...: each root made and filled with its packages in the
# background, downloads and unpacking beside the host's own; each root's
# stage then finds it ready, or says where it stopped.
making=()
make_roots() {
    (($# > 0)) || return 0
    scripts/deps.sh roots || return 0 # each stage says it, then
    local suite
    for suite; do
        scripts/release-root.sh "$suite" scripts/deps.sh test >"$builds/$suite-root-making.log" 2>&1 &
        making+=($!)
    done
}
roots_ready() {
    local pid
    for pid in "${making[@]}"; do
        wait "$pid" || true
    done
    making=()
}

# root SUITE: the same inside a root of that release; its line is its own.
root() {
    local log line root_status=0
    roots_ready
    log=$(mktemp)
    scripts/release-root.sh "$1" | tee "$log" || root_status=$?
    ((root_status == 0)) || status=1
    line=$(grep -E '^Debian [^:]* root\): ' "$log" | tail -n 1) ||
        line="The $1 root: ended (status $root_status) without saying how far it got"
    lines+=("$line")
    rm -f "$log"
}

if [[ " ${stages[*]} " == *" host "* ]]; then
    mkdir -p "$builds"
    make_roots $(printf '%s\n' "${stages[@]}" | grep -vx host || true)
fi
for stage in "${stages[@]}"; do
    if [[ $stage == host ]]; then host; else root "$stage"; fi
done
printf '%s\n' "${lines[@]}"
exit "$status"
