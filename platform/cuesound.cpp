#include "cuesound.h"

#include "appdirectory.h"
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
    return locateDataFile(programDirectory_, QStringLiteral("slonk.wav"));
}

QUrl EffectCueSound::sourceFor(const QString &wavPath)
{
    return checkWavFile(wavPath) == WavVerdict::Usable ? QUrl::fromLocalFile(wavPath) : DefaultCue;
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
    effect->setSource(sourceFor(cueFile()));
    effect->play();
}

} // namespace slonk
