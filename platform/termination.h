#pragma once

class QObject;

namespace slonk {

// SIGTERM, SIGINT and SIGHUP leave the event loop, so the program ends in order
// (letting go of the screensaver, closing its sound streams) rather than dying
// mid-cue. Blocks them in every thread: call before any thread starts.
void blockTerminationSignals();

// Reads the blocked signals on the event loop and quits it when one arrives.
void quitOnTerminationSignals(QObject *owner);

} // namespace slonk
