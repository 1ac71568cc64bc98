# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Counts how often an accessible of Slonk appears: its object:state-changed:
showing events with the state set. The "SLONK!" cue appears once a cue, and
at a hundred times speed for about 6 ms, too briefly for any screenshot.

usage: atspi_events.py NAME COUNT-FILE
Writes the count so far into COUNT-FILE (0 once it listens) after every
appearance; runs until SIGTERM or SIGINT.
"""
import os
import signal
import sys

import pyatspi

APP = "slonk"


def main():
    name, path = sys.argv[1], sys.argv[2]
    count = 0

    def write():
        with open(path + ".new", "w") as f:
            f.write(f"{count}\n")
        os.replace(path + ".new", path)

    def on_event(event):
        nonlocal count
        if event.detail1 != 1:
            return
        try:
            if event.source.name != name or event.host_application.name != APP:
                return
        except Exception:  # the object went away before we could ask
            return
        count += 1
        write()

    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:showing")
    for signum in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signum, lambda *_: pyatspi.Registry.stop())
    write()
    pyatspi.Registry.start()


if __name__ == "__main__":
    main()
