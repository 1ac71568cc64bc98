// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "cueplayer.h"
#include "platform.h"

#include <QObject>
#include <QString>
#include <QUrl>

namespace slonk {

// One fresh QSoundEffect a cue, played on a thread of its own (cueplayer.h).
// The file is looked for, checked and read again at every cue, so replacing it
// between cues takes effect at the next one.
class EffectCueSound final : public QObject, public CueSound
{
    Q_OBJECT
public:
    explicit EffectCueSound(QString programDirectory, QObject *parent = nullptr);
    void play() override;

    // The first usable slonk.wav where it is looked for (cuefile.h); empty
    // when there is none.
    QString cueFile() const;
    // What the next cue plays: that file, else the built-in cue.
    QUrl source() const;
    static const QUrl DefaultCue;

private:
    QString programDirectory_;
    CuePlayer player_;
};

} // namespace slonk
