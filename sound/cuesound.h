// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"
#include "pulsecues.h"

#include <QString>
#include <QThread>
#include <memory>

namespace slonk {

// The cue, played from a thread of its own, so that neither reading the file
// nor the sound server ever holds up the window's thread, however slow either
// is. At every cue the first usable slonk.wav where it is looked for
// (cuefile.h) is read, once, so replacing it between cues takes effect at the
// next one; when none is usable the built-in cue plays.
//
// libpulse is loaded on that thread, a second after start-up or at the first
// cue, whichever comes first: never in the way of the window's first paint.
class StreamCueSound final : public CueSound
{
public:
    StreamCueSound(QString programDirectory, CueIdentity identity);
    // Ends the thread and cuts short what still plays, without waiting for
    // the sound server.
    ~StreamCueSound() override;
    StreamCueSound(const StreamCueSound &) = delete;
    StreamCueSound &operator=(const StreamCueSound &) = delete;

    void play() override;

private:
    void playNow(PulseCues::Instant due);
    void prepareFirst();
    PulseCues *pulse(); // nullptr without libpulse

    QString programDirectory_;
    CueIdentity identity_;
    QThread thread_;
    QObject *worker_; // lives on thread_ and goes with it: what work is posted to
    // Made and used on thread_, let go of once it has ended.
    std::unique_ptr<PulseCues> pulse_;
    bool pulseTried_ = false;
};

} // namespace slonk
