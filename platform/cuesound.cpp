#include "cuesound.h"

#include "cuefile.h"
#include "wavcheck.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
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
    // Owned by this object until it has played out or failed.
    auto *effect = new QSoundEffect(this);
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying())
            effect->deleteLater();
    });
    connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        if (effect->status() == QSoundEffect::Error)
            effect->deleteLater();
    });
    effect->setSource(source());
    effect->play();
}

} // namespace slonk
