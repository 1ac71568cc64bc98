// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QObject>
#include <QThread>
#include <QUrl>
#include <memory>

namespace slonk {

// Plays sounds on a thread of their own, so a busy window thread cannot break
// a cue. Qt's sound effect feeds its stream from a 20 ms timer on the thread
// that owns the effect, while the sound server holds only 145 to 200 ms of it
// ahead: with the effect on the window's thread, a tick that ran long or a
// stalled repaint let the stream run dry and put silence into the middle of
// the cue. The thread is made once and only plays sounds, so it is always
// there to feed them.
class CuePlayer final
{
public:
    CuePlayer();
    // Stops what is still playing and ends the thread.
    ~CuePlayer();
    CuePlayer(const CuePlayer &) = delete;
    CuePlayer &operator=(const CuePlayer &) = delete;

    // Plays the source through a fresh QSoundEffect and returns at once; the
    // source must be a sound Qt can load without hanging (see wavcheck.h).
    void play(const QUrl &source);

private:
    QThread thread_;
    // Lives on thread_ and is the parent of the effects playing; made and
    // destroyed there.
    std::unique_ptr<QObject> effects_;
};

} // namespace slonk
