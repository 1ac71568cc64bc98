// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <functional>
#include <memory>

namespace slonk {

class PulseCues;

// Plays cues on a thread of their own, so that neither reading the file nor
// waiting for the sound server ever holds up the window's thread, however
// slow either is. The thread is made once and only plays sounds.
//
// Once each cue has played out, and once shortly after start-up, the thread
// opens the stream for the next one (pulsecues.h), so a cue has only to be
// read and written when it is due.
class CuePlayer final
{
public:
    // cueFile names the file to play at each cue (a resource path for the
    // built-in one); it is called on the cue thread.
    explicit CuePlayer(std::function<QString()> cueFile);
    // Stops what is still playing and ends the thread.
    ~CuePlayer();
    CuePlayer(const CuePlayer &) = delete;
    CuePlayer &operator=(const CuePlayer &) = delete;

    // Reads the cue file and plays it; returns at once.
    void play();

private:
    void playNow();
    void prepareNext();
    PulseCues *pulse(); // nullptr without libpulse

    std::function<QString()> cueFile_;
    QThread thread_;
    // Lives on thread_: the receiver of the work posted there.
    std::unique_ptr<QObject> worker_;
    // Made, used and destroyed on thread_ only.
    std::unique_ptr<PulseCues> pulse_;
};

} // namespace slonk
