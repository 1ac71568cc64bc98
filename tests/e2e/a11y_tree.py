# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Reads Slonk's window through the accessibility tree (AT-SPI), as a screen
reader does, and checks what it says: names, descriptions, the values' texts.

usage: a11y_tree.py before|after
Prints the tree; exits 1 with one line saying what was expected and seen.
"""
import re
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


def main():
    moment = sys.argv[1]
    desktop = pyatspi.Registry.getDesktop(0)
    apps = [app for app in desktop if app is not None and app.name == "slonk"]
    if not apps:
        fail(f"the application \"slonk\" on the accessibility bus, saw {[a.name for a in desktop]}")
    nodes = []
    for node, depth in walk(apps[0]):
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
