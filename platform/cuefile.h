// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace slonk {

// What the cue lookup reads from the environment; each empty when unset.
struct DataEnvironment
{
    QString home;     // HOME
    QString dataHome; // XDG_DATA_HOME
    QString dataDirs; // XDG_DATA_DIRS, ':'-separated
};

// Every place slonk.wav is looked for, in order: beside the program, the user's
// $XDG_DATA_HOME/slonk (~/.local/share/slonk when it is unset or empty), slonk/
// under each of $XDG_DATA_DIRS (/usr/local/share:/usr/share when unset or
// empty), then the installed data folder ../share/slonk. A relative XDG path is
// ignored, as the XDG base directories ask; a place named twice counts once.
QStringList cueFileCandidates(const QString &programDirectory, const DataEnvironment &environment);

// The first candidate that is usable; empty when none is.
QString firstUsableFile(const QStringList &candidates,
                        const std::function<bool(const QString &path)> &usable);

// HOME, XDG_DATA_HOME and XDG_DATA_DIRS as they are now.
DataEnvironment systemDataEnvironment();

} // namespace slonk
