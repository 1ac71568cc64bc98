# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Asks a headless desktop, over its own D-Bus interfaces, what it shows: its
windows as the compositor knows them, and a screenshot.

usage: desktop_shell.py COMMAND [ARGS]
  gnome-windows             one line per window: title, app id (its desktop
                            file's, or window:N), Wayland app id, width, height
                            of its frame (what the window draws, title bar
                            included); tab-separated
  gnome-shot FILE           the whole screen into FILE (PNG)
  gnome-seat                a pointer on the screen, as a remote desktop has
                            one: reads "click X Y" or "move X Y" lines (screen
                            pixels) and answers each with "ok"; the seat lasts
                            until its input ends. A headless GNOME has no
                            pointer or keyboard otherwise.
  kwin-windows LOG          one line per window, from a KWin script whose
                            print() lands in KWin's log LOG: title, desktop
                            file, maximizable, minimizable, closeable,
                            decorated, the frame's x y width height and the
                            client's; tab-separated
  kwin-shot FILE            the whole screen into FILE (PNG, through a PAM)

GNOME 43 answers its introspection and screenshots only to callers that own
its portal's and its screenshot tool's names; on this private bus we own them.
KWin's screenshots answer anyone when KWin runs with
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1, and come raw over a pipe.
Exits 0, or 1 with one line on stderr.
"""
import json
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

BUS = Gio.bus_get_sync(Gio.BusType.SESSION)


def call(service, path, interface, method, args=None, reply=None, fds=None, timeout=10000):
    if fds is None:
        return BUS.call_sync(service, path, interface, method, args,
                             GLib.VariantType(reply) if reply else None,
                             Gio.DBusCallFlags.NONE, timeout, None).unpack()
    answer, _ = BUS.call_with_unix_fd_list_sync(service, path, interface, method, args,
                                               GLib.VariantType(reply) if reply else None,
                                               Gio.DBusCallFlags.NONE, timeout, fds, None)
    return answer.unpack()


def own(name):
    call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
         GLib.Variant("(su)", (name, 4)))


def gnome_windows():
    own("org.freedesktop.impl.portal.desktop.gnome")
    (windows,) = call("org.gnome.Shell", "/org/gnome/Shell/Introspect",
                      "org.gnome.Shell.Introspect", "GetWindows")
    for window in windows.values():
        print("\t".join(str(window.get(key, "")) for key in
                        ("title", "app-id", "wm-class", "width", "height")))


def gnome_shot(path):
    own("org.gnome.Screenshot")  # GNOME 50 answers only the portal's name
    own("org.freedesktop.impl.portal.desktop.gnome")
    done, _ = call("org.gnome.Shell", "/org/gnome/Shell/Screenshot", "org.gnome.Shell.Screenshot",
                   "Screenshot", GLib.Variant("(bbs)", (False, False, os.path.abspath(path))))
    if not done:
        raise SystemExit("expected a screenshot from GNOME Shell, saw it refused")


def gnome_seat():
    mutter = "org.gnome.Mutter.RemoteDesktop"
    (session,) = call(mutter, "/org/gnome/Mutter/RemoteDesktop", mutter, "CreateSession")
    (session_id,) = call(mutter, session, "org.freedesktop.DBus.Properties", "Get",
                         GLib.Variant("(ss)", (mutter + ".Session", "SessionId")))
    # Absolute positions are given on a screen cast's stream: one of the
    # whole monitor, which nobody watches.
    cast = "org.gnome.Mutter.ScreenCast"
    (cast_session,) = call(cast, "/org/gnome/Mutter/ScreenCast", cast, "CreateSession",
                           GLib.Variant("(a{sv})", ({"remote-desktop-session-id":
                                                     GLib.Variant("s", session_id)},)))
    (stream,) = call(cast, cast_session, cast + ".Session", "RecordMonitor",
                     GLib.Variant("(sa{sv})", ("", {})))
    call(mutter, session, mutter + ".Session", "Start")

    def pointer(method, args):
        call(mutter, session, mutter + ".Session", method, args)

    print("ok", flush=True)
    for line in sys.stdin:
        command, x, y = line.split()
        pointer("NotifyPointerMotionAbsolute", GLib.Variant("(sdd)", (stream, float(x), float(y))))
        if command == "click":
            for pressed in (True, False):
                pointer("NotifyPointerButton", GLib.Variant("(ib)", (0x110, pressed)))  # BTN_LEFT
        print("ok", flush=True)


# KWin 6 lists its windows as windowList(), KWin 5 as clientList().
KWIN_PROBE = r"""
var windows = workspace.windowList ? workspace.windowList() : workspace.clientList();
for (var i = 0; i < windows.length; i++) {
    var w = windows[i], f = w.frameGeometry, b = w.bufferGeometry;
    print("%(mark)s\t" + [w.caption, w.desktopFileName, w.maximizable, w.minimizable,
          w.closeable, !w.noBorder, f.x, f.y, f.width, f.height, b.x, b.y, b.width,
          b.height].join("\t"));
}
print("%(mark)s-end");
"""


def kwin_windows(log):
    mark = f"slonk-probe-{os.getpid()}-{time.monotonic_ns()}"
    with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as script:
        script.write(KWIN_PROBE % {"mark": mark})
    try:
        (number,) = call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "loadScript",
                         GLib.Variant("(ss)", (script.name, mark)))
        # Where KWin puts a loaded script: Plasma 6 under /Scripting.
        plasma6 = os.environ.get("KDE_SESSION_VERSION") == "6"
        call("org.kde.KWin", f"/Scripting/Script{number}" if plasma6 else f"/{number}",
             "org.kde.kwin.Script", "run")
        deadline = time.monotonic() + 10
        while True:
            with open(log, errors="replace") as f:
                lines = [line.rstrip("\n") for line in f if mark in line]
            if any(line.endswith(mark + "-end") for line in lines):
                break
            if time.monotonic() > deadline:
                raise SystemExit("expected KWin's script to print its windows within 10 s, saw none")
            time.sleep(0.05)
        call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
             GLib.Variant("(s)", (mark,)))
    finally:
        os.unlink(script.name)
    for line in lines:
        if not line.endswith(mark + "-end"):
            print(line.split(mark + "\t", 1)[1])


def kwin_shot(path):
    read, write = os.pipe()
    fds = Gio.UnixFDList.new_from_array([write])
    (results,) = call("org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
                      "CaptureActiveScreen", GLib.Variant("(a{sv}h)", ({}, 0)), fds=fds)
    os.close(write)
    with os.fdopen(read, "rb") as pipe:
        data = pipe.read()
    width, height, stride = results["width"], results["height"], results["stride"]
    # QImage::Format_ARGB32_Premultiplied or RGB32 (6, 5): BGRA in memory;
    # the screen is opaque.
    if results.get("format") not in (4, 5, 6):
        raise SystemExit(f"expected a 32-bit image from KWin, saw format {results.get('format')}")
    rows = b"".join(data[y * stride:y * stride + width * 4] for y in range(height))
    with tempfile.NamedTemporaryFile(suffix=".rgba", delete=False) as raw:
        raw.write(rows)
    try:
        subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", f"bgra:{raw.name}",
                        "-alpha", "off", os.path.abspath(path)], check=True)
    finally:
        os.unlink(raw.name)


def main():
    command, args = sys.argv[1], sys.argv[2:]
    commands = {"gnome-windows": gnome_windows, "gnome-shot": gnome_shot, "gnome-seat": gnome_seat,
                "kwin-windows": kwin_windows, "kwin-shot": kwin_shot}
    if command not in commands:
        raise SystemExit(__doc__)
    commands[command](*args)


if __name__ == "__main__":
    try:
        main()
    except GLib.Error as error:
        print(f"expected an answer from the desktop, saw {error.message}", file=sys.stderr)
        sys.exit(1)
