// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cueplayer.h"

#include <QCoreApplication>
#include <QSoundEffect>

namespace slonk {

namespace {

// A fresh effect a cue: a reused one goes silent after a few plays. It frees
// itself once it has played out or failed.
void startEffect(QObject *parent, const QUrl &source)
{
    auto *effect = new QSoundEffect(parent);
    QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    QObject::connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
    });
    effect->setSource(source);
    effect->play();
}

} // namespace

CuePlayer::CuePlayer() : effects_(std::make_unique<QObject>())
{
    thread_.setObjectName(QStringLiteral("slonk cues"));
    effects_->moveToThread(&thread_);
    thread_.start();
}

CuePlayer::~CuePlayer()
{
    // The effects and the audio sinks they hand to deleteLater() go on their
    // own thread, while its event loop still runs.
    QMetaObject::invokeMethod(
        effects_.get(),
        [this] {
            effects_.reset();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        },
        Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void CuePlayer::play(const QUrl &source)
{
    QObject *parent = effects_.get();
    QMetaObject::invokeMethod(
        parent, [parent, source] { startEffect(parent, source); }, Qt::QueuedConnection);
}

} // namespace slonk
