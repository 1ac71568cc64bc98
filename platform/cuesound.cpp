// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cuesound.h"

#include "cuefile.h"
#include "wavcheck.h"

#include <utility>

namespace slonk {

const QString StreamCueSound::DefaultCue{QStringLiteral(":/slonk/default-cue.wav")};

StreamCueSound::StreamCueSound(QString programDirectory)
    : programDirectory_(std::move(programDirectory)), player_([this] { return source(); })
{
}

QString StreamCueSound::cueFile() const
{
    return firstUsableFile(
        cueFileCandidates(programDirectory_, systemDataEnvironment()),
        [](const QString &path) { return checkWavFile(path) == WavVerdict::Usable; });
}

QString StreamCueSound::source() const
{
    const QString file = cueFile();
    return file.isEmpty() ? DefaultCue : file;
}

void StreamCueSound::play()
{
    player_.play();
}

} // namespace slonk
