#pragma once

#include "platform.h"

#include <QObject>
#include <QString>
#include <QUrl>

namespace slonk {

// One fresh QSoundEffect a cue: a reused one goes silent after a few plays.
// The file is looked for, checked and read again at every cue, so replacing it
// between cues takes effect at the next one.
class EffectCueSound final : public QObject, public CueSound
{
    Q_OBJECT
public:
    explicit EffectCueSound(QString programDirectory, QObject *parent = nullptr);
    void play() override;

    // The file a cue plays when it can: slonk.wav, wherever it is looked for.
    QString cueFile() const;
    // The source a cue of wavPath plays: the file itself, or the built-in cue.
    static QUrl sourceFor(const QString &wavPath);
    static const QUrl DefaultCue;

private:
    QString programDirectory_;
};

} // namespace slonk
