#!/usr/bin/env bash
# The .deb as a user installs it: every file where the install rules put it,
# the validators satisfied, and the installed program playing its own sound
# from the data folder.
source "$(dirname "$0")/../../testkit/harness.sh" installed-package "${1:?usage: $0 BUILD-FOLDER}"

(cd "$E2E_BUILD" && cpack -G DEB -B "$ART/package" >"$ART/cpack.log" 2>&1) ||
    e2e_fail "expected cpack to build the package, see cpack.log"
deb=$(ls "$ART"/package/slonk_1.00_*.deb 2>/dev/null | head -n 1)
[[ -n $deb ]] || e2e_fail "expected slonk_1.00_<arch>.deb, saw $(ls "$ART/package")"

fields=$(dpkg-deb -f "$deb" Package Version Section Maintainer Depends)
for wanted in "Section: utils" "Maintainer: The Slonk developers" "libqt6widgets6" \
              "qt6-qpa-plugins" "libqt6svg6"; do
    grep -q "$wanted" <<<"$fields" || e2e_fail "expected \"$wanted\" in the package fields, saw: $fields"
done
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
id=app.slonk.Slonk
for file in usr/bin/slonk usr/share/slonk/slonk.wav usr/share/applications/$id.desktop \
            usr/share/metainfo/$id.metainfo.xml usr/share/icons/hicolor/scalable/apps/$id.svg \
            usr/share/icons/hicolor/{16x16,22x22,32x32,48x48,64x64,128x128,256x256}/apps/$id.png; do
    grep -qx "./$file" <<<"$listing" || e2e_fail "expected ./$file in the package, saw none"
done

root=$ART/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop" >"$ART/desktop.log" 2>&1 ||
    e2e_fail "expected a valid desktop entry, saw: $(head -n 1 "$ART/desktop.log")"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" \
    >"$ART/metainfo.log" 2>&1 || e2e_fail "expected valid metainfo, saw: $(grep -m1 -E '^[EW]:' "$ART/metainfo.log")"

# Installed, the program has no sound beside it: it must find share/slonk/slonk.wav.
e2e_start_x
e2e_start_audio
E2E_PROGRAM=$root/usr/bin/slonk
e2e_launch "+0 x100"
e2e_click_start
e2e_wait_cues 30 3 "$root/usr/share/slonk/slonk.wav"
e2e_close_window
e2e_expect_exit 10
e2e_stop_recorder
e2e_cues "$root/usr/share/slonk/slonk.wav" --at-least 3 --cut-last --speed 100 --spacing 60 \
    --tolerance 15
e2e_log "passed"
