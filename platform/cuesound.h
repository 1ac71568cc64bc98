// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "cueplayer.h"
#include "platform.h"

#include <QString>

namespace slonk {

// The cue played on a fresh stream of the sound server's, from a thread of
// its own (cueplayer.h). The file is looked for, checked and read again at
// every cue, so replacing it between cues takes effect at the next one.
class StreamCueSound final : public CueSound
{
public:
    explicit StreamCueSound(QString programDirectory);
    void play() override;

    // The first usable slonk.wav where it is looked for (cuefile.h); empty
    // when there is none.
    QString cueFile() const;
    // What the next cue plays: that file, else the built-in cue.
    QString source() const;
    static const QString DefaultCue;

private:
    QString programDirectory_;
    CuePlayer player_;
};

} // namespace slonk
