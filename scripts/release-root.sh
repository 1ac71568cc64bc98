#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Runs the host's whole test stage (./test.sh host: every CTest test, then
# again under the sanitizers) inside a root of another Debian release, made
# with debootstrap from the archive the host already uses and kept in a cache
# folder, so that a second run only updates it. Ends with one line:
# "Debian 13 (trixie root): 41 of 41 passed, 0 skipped, and ...", or the step
# it did not get past: "Debian testing (forky root): did not get as far as the
# tests: debootstrap failed, see LOG". Every process left in the root is
# stopped by its pid and every mount undone, however the run ends.
# Usage: scripts/release-root.sh SUITE [COMMAND...]   (as root)
# SUITE: bookworm, trixie or forky; COMMAND, run in the checkout inside the
# root instead of the tests (a shell, say).
# SLONK_ROOT_CACHE names the cache folder (default ~/.cache/slonk).
set -euo pipefail
[[ $(id -u) -eq 0 ]] || exec sudo "$0" "$@"
checkout=$(realpath "$(dirname "$0")/..")
declare -A release=([bookworm]="Debian 12" [trixie]="Debian 13" [forky]="Debian testing")
[[ -n ${1:-} && -n ${release[$1]:-} ]] || {
    echo "usage: $0 bookworm|trixie|forky [COMMAND...]" >&2
    exit 2
}
suite=$1
shift
cache=${SLONK_ROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/slonk}
root=$cache/$suite
label="${release[$suite]} ($suite root)"

# The archive the host installs from: its deb822 file, or its one-line list.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[[ -n $mirror ]] || mirror=$(awk '$1 == "deb" {print $2; exit}' /etc/apt/sources.list)

# Mounts, undone in reverse order however the run ends. The root is a mount
# point of its own so that the desktop scenarios' unshare can make it private.
mounts=()
mount_in() {
    step="mounting ${*: -1}"
    mount "$@"
    mounts+=("${*: -1}")
}
# Every process still running from inside the root, by its pid, then the mounts.
leave_root() {
    local pid link i
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
        link=$(readlink "/proc/$pid/root" 2>/dev/null) || continue
        [[ $link == "$root" ]] && kill -9 "$pid" 2>/dev/null || true
    done
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}"
    done
}
# The step under way and its log: a run that ends inside one says which, as
# the release's line, after the cleanup, which goes on past a failure of its own.
step='' step_log=''
finish() {
    local status=$?
    set +e
    ((${#mounts[@]} == 0)) || leave_root
    [[ -z $step ]] ||
        echo "$label: did not get as far as the tests: $step failed${step_log:+, see $step_log}"
    exit "$status"
}
trap finish EXIT

# A run killed before it could undo its mounts left them: undone first, so
# that nothing below is the checkout or the machine's own.
step="undoing the mounts of an earlier run"
! mountpoint -q "$root" || umount -R -l "$root"
if [[ ! -e $root/.complete ]]; then
    step="installing debootstrap"
    command -v debootstrap >/dev/null || "$checkout/scripts/deps.sh" roots
    echo "Making the $label in $root from $mirror"
    step="debootstrap" step_log=$cache/$suite-debootstrap.log
    rm -rf --one-file-system "$root"
    mkdir -p "$cache"
    # A debootstrap older than the suite has no script of its name; sid's
    # serves every suite.
    script=/usr/share/debootstrap/scripts/$suite
    [[ -e $script ]] || script=/usr/share/debootstrap/scripts/sid
    debootstrap --variant=minbase "$suite" "$root" "$mirror" "$script" >"$step_log"
    # Testing's Release file is valid for a week only, and an archive copy
    # may be older than that; stable releases carry no such date.
    [[ ${release[$suite]} != "Debian testing" ]] ||
        echo 'Acquire::Check-Valid-Until "false";' >"$root/etc/apt/apt.conf.d/90slonk-archive-copy"
    # The root is a cache, made anew whenever it is deleted: dpkg need not
    # sync each of its files to disk.
    echo force-unsafe-io >"$root/etc/dpkg/dpkg.cfg.d/90slonk-unsafe-io"
    touch "$root/.complete"
    step_log=
fi

mount_in --bind "$root" "$root"
mount_in -t proc proc "$root/proc"
mount_in --bind /sys "$root/sys"
mount_in --bind /dev "$root/dev"
mount_in --bind /dev/pts "$root/dev/pts"
mount_in -t tmpfs tmpfs "$root/dev/shm"
mount_in -t tmpfs tmpfs "$root/tmp"
mkdir -p "$root/src"
mount_in --bind "$checkout" "$root/src"
step="copying the host's resolv.conf into the root"
cp /etc/resolv.conf "$root/etc/resolv.conf"

inside() {
    # X displays from :120, clear of any the host's own tests hold.
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        E2E_DISPLAY_FROM=120 \
        TERM=${TERM:-dumb} bash -c 'cd /src && "$@"' inside "$@"
}
if (($# > 0)); then
    step=
    inside "$@"
    exit
fi

# The host's own stage, with the root's label, building into folders of the
# root's own so that the host's stay untouched.
log=$cache/$suite-test.log
step=
status=0
inside env SLONK_STAGE_LABEL="$label" SLONK_BUILDS=/ ./test.sh host 2>&1 | tee "$log" ||
    status=$?
grep -q "^$label: " "$log" || {
    status=1
    echo "$label: ended (status $status) without saying how far it got, see $log"
}
exit "$status"
