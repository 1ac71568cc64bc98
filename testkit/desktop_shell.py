# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Asks a headless desktop, over its own D-Bus interfaces, what it shows: its
windows as the compositor knows them, and a screenshot.

usage: desktop_shell.py COMMAND [ARGS]
  gnome-windows             one line per window: title, app id (its desktop
                            file's, or window:N), Wayland app id, width, height
                            of its frame (what the window draws, title bar
                            included), whether it is hidden (minimised);
                            tab-separated
  gnome-shot FILE           the whole screen into FILE (PNG)
  gnome-seat                a pointer and a keyboard on the screen, as a remote
                            desktop has them: reads "click X Y" or "move X Y"
                            lines (screen pixels), or "keys KEY..." (pressed in
                            turn, let go in reverse: "keys Super_L h"), and
                            answers each with "ok"; the seat lasts until its
                            input ends. A headless GNOME has no pointer or
                            keyboard otherwise.
  kwin-windows LOG          one line per window, from a KWin script whose
                            print() lands in KWin's log LOG: title, desktop
                            file, maximizable, minimizable, closeable,
                            decorated, the frame's x y width height and the
                            client's; tab-separated
  kwin-minimise LOG TITLE true|false
                            minimises the window of that title, or restores
                            and activates it, as the task bar does
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
                        ("title", "app-id", "wm-class", "width", "height", "is-hidden")))


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

    def notify(method, args):
        call(mutter, session, mutter + ".Session", method, args)

    print("ok", flush=True)
    for line in sys.stdin:
        command, *args = line.split()
        if command == "keys":
            keysyms = [KEYSYMS[key] for key in args]
            for keysym in keysyms:
                notify("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, True)))
            for keysym in reversed(keysyms):
                notify("NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, False)))
            print("ok", flush=True)
            continue
        x, y = args
        notify("NotifyPointerMotionAbsolute", GLib.Variant("(sdd)", (stream, float(x), float(y))))
        if command == "click":
            for pressed in (True, False):
                notify("NotifyPointerButton", GLib.Variant("(ib)", (0x110, pressed)))  # BTN_LEFT
        print("ok", flush=True)


KEYSYMS = {"Super_L": 0xffeb, "Alt_L": 0xffe9, "Tab": 0xff09, "h": 0x68}


# KWin 6 lists its windows as windowList(), KWin 5 as clientList().
KWIN_WINDOWS = r"""
var windows = workspace.windowList ? workspace.windowList() : workspace.clientList();
"""

KWIN_PROBE = KWIN_WINDOWS + r"""
for (var i = 0; i < windows.length; i++) {
    var w = windows[i], f = w.frameGeometry, b = w.bufferGeometry;
    print("%(mark)s\t" + [w.caption, w.desktopFileName, w.maximizable, w.minimizable,
          w.closeable, !w.noBorder, f.x, f.y, f.width, f.height, b.x, b.y, b.width,
          b.height].join("\t"));
}
"""

# KWin 6 names the focused window activeWindow, KWin 5 activeClient.
KWIN_MINIMISE = KWIN_WINDOWS + r"""
for (var i = 0; i < windows.length; i++) {
    var w = windows[i];
    if (w.caption != %(title)s)
        continue;
    w.minimized = %(minimised)s;
    if (!w.minimized) {
        if (workspace.windowList)
            workspace.activeWindow = w;
        else
            workspace.activeClient = w;
    }
    print("%(mark)s\t" + w.minimized);
}
"""


def kwin_script(log, body, **values):
    """Runs a KWin script; its lines, printed with the mark, from KWin's log."""
    mark = f"slonk-probe-{os.getpid()}-{time.monotonic_ns()}"
    with tempfile.NamedTemporaryFile("w", suffix=".js", delete=False) as script:
        script.write(body % dict(values, mark=mark) + f'print("{mark}-end");\n')
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
                raise SystemExit("expected KWin's script to end within 10 s, saw it print nothing")
            time.sleep(0.05)
        call("org.kde.KWin", "/Scripting", "org.kde.kwin.Scripting", "unloadScript",
             GLib.Variant("(s)", (mark,)))
    finally:
        os.unlink(script.name)
    return [line.split(mark + "\t", 1)[1] for line in lines if not line.endswith(mark + "-end")]


def kwin_windows(log):
    for line in kwin_script(log, KWIN_PROBE):
        print(line)


def kwin_minimise(log, title, minimised):
    if minimised not in ("true", "false"):
        raise SystemExit(__doc__)
    answers = kwin_script(log, KWIN_MINIMISE, title=json.dumps(title), minimised=minimised)
    if answers != [minimised]:
        raise SystemExit(f"expected KWin to set one window \"{title}\" minimized {minimised},"
                         f" saw {answers}")


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
                "kwin-windows": kwin_windows, "kwin-minimise": kwin_minimise,
                "kwin-shot": kwin_shot}
    if command not in commands:
        raise SystemExit(__doc__)
    commands[command](*args)


if __name__ == "__main__":
    try:
        main()
    except GLib.Error as error:
        print(f"expected an answer from the desktop, saw {error.message}", file=sys.stderr)
        sys.exit(1)
