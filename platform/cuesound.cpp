// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cuesound.h"

#include "cuefile.h"
#include "wavcheck.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <utility>

namespace slonk {

const QUrl EffectCueSound::DefaultCue{QStringLiteral("qrc:/slonk/default-cue.wav")};

EffectCueSound::EffectCueSound(QString programDirectory, QObject *parent)
    : QObject(parent), programDirectory_(std::move(programDirectory))
{
}

QString EffectCueSound::cueFile() const
{
    return firstUsableFile(
        cueFileCandidates(programDirectory_, systemDataEnvironment()),
        [](const QString &path) { return checkWavFile(path) == WavVerdict::Usable; });
}

QUrl EffectCueSound::source() const
{
    const QString file = cueFile();
    return file.isEmpty() ? DefaultCue : QUrl::fromLocalFile(file);
}

void EffectCueSound::play()
{
    // With no output device (no sound server) nothing can be heard, and an
    // effect made anyway would report playing for ever and never be freed.
    if (QMediaDevices::audioOutputs().isEmpty())
        return;
    player_.play(source());
}

} // namespace slonk
