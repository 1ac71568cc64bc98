#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Installs the Debian packages Slonk needs that are missing; fast when none is.
# Usage: scripts/deps.sh build|test|roots
set -euo pipefail

# libxcb1-dev: the program asks the X server itself before Qt does; libpulse-dev:
# it plays its cue through the sound server's PulseAudio interface itself;
# qt6-wayland: it runs natively on Wayland; qt6-wayland-dev: its own title bar
# there, a plugin of Qt's Wayland client; libsystemd-dev: logind's idle lock,
# asked on a system bus connection of its own.
build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libpulse-dev libgl-dev
                libxcb1-dev libqt6svg6 qt6-wayland qt6-wayland-dev libsystemd-dev fonts-liberation
                fonts-dejavu-core)
# The end-to-end tests run the real program on an X server with a window
# manager and a sound server, with time sped up; they read it over AT-SPI on a
# private session bus, and build, check (lintian, man) and install its package.
# The same natively on Wayland (weston) with PipeWire, and on the desktops
# themselves, headless: GNOME Shell with its session and settings daemon (and
# Mesa's software renderer), KWin with Plasma's title bars, PowerDevil and
# UPower (qtwayland5 for PowerDevil, a Qt 5 program); gdbus and gsettings ask
# them; the screen keeper is tried against Xfce's own power manager. The
# screen reader Orca reads the program as a blind user hears it. gdb leaves
# the stacks of a program that hangs; ss (iproute2) sees a connection waiting at
# a stalled bus.
# libxcb-damage0-dev: the benchmarks' X watcher counts repaints.
test_packages=(xvfb openbox xdotool x11-utils xclip imagemagick sox pulseaudio
               pulseaudio-utils faketime python3 dbus at-spi2-core python3-pyatspi
               desktop-file-utils appstream dpkg-dev lintian man-db clang libclang-rt-dev
               weston pipewire pipewire-pulse wireplumber pipewire-bin libxcb-damage0-dev
               gnome-shell gnome-session-bin gnome-settings-daemon dconf-cli
               dconf-gsettings-backend libgl1-mesa-dri libegl-mesa0 libglib2.0-bin
               kwin-wayland kwin-style-breeze powerdevil upower qtwayland5
               xfce4-power-manager orca gdb debootstrap iproute2)

# Debian 13 ships Qt Wayland's private headers, which the title bar's plugin
# builds against; Debian 12 ships none, and the plugin brings its own.
source /etc/os-release
[[ $VERSION_CODENAME == bookworm ]] ||
    build_packages+=(qt6-wayland-private-dev qt6-base-private-dev libxkbcommon-dev)

case "${1:-}" in
    build) wanted=("${build_packages[@]}") ;;
    test) wanted=("${build_packages[@]}" "${test_packages[@]}") ;;
    roots) wanted=(debootstrap) ;; # what making another release's root needs
    *) echo "usage: $0 build|test|roots" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ $status == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
# A testing release moves: when the archive cannot install a package (a
# library mid-transition), the last line names it and what it lacks.
"${sudo[@]}" apt-get update -q || {
    echo "cannot install: anything (apt-get update failed)" >&2
    exit 1
}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" 2>&1 | tee "$log" || {
    why=$(sed -n -E 's/^ *([^ ]+) *: *((Pre-)?Depends|Breaks|Conflicts): (.*)$/\1 (\2: \4)/p
                    s/^E: Unable to locate package (.*)$/\1 (not in the archive)/p
                    s/^E: Package .(.*). has no installation candidate$/\1 (no version to install)/p' "$log" |
        head -n 1)
    echo "cannot install: ${why:-the packages above (apt failed)}" >&2
    exit 1
}
