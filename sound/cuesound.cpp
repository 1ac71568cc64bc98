// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cuesound.h"

#include "cuefile.h"
#include "pulseapi.h"

#include <QTimer>
#include <utility>

namespace slonk {
namespace {

// The first stream is opened this long after start-up, out of the way of the
// window's first paint; a challenge started sooner opens its first at its cue.
constexpr std::chrono::milliseconds FirstPrepareDelay{1000};

} // namespace

StreamCueSound::StreamCueSound(QString programDirectory, CueIdentity identity)
    : programDirectory_(std::move(programDirectory)), identity_(std::move(identity)),
      worker_(new QObject)
{
    thread_.setObjectName(QStringLiteral("slonk cues"));
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_,
        [this] { QTimer::singleShot(FirstPrepareDelay, worker_, [this] { prepareFirst(); }); },
        Qt::QueuedConnection);
}

StreamCueSound::~StreamCueSound()
{
    // Nothing on the thread waits for the server, so it ends at once.
    thread_.quit();
    thread_.wait();
    pulse_.reset();
}

void StreamCueSound::play()
{
    const PulseCues::Instant due = std::chrono::steady_clock::now();
    QMetaObject::invokeMethod(
        worker_, [this, due] { playNow(due); }, Qt::QueuedConnection);
}

void StreamCueSound::playNow(PulseCues::Instant due)
{
    if (PulseCues *cues = pulse())
        cues->play(readFirstCue(cueFileCandidates(programDirectory_)).samples, due);
}

void StreamCueSound::prepareFirst()
{
    if (PulseCues *cues = pulse())
        cues->prepare(readFirstCue(cueFileCandidates(programDirectory_)).samples);
}

PulseCues *StreamCueSound::pulse()
{
    if (!pulseTried_) {
        pulseTried_ = true;
        if (pulseApi())
            pulse_ = PulseCues::create(identity_);
    }
    return pulse_.get();
}

} // namespace slonk
