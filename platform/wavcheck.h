// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QByteArrayView>
#include <QString>

// Qt's sound effect errors out on some WAVs and hangs for good on others (empty,
// truncated, not a WAV at all), so a file is checked before it is handed over.
namespace slonk {

enum class WavVerdict
{
    Usable,
    Missing,     // no such file
    NotAFile,    // a directory, a device, a socket
    Unreadable,  // no permission, I/O error
    TooLarge,    // longer than any cue should be
    NotWav,      // no RIFF/WAVE header
    Unsupported, // a WAV, but not 8- or 16-bit integer PCM, mono or stereo
    Truncated,   // the header promises more than the file holds
};

// Whether the file at path can be played as a cue; reads its header only.
WavVerdict checkWavFile(const QString &path);

// The same check on the first bytes of a file that is fileSize bytes long.
WavVerdict checkWavHeader(QByteArrayView head, qint64 fileSize);

} // namespace slonk
