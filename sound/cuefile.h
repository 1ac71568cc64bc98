// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#pragma once

#include "wavcheck.h"

#include <QString>
#include <QStringList>

namespace slonk {

// Every place slonk.wav is looked for, in order: beside the program, then
// slonk/ under each data folder, then the installed data folder ../share/slonk.
// A relative data folder is skipped, as the XDG base directories ask; a place
// named twice counts once.
QStringList cueFileCandidates(const QString &programDirectory, const QStringList &dataFolders);

// The same with the XDG data folders as QStandardPaths lists them: the user's
// own ($XDG_DATA_HOME, else ~/.local/share), then $XDG_DATA_DIRS.
QStringList cueFileCandidates(const QString &programDirectory);

// The cue that plays: its samples and where they were read from, and the
// files passed over as too long to be a cue, which their owner should hear of.
struct Cue
{
    QString source;
    CueSamples samples;
    QStringList tooLong;
};

// The cue played when no file is usable: our own default sound, built in.
extern const QString BuiltInCue;

// The first candidate that reads as a usable cue, each read at most once; the
// built-in cue when none does.
Cue readFirstCue(const QStringList &candidates);

} // namespace slonk
