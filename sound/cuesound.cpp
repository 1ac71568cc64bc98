// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cuesound.h"

#include "cuefile.h"
#include "pulseapi.h"
#include "pulsecues.h"
#include "realtime.h"

#include <QSet>
#include <QThread>
#include <QTimer>
#include <cstdio>

namespace slonk {
namespace {

// The first stream is opened this long after start-up, out of the way of the
// window's first paint; a challenge started sooner opens its first at its cue.
constexpr std::chrono::milliseconds FirstPrepareDelay{1000};
// How long the program's end waits for the thread, of real time: its share
// of the end's budget. Its own work never waits, but a file read can, on a
// hung network folder, for ever.
constexpr std::chrono::milliseconds EndWait{300};

// SLONK_CUE_DEADLINE_MS when it is a positive number, else 2 s.
std::chrono::milliseconds cueDeadline()
{
    bool ok = false;
    const int set = qEnvironmentVariableIntValue("SLONK_CUE_DEADLINE_MS", &ok);
    return ok && set > 0 ? std::chrono::milliseconds(set) : PulseCues::DefaultDeadline;
}

} // namespace

struct StreamCueSound::Room
{
    Room(const QString &directory, const CueIdentity &who)
        : programDirectory(directory), identity(who), worker(new QObject)
    {
    }

    Cue read();
    PulseCues *pulse(); // nullptr without libpulse
    void playNow(PulseCues::Instant due);
    void prepareFirst();

    const QString programDirectory;
    const CueIdentity identity;
    const std::chrono::milliseconds deadline = cueDeadline();
    QThread thread;
    QObject *worker; // lives on the thread and goes with it: what work is posted to
    // Made and used on the thread, let go of once it has ended.
    std::unique_ptr<PulseCues> cues;
    bool pulseTried = false;
    QSet<QString> toldTooLong;
};

StreamCueSound::StreamCueSound(const QString &programDirectory, const CueIdentity &identity)
    : room_(std::make_unique<Room>(programDirectory, identity))
{
    Room *room = room_.get();
    room->thread.setObjectName(QStringLiteral("slonk cues"));
    room->worker->moveToThread(&room->thread);
    QObject::connect(&room->thread, &QThread::finished, room->worker, &QObject::deleteLater);
    room->thread.start();
    QMetaObject::invokeMethod(
        room->worker,
        [room] {
            QTimer::singleShot(FirstPrepareDelay, room->worker, [room] { room->prepareFirst(); });
        },
        Qt::QueuedConnection);
}

StreamCueSound::~StreamCueSound()
{
    room_->thread.quit();
    QThread &thread = room_->thread;
    if (realtime::waitUntil(realtime::now() + EndWait, [&thread] { return thread.isFinished(); })) {
        thread.wait();
        return;
    }
    // A file read holds the thread. The program ends all the same, and the
    // thread with it. Until then the thread may still use all it reaches:
    // this room, left to the process, and libpulse's calls (pulseapi.h).
    std::fputs("slonk: ending while the cue file is still being read\n", stderr);
    static_cast<void>(room_.release());
}

void StreamCueSound::play()
{
    const PulseCues::Instant due = std::chrono::steady_clock::now();
    Room *room = room_.get();
    QMetaObject::invokeMethod(
        room->worker, [room, due] { room->playNow(due); }, Qt::QueuedConnection);
}

Cue StreamCueSound::Room::read()
{
    Cue cue = readFirstCue(cueFileCandidates(programDirectory));
    for (const QString &path : std::as_const(cue.tooLong)) {
        if (!toldTooLong.contains(path)) {
            toldTooLong.insert(path);
            std::fprintf(stderr,
                         "slonk: %s is not played: longer than a minute, or than the sound "
                         "server takes whole\n",
                         qPrintable(path));
        }
    }
    return cue;
}

void StreamCueSound::Room::playNow(PulseCues::Instant due)
{
    if (PulseCues *played = pulse())
        played->play(read().samples, due);
}

void StreamCueSound::Room::prepareFirst()
{
    if (PulseCues *prepared = pulse())
        prepared->prepare(read().samples);
}

PulseCues *StreamCueSound::Room::pulse()
{
    if (!pulseTried) {
        pulseTried = true;
        if (pulseApi())
            cues = PulseCues::create(identity, deadline);
    }
    return cues.get();
}

} // namespace slonk
