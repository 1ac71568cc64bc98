#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

namespace slonk {

// Plays the cue asynchronously: play() returns at once.
class CueSound
{
public:
    virtual ~CueSound() = default;
    // A missing or unusable file plays the built-in default cue instead.
    virtual void play(const QString &wavPath) = 0;
};

// One fresh QSoundEffect a cue: a reused one goes silent after a few plays.
// The file is checked and read again at every cue, so replacing it between
// cues takes effect at the next one.
class EffectCueSound final : public QObject, public CueSound
{
    Q_OBJECT
public:
    using QObject::QObject;
    void play(const QString &wavPath) override;

    // The source a cue of wavPath plays: the file itself, or the built-in cue.
    static QUrl sourceFor(const QString &wavPath);
    static const QUrl DefaultCue;
};

} // namespace slonk
