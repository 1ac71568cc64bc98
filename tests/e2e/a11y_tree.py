# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Reads Slonk's window through the accessibility tree (AT-SPI), as a screen
reader does, and checks what it says: names, descriptions, the values' texts.

usage: a11y_tree.py before|after
       a11y_tree.py digits WINDOW-ID SHOT.png
Prints the tree, or checks each digit of the volume box against a shot of the
window; exits 1 with one line saying what was expected and seen.
"""
import itertools
import re
import subprocess
import sys

import pyatspi

HEADINGS = ["Total Time", "Remaining Time", "Shots Done", "Shots Remaining", "Shot Volume", "ml"]
VALUES = {
    "before": {"Total Time": r"0m", "Remaining Time": r"100m 0s", "Shots Done": r"0",
               "Shots Remaining": r"100", "Volume Done": r"0 ml", "Volume Remaining": r"3500 ml"},
    "after": {"Total Time": r"0m [0-9]\.[0-9]{2}s", "Remaining Time": r"98m 5[0-9]\.[0-9]{2}s",
              "Shots Done": r"1", "Shots Remaining": r"99", "Volume Done": r"35ml",
              "Volume Remaining": r"3465ml"},
}


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def fail(message):
    print(f"expected {message}", file=sys.stderr)
    sys.exit(1)


def digits(window, shot):
    """Each digit of the volume box reported where it is drawn: inside the box
    and over its own dark ink, and the place after the last a caret's, with no
    width. A caret drawn in the shot (a dark column the line's height) is no
    digit's ink: it must stand at that place."""
    left, top = (int(re.search(rf"Absolute upper-left {axis}: *(-?\d+)", subprocess.run(
        ["xwininfo", "-id", window], check=True, capture_output=True, text=True).stdout)[1])
        for axis in "XY")
    pgm = subprocess.run(["convert", shot, "-colorspace", "gray", "-depth", "8", "pgm:-"],
                         check=True, capture_output=True).stdout
    _, size, _, pixels = pgm.split(b"\n", 3)  # as ImageMagick writes it: P5, W H, 255, the pixels
    width = int(size.split()[0])
    box = [n for n, _ in walk(application()) if n.getRole() == pyatspi.ROLE_TEXT][0]
    bx, by, bw, bh = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    text = box.queryText()
    rects = [text.getCharacterExtents(i, pyatspi.DESKTOP_COORDS) for i in range(text.characterCount + 1)]
    for i, (x, y, w, h) in enumerate(rects):
        if not (bx <= x and x + w <= bx + bw and by <= y and y + h <= by + bh):
            fail(f"character {i} inside the box {bx, by, bw, bh}, saw {x, y, w, h}")
    # The box's own frame is lighter than its text: the dark pixels within it are ink.
    ink = {}
    for y in range(by + 2, by + bh - 2):
        for x in range(bx + 2, bx + bw - 2):
            if pixels[(y - top) * width + x - left] < 80:
                ink.setdefault(x, []).append(y)
    end = rects[-1]
    caret = [x for x, ys in ink.items() if len(ys) > end[3] * 3 // 4]
    if end[2] != 0 or any(abs(x - end[0]) > 1 for x in caret):
        fail(f"the place after the last digit {end} with no width, at the caret drawn at {caret}")
    # Runs of neighbouring columns, one for each digit.
    runs = [[x for _, x in run] for _, run in
            itertools.groupby(enumerate(sorted(set(ink) - set(caret))), lambda p: p[1] - p[0])]
    if len(runs) != len(rects) - 1:
        fail(f"one run of ink for each of {len(rects) - 1} digits, saw {len(runs)} in {sorted(ink)}")
    for i, (run, (x, y, w, h)) in enumerate(zip(runs, rects)):
        rows = [row for column in run for row in ink[column]]
        if not (x <= run[0] and run[-1] < x + w and y <= min(rows) and max(rows) < y + h):
            fail(f"digit {i} over its ink, columns {run[0]}-{run[-1]} rows {min(rows)}-{max(rows)},"
                 f" saw {x, y, w, h}")
    print(f"the volume box's digits read where they are drawn: {rects}")


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [app for app in desktop if app is not None and app.name == "slonk"]
    if not apps:
        fail(f"the application \"slonk\" on the accessibility bus, saw {[a.name for a in desktop]}")
    return apps[0]


def main():
    moment = sys.argv[1]
    if moment == "digits":
        return digits(sys.argv[2], sys.argv[3])
    nodes = []
    for node, depth in walk(application()):
        role, name, description = node.getRole(), node.name or "", node.description or ""
        print(f"{'  ' * depth}{node.getRoleName()}: \"{name}\" ({description})")
        nodes.append((role, name, description, node))

    names = [name for _, name, _, _ in nodes]
    for heading in HEADINGS:
        if heading not in names:
            fail(f"the heading \"{heading}\", saw none")
    for description, pattern in VALUES[moment].items():
        found = [name for _, name, d, _ in nodes if d == description]
        if len(found) != 1 or not re.fullmatch(pattern, found[0]):
            fail(f"one value described as \"{description}\" reading /{pattern}/, saw {found}")
    box = [n for role, n, _, _ in nodes if role == pyatspi.ROLE_TEXT]
    if box != ["Shot Volume"]:
        fail(f"the volume box named \"Shot Volume\", saw {box}")
    if moment == "before" and (pyatspi.ROLE_PUSH_BUTTON, "START") not in [(r, n) for r, n, _, _ in nodes]:
        fail("a push button \"START\"")
    # A notification: screen readers speak it each time it shows.
    cues = [n for role, n, _, _ in nodes if role == pyatspi.ROLE_NOTIFICATION]
    if cues != ["SLONK!"]:
        fail(f"the cue as a notification \"SLONK!\", saw {cues}")
    print(f"the accessibility tree reads right {moment} START")


if __name__ == "__main__":
    main()
