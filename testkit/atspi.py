# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Reads and drives Slonk through the accessibility tree (AT-SPI), as a screen
reader or a person with assistive technology would: on X11 and on Wayland,
where no other way in exists.

usage: atspi.py COMMAND [ARGS]
  wait-app SECONDS            the program is on the accessibility bus
  text NAME                   prints the text of the volume box ("Shot Volume")
                              or of the value with that heading ("Total Time", ...)
  wait-text NAME PATTERN SECONDS   that text matches PATTERN (a regular expression)
  wait-focused NAME SECONDS   the control named NAME has the keyboard focus
  press NAME                  presses the push button NAME
  finish SECONDS VOLUME       waits for the finish box and checks it and the
                              window behind it to the letter
  wait-finish SECONDS         waits for the finish box, whatever the window reads
  press-ok                    presses OK on the finish box

Each wait polls every 50 ms up to its bound. Exits 0, or 1 with one line on
stderr saying what was expected and what was seen.
"""
import re
import sys
import time

import pyatspi

APP = "slonk"


class Expected(Exception):
    pass


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == APP:
            return app
    raise Expected(f'the application "{APP}" on the accessibility bus, saw none')


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def window():
    frames = [child for child in application() if child is not None and child.getRole() == pyatspi.ROLE_FRAME]
    if len(frames) != 1:
        raise Expected(f"one window, saw {len(frames)}")
    return frames[0]


def text_of(name):
    """The volume box's text, or the value a heading names (its description)."""
    for node in walk(window()):
        if node.getRole() == pyatspi.ROLE_TEXT and node.name == name:
            text = node.queryText()
            return text.getText(0, text.characterCount)
        if node.getRole() == pyatspi.ROLE_LABEL and node.description == name:
            return node.name
    raise Expected(f'a box or a value called "{name}", saw none')


def control(name):
    for node in walk(window()):
        if node.name == name and node.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT):
            return node
    raise Expected(f'a control "{name}", saw none')


def until(seconds, what, probe):
    """Calls probe every 50 ms until it returns a true value; the last reason
    it gave (Expected) is the failure when time runs out."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            found = probe()
            if found:
                return found
            reason = what
        except (Expected, LookupError, RuntimeError) as error:
            reason = f"{what} ({error})"
        if time.monotonic() > deadline:
            raise Expected(f"{reason} within {seconds:g} s")
        time.sleep(0.05)


def finish_box():
    for child in application():
        if child is not None and child.getRole() == pyatspi.ROLE_ALERT and child.name == "Slonk!":
            if showing(child):
                return child
    return None


def check_finish(volume):
    """The finish box and the window behind it, as the challenge ends."""
    box = finish_box()
    shown = [node for node in walk(box) if node is not box and showing(node)]
    texts = [node.name for node in shown if node.getRole() == pyatspi.ROLE_LABEL]
    buttons = [node.name for node in shown if node.getRole() == pyatspi.ROLE_PUSH_BUTTON]
    pictures = [node for node in shown if node.getRole() in (pyatspi.ROLE_IMAGE, pyatspi.ROLE_ICON)
                or (node.getRole() == pyatspi.ROLE_LABEL and not node.name)]
    if texts != ["You've finished! Well done!"]:
        raise Expected(f'the one text "You\'ve finished! Well done!", saw {texts}')
    if buttons != ["OK"]:
        raise Expected(f'exactly one button, OK, saw {buttons}')
    if pictures:
        raise Expected(f"no icon in the finish box, saw {len(pictures)}")
    wanted = {
        "Total Time": r"99m 0\.\d\ds",
        # Zero or just below: a remainder within 5 ms of zero prints as 60.00.
        "Remaining Time": r"0m 0\.00s|-1m 59\.\d\ds|-1m 60\.00s",
        "Shots Done": r"100",
        "Shots Remaining": r"0",
        "Volume Done": re.escape(f"{int(volume) * 100}ml"),
        "Volume Remaining": r"0ml",
    }
    seen = {heading: text_of(heading) for heading in wanted}
    for heading, pattern in wanted.items():
        if not re.fullmatch(pattern, seen[heading]):
            raise Expected(f'"{heading}" to read /{pattern}/ at the finish, saw {seen}')
    smiley = [node for node in walk(window()) if node.name == "Finished"]
    if not smiley or not showing(smiley[0]):
        raise Expected("the smiley shown at the finish, saw it hidden")
    return seen


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == "wait-app":
        until(float(args[0]), "the program on the accessibility bus", window)
    elif command == "text":
        print(text_of(args[0]))
    elif command == "wait-text":
        name, pattern, seconds = args[0], args[1], float(args[2])

        def matches():
            seen = text_of(name)
            if not re.fullmatch(pattern, seen):
                raise Expected(f'saw "{seen}"')
            return True

        until(seconds, f'"{name}" to read /{pattern}/', matches)
    elif command == "wait-focused":
        until(float(args[1]), f'the focus on "{args[0]}"',
              lambda: control(args[0]).getState().contains(pyatspi.STATE_FOCUSED))
    elif command == "press":
        control(args[0]).queryAction().doAction(0)
    elif command == "finish":
        until(float(args[0]), 'the finish box "Slonk!"', finish_box)
        seen = check_finish(args[1])
        print("finish box and window read right: " + ", ".join(seen.values()))
    elif command == "wait-finish":
        until(float(args[0]), 'the finish box "Slonk!"', finish_box)
    elif command == "press-ok":
        box = until(5, 'the finish box "Slonk!"', finish_box)
        ok = [node for node in walk(box) if node.getRole() == pyatspi.ROLE_PUSH_BUTTON]
        ok[0].queryAction().doAction(0)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    try:
        main()
    except Expected as error:
        print(f"expected {error}", file=sys.stderr)
        sys.exit(1)
