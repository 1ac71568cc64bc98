# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Runs the screen reader Orca with every word it would speak written at once
to a debug log, so that a test can read what a blind user hears as it is said.
Orca buffers its debug file; this opens that one file line-buffered.

usage: orca_log.py LOG
"""
import builtins
import runpy
import sys

log = sys.argv[1]
opened = builtins.open


def line_buffered(file, mode="r", *args, **kwargs):
    if file == log:
        return opened(file, mode, buffering=1)
    return opened(file, mode, *args, **kwargs)


builtins.open = line_buffered
sys.argv = ["/usr/bin/orca", f"--debug-file={log}"]
runpy.run_path("/usr/bin/orca", run_name="__main__")
