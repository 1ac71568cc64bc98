#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The .deb as a user installs it: every file where the install rules put it,
# lintian, the validators and man satisfied, and the installed program playing
# its own sound from the data folder, then the user's own from $XDG_DATA_HOME.
source "$(dirname "$0")/../../testkit/harness.sh" installed-package "${1:?usage: $0 BUILD-FOLDER}"

(cd "$E2E_BUILD" && cpack -G DEB -B "$ART/package" >"$ART/cpack.log" 2>&1) ||
    e2e_fail "expected cpack to build the package, see cpack.log"
deb=$(ls "$ART"/package/slonk_1.00_*.deb 2>/dev/null | head -n 1)
[[ -n $deb ]] || e2e_fail "expected slonk_1.00_<arch>.deb, saw $(ls "$ART/package")"

# A distribution takes no package with lintian errors or warnings. Judged by
# lintian's own verdict: a package it could not read (skipped) fails too.
lintian --pedantic --display-info --fail-on error,warning "$deb" >"$ART/lintian.log" 2>&1 ||
    e2e_fail "expected lintian to pass the package, saw: $(grep -m1 -E '^[EW]:|^Skipping' "$ART/lintian.log" ||
        tail -n 1 "$ART/lintian.log")"
! grep -q '^Skipping' "$ART/lintian.log" ||
    e2e_fail "expected lintian to check the package, saw: $(grep -m1 '^Skipping' "$ART/lintian.log")"
grep -qE '^[IPX]:' "$ART/lintian.log" && e2e_log "lintian: $(grep -E '^[IPX]:' "$ART/lintian.log" | tr '\n' ' ')"

fields=$(dpkg-deb -f "$deb" Package Version Section Maintainer Depends Recommends)
for wanted in "Section: utils" "Maintainer: The Slonk developers" "libqt6widgets6" \
              "libqt6svg6" "libpulse0" "Recommends: qt6-wayland"; do
    grep -q "$wanted" <<<"$fields" || e2e_fail "expected \"$wanted\" in the package fields, saw: $fields"
done
# The X11 platform comes with libqt6gui6; qt6-qpa-plugins holds only VNC and TUIO.
! grep -q "qt6-qpa-plugins" <<<"$fields" || e2e_fail "expected no qt6-qpa-plugins, saw: $fields"
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
id=app.slonk.Slonk
for file in usr/bin/slonk usr/share/slonk/slonk.wav usr/share/applications/$id.desktop \
            usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg \
            usr/share/icons/hicolor/{16x16,22x22,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
            usr/share/doc/slonk/copyright usr/share/doc/slonk/changelog.gz \
            usr/share/man/man1/slonk.1.gz usr/lib/slonk/wayland-decoration-client/libslonk_titlebar.so; do
    grep -qx "./$file" <<<"$listing" || e2e_fail "expected ./$file in the package, saw none"
done

root=$ART/root
dpkg-deb -x "$deb" "$root"
# Its libraries are the system's, found where the system keeps them: a search
# path of its own would be searched first at every start.
readelf -d "$root/usr/bin/slonk" >"$ART/dynamic.txt" ||
    e2e_fail "expected the installed program's dynamic section, saw readelf fail"
runpath=$(grep -E 'RUNPATH|RPATH' "$ART/dynamic.txt" || true)
[[ -z $runpath ]] || e2e_fail "expected no library search path in the binary, saw: $runpath"
desktop-file-validate "$root/usr/share/applications/$id.desktop" >"$ART/desktop.log" 2>&1 ||
    e2e_fail "expected a valid desktop entry, saw: $(head -n 1 "$ART/desktop.log")"
# appstream 1.0 (Debian 13) warns that no homepage is named: the project has
# none to give, and none is invented. Any other warning fails.
if ! appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$ART/metainfo.log" 2>&1; then
    problems=$(grep -E '^[EW]:' "$ART/metainfo.log" | grep -v ': url-homepage-missing$' || true)
    [[ -z $problems ]] && grep -q ': url-homepage-missing$' "$ART/metainfo.log" ||
        e2e_fail "expected valid metainfo, saw: ${problems:-$(tail -n 1 "$ART/metainfo.log")}"
fi
MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/slonk.1.gz" \
    >"$ART/slonk.1.txt" 2>"$ART/man.log"
[[ ! -s $ART/man.log ]] || e2e_fail "expected the manual page to render cleanly, saw: $(head -n 1 "$ART/man.log")"

# The user's own cue, told apart from ours: a short square-wave beep, at the
# sink's format and ending in 300 ms of true silence (no dither, -D) so that
# it plays whole.
own=$ART/own.wav
sox -D -n -r 44100 -c 2 -b 16 -e signed-integer "$own" synth 0.12 square 660 gain -12 \
    fade q 0.005 0.12 0.02 pad 0 0.3
installed=$root/usr/share/slonk/slonk.wav

e2e_start_x
e2e_start_audio
# Only the package's own places and the user's: no Slonk installed on this
# machine may be what is heard.
export XDG_DATA_HOME=$ART/runtime/data XDG_DATA_DIRS=$ART/runtime/no-data-dirs
mkdir -p "$XDG_DATA_HOME"

# Installed, the program has no sound beside it: it must find share/slonk/slonk.wav.
E2E_PROGRAM=$root/usr/bin/slonk
e2e_launch "+0 x100"
e2e_click_start
e2e_wait_cues 30 2 "$installed"
e2e_log "the installed cue heard; the user's own put in place"
# Renamed into place, so no cue ever meets half a file.
mkdir -p "$XDG_DATA_HOME/slonk"
cp "$own" "$XDG_DATA_HOME/slonk/.slonk.wav"
mv "$XDG_DATA_HOME/slonk/.slonk.wav" "$XDG_DATA_HOME/slonk/slonk.wav"
e2e_wait_cues 30 2 "$own"
e2e_close_window
e2e_expect_exit 10
e2e_stop_recorder

verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$installed" --also "$own" \
    --cut-last 2>&1) ||
    e2e_fail "$verdict"
sequence=$(sed -n 's/^sequence //p' <<<"$verdict")
[[ $sequence =~ ^11+22+$ ]] ||
    e2e_fail "expected the installed cue, then only the user's own, saw the sequence $sequence"
e2e_log "$(tail -n 1 <<<"$verdict"), in the order $sequence"
e2e_log "passed"
