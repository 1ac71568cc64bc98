# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Catches a short-lived colour on screen: polls a region of a window about
every millisecond (a flash at x100 speed lasts only 6 real ms, far too short
for a screenshot tool) and saves the first frame holding enough pixels of it.

usage: catch_colour.py WINDOW-ID X Y W H RRGGBB MIN-PIXELS TIMEOUT OUT.ppm
Exits 0 with the frame saved, 1 when the time runs out.
"""
import ctypes
import ctypes.util
import sys
import time


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


def main():
    window, x, y, w, h = (int(a, 0) for a in sys.argv[1:6])
    colour = bytes.fromhex(sys.argv[6])
    wanted, timeout, out = int(sys.argv[7]), float(sys.argv[8]), sys.argv[9]

    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    # A window that goes away mid-poll must not end the watch with an X error.
    on_error = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
    xlib.XSetErrorHandler(on_error)
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")

    # A 24-bit visual comes back as 32-bit little-endian pixels: blue, green, red, pad.
    pixel = colour[::-1]
    all_planes, z_pixmap = 0xFFFFFFFF, 2
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        image = xlib.XGetImage(display, window, x, y, w, h, all_planes, z_pixmap)
        if not image:
            time.sleep(0.001)
            continue
        frame = image.contents
        data = ctypes.string_at(frame.data, frame.bytes_per_line * frame.height)
        xlib.XFree(frame.data)
        xlib.XFree(image)
        quads = [data[i:i + 3] for i in range(0, len(data), 4)] if pixel in data else []
        if sum(1 for q in quads if q == pixel) >= wanted:
            with open(out, "wb") as f:
                f.write(b"P6 %d %d 255\n" % (w, h))
                f.write(b"".join(q[::-1] for q in quads))
            return
        time.sleep(0.001)
    sys.exit(1)


if __name__ == "__main__":
    main()
