// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Cost of one whole onTickTimer: the engine, the six label texts and, as a
// separate figure, the repaint that follows, offscreen. Median and spread over
// batches, in microseconds.
#include "rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures
{
    std::vector<double> micros;
    void print(const char *what)
    {
        std::sort(micros.begin(), micros.end());
        std::printf("%s: median %.2f us, min %.2f us, max %.2f us (%zu batches)\n", what,
                    micros[micros.size() / 2], micros.front(), micros.back(), micros.size());
    }
};

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Rig rig; // the window on fake services, as the tests have it
    rig.window.show();
    rig.start();
    QApplication::processEvents();

    constexpr int Batches = 15;
    constexpr int TicksPerBatch = 2000;
    Figures tick;
    Figures repaint;
    QElapsedTimer timer;
    for (int batch = 0; batch < Batches; ++batch) {
        qint64 tickNs = 0;
        qint64 paintNs = 0;
        for (int i = 0; i < TicksPerBatch; ++i) {
            rig.clock.reading += 0.05;
            timer.start();
            rig.window.onTickTimer();
            tickNs += timer.nsecsElapsed();
            timer.start();
            QApplication::processEvents();
            paintNs += timer.nsecsElapsed();
        }
        tick.micros.push_back(tickNs / 1e3 / TicksPerBatch);
        repaint.micros.push_back(paintNs / 1e3 / TicksPerBatch);
    }
    tick.print("onTickTimer (engine and six labels)");
    repaint.print("the repaint after it");
    return 0;
}
