// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cueplayer.h"

#include "pulseapi.h"
#include "pulsecues.h"
#include "wavcheck.h"

#include <QTimer>
#include <chrono>

namespace slonk {
namespace {

// The first stream is opened this long after start-up, out of the way of the
// window's first paint; a challenge started sooner opens its first at its cue.
constexpr std::chrono::milliseconds FirstPrepareDelay{1000};

} // namespace

CuePlayer::CuePlayer(std::function<QString()> cueFile)
    : cueFile_(std::move(cueFile)), worker_(std::make_unique<QObject>())
{
    thread_.setObjectName(QStringLiteral("slonk cues"));
    worker_->moveToThread(&thread_);
    thread_.start();
    QMetaObject::invokeMethod(
        worker_.get(),
        [this] { QTimer::singleShot(FirstPrepareDelay, worker_.get(), [this] { prepareNext(); }); },
        Qt::QueuedConnection);
}

CuePlayer::~CuePlayer()
{
    // The server's streams are let go of on the thread that made them, while
    // its event loop still runs.
    QMetaObject::invokeMethod(
        worker_.get(),
        [this] {
            pulse_.reset();
            worker_.reset();
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void CuePlayer::play()
{
    QMetaObject::invokeMethod(
        worker_.get(), [this] { playNow(); }, Qt::QueuedConnection);
}

void CuePlayer::playNow()
{
    if (PulseCues *cues = pulse())
        if (const CueSamples cue = readCueSamples(cueFile_()); !cue.data.isEmpty())
            cues->play(cue);
}

// A stream needs only the cue's format: its header is all that is read.
void CuePlayer::prepareNext()
{
    if (PulseCues *cues = pulse())
        if (const WavLayout wav = readWavFileLayout(cueFile_()); wav.verdict == WavVerdict::Usable)
            cues->prepare(wav);
}

// libpulse is loaded here, on this thread, at the first cue or a second
// after start-up, whichever comes first: never in the window's way.
PulseCues *CuePlayer::pulse()
{
    if (!pulse_ && pulseApi())
        pulse_ = std::make_unique<PulseCues>([this] {
            QMetaObject::invokeMethod(
                worker_.get(), [this] { prepareNext(); }, Qt::QueuedConnection);
        });
    return pulse_.get();
}

} // namespace slonk
