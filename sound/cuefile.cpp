// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#include "cuefile.h"

#include <QDir>
#include <QStandardPaths>

namespace slonk {

const QString BuiltInCue{QStringLiteral(":/slonk/default-cue.wav")};

QStringList cueFileCandidates(const QString &programDirectory, const QStringList &dataFolders)
{
    const QString cueName = QStringLiteral("slonk/slonk.wav");
    QStringList candidates;
    auto add = [&candidates](const QString &path) {
        const QString clean = QDir::cleanPath(path);
        if (!candidates.contains(clean))
            candidates.append(clean);
    };
    const QDir programDir(programDirectory);
    add(programDir.filePath(QStringLiteral("slonk.wav")));
    for (const QString &folder : dataFolders)
        if (QDir::isAbsolutePath(folder))
            add(folder + u'/' + cueName);
    add(programDir.filePath(QStringLiteral("../share/") + cueName));
    return candidates;
}

QStringList cueFileCandidates(const QString &programDirectory)
{
    return cueFileCandidates(
        programDirectory, QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation));
}

Cue readFirstCue(const QStringList &candidates)
{
    QStringList tooLong;
    for (const QString &candidate : candidates) {
        CueSamples samples = readCueSamples(candidate);
        if (samples.verdict == WavVerdict::Usable)
            return {candidate, std::move(samples), tooLong};
        if (samples.verdict == WavVerdict::TooLarge)
            tooLong.append(candidate);
    }
    return {BuiltInCue, readCueSamples(BuiltInCue), tooLong};
}

} // namespace slonk
