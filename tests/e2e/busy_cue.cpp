// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Plays cues through the program's own cue sound while the thread that asks
// for them is held busy for a second during each one, as a slow compositor, a
// screen reader or a challenge at a hundred times speed can hold the window's
// thread. The sound server's recording, checked by cues.py, must hold every
// cue whole and on its schedule.
//
// usage: busy_cue FOLDER [--end-mid-cue]
// FOLDER holds slonk.wav, as the program's own does. Prints one line a cue;
// exits 0 once the last cue has had time to play out. With --end-mid-cue it
// plays one cue and ends while it sounds, as the program may at any moment.
#include "cuesound.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// How long after play() the thread is taken: before the sound is loaded, as
// the stream opens, while it plays.
constexpr int BusyAfterMs[] = {0, 10, 25, 50, 80, 120, 200};
constexpr milliseconds Spacing{2000}; // cue to cue: a busy second and the cue, with room
constexpr milliseconds Busy{1000};

// Holds the calling thread for the whole span, as a long computation would.
void holdBusy(milliseconds span)
{
    const auto until = Clock::now() + span;
    while (Clock::now() < until)
        std::this_thread::yield();
}

// Time from now to the instant, for a timer.
milliseconds until(Clock::time_point instant)
{
    return std::chrono::ceil<milliseconds>(instant - Clock::now());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const bool endMidCue = argc == 3 && qstrcmp(argv[2], "--end-mid-cue") == 0;
    if (argc != 2 && !endMidCue) {
        std::fputs("usage: busy_cue FOLDER [--end-mid-cue]\n", stderr);
        return 2;
    }
    slonk::StreamCueSound cueSound(QString::fromLocal8Bit(argv[1]),
                                   {"busy_cue", "busy_cue", "", "1"});
    if (endMidCue) {
        cueSound.play();
        QTimer::singleShot(milliseconds(150), &app, &QCoreApplication::quit);
        return QCoreApplication::exec();
    }
    const auto start = Clock::now() + milliseconds(500);
    constexpr int cues = std::size(BusyAfterMs);

    for (int k = 0; k < cues; ++k) {
        QTimer::singleShot(until(start + k * Spacing), Qt::PreciseTimer, &app, [&, k] {
            const auto played = Clock::now();
            cueSound.play();
            QTimer::singleShot(milliseconds(BusyAfterMs[k]), Qt::PreciseTimer, &app, [=] {
                const auto busyFrom = Clock::now();
                holdBusy(Busy);
                std::printf(
                    "cue %d played at %.3f s, thread busy from %+.0f ms for %.0f ms\n", k + 1,
                    std::chrono::duration<double>(played - start).count(),
                    std::chrono::duration<double, std::milli>(busyFrom - played).count(),
                    std::chrono::duration<double, std::milli>(Clock::now() - busyFrom).count());
                std::fflush(stdout);
            });
        });
    }
    // The last cue plays out before the program ends.
    QTimer::singleShot(until(start + cues * Spacing), &app, &QCoreApplication::quit);
    return QCoreApplication::exec();
}
