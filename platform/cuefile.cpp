// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers
#include "cuefile.h"

#include <QDir>
#include <QtGlobal>

namespace slonk {
namespace {

const QString CueName = QStringLiteral("slonk/slonk.wav");

} // namespace

QStringList cueFileCandidates(const QString &programDirectory, const DataEnvironment &environment)
{
    QStringList candidates;
    auto add = [&candidates](const QString &path) {
        const QString clean = QDir::cleanPath(path);
        if (!candidates.contains(clean))
            candidates.append(clean);
    };
    const QDir programDir(programDirectory);
    add(programDir.filePath(QStringLiteral("slonk.wav")));

    if (QDir::isAbsolutePath(environment.dataHome))
        add(environment.dataHome + u'/' + CueName);
    else if (QDir::isAbsolutePath(environment.home))
        add(environment.home + QStringLiteral("/.local/share/") + CueName);

    QStringList dataDirs;
    for (const QString &dir : environment.dataDirs.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            dataDirs.append(dir);
    if (dataDirs.isEmpty())
        dataDirs = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    for (const QString &dir : dataDirs)
        add(dir + u'/' + CueName);

    add(programDir.filePath(QStringLiteral("../share/") + CueName));
    return candidates;
}

QString firstUsableFile(const QStringList &candidates,
                        const std::function<bool(const QString &path)> &usable)
{
    for (const QString &candidate : candidates)
        if (usable(candidate))
            return candidate;
    return {};
}

DataEnvironment systemDataEnvironment()
{
    return {qEnvironmentVariable("HOME"), qEnvironmentVariable("XDG_DATA_HOME"),
            qEnvironmentVariable("XDG_DATA_DIRS")};
}

} // namespace slonk
