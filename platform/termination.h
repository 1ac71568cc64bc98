// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

class QObject;

namespace slonk {

// SIGTERM, SIGINT and SIGHUP leave the event loop, so the program ends in order
// (letting go of the screensaver, closing its sound streams) rather than dying
// mid-cue. Blocks them in every thread: call before any thread starts.
void blockTerminationSignals();

// Reads the blocked signals on the event loop and quits it when one arrives.
// When they cannot be read (no signalfd), unblocks them in the calling thread,
// so they keep their default action and still end the program.
void quitOnTerminationSignals(QObject *owner);

} // namespace slonk
