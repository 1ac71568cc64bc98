// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "fakes.h"
#include "frmdrunk.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

// The window on fake services, with a clock the test sets.
struct Rig
{
    slonk::fakes::Clock clock;
    slonk::fakes::Alarm alarm;
    slonk::fakes::CueSound sound;
    slonk::fakes::FinishBox box;
    slonk::fakes::ProgramEnd end;
    slonk::fakes::ScreenKeeper screen;
    slonk::FrmDrunk window{{clock, alarm, sound, box, end, screen}};

    template<typename T = QLabel> T *control(const char *name)
    {
        return window.findChild<T *>(QString::fromLatin1(name));
    }
    QLineEdit *volumeBox() { return control<QLineEdit>("tbShotVol"); }
    QPushButton *startButton() { return control<QPushButton>("Command1"); }
    QTimer *timer(const char *name) { return control<QTimer>(name); }
    QString text(const char *name) { return control<QWidget>(name)->property("text").toString(); }

    // A timer's tick, delivered through its own signal as the event loop would:
    // a single-shot timer has stopped by then.
    void fire(const char *name)
    {
        QTimer *fired = timer(name);
        if (fired->isSingleShot())
            fired->stop();
        QMetaObject::invokeMethod(fired, "timeout");
    }
    // The clock moves on to `seconds` after START, then Timer1 ticks.
    void tickAt(double seconds)
    {
        clock.reading = startedAt + seconds;
        fire("Timer1");
    }
    void start()
    {
        startedAt = clock.reading;
        startButton()->click();
    }
    double startedAt = 0;
};
