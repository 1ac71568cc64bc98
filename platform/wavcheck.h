// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QByteArray>
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

// The format of a cue's samples: what a sound server's stream is opened for.
struct CueFormat
{
    quint32 rate = 0;
    quint16 channels = 0;
    quint16 bits = 0; // 8 (unsigned) or 16 (signed, little-endian)
    bool operator==(const CueFormat &) const = default;
};

// What a WAV holds and where its samples are; the numbers mean something only
// when the verdict is Usable.
struct WavLayout : CueFormat
{
    WavVerdict verdict = WavVerdict::NotWav;
    qint64 dataOffset = 0; // the first sample byte
    qint64 dataSize = 0;   // whole frames only: a torn last frame is left out
};

// The layout of a WAV from its first bytes, for a file fileSize bytes long.
WavLayout readWavLayout(QByteArrayView head, qint64 fileSize);

// The layout of the WAV at path; reads its header only.
WavLayout readWavFileLayout(const QString &path);

// Whether the file at path can be played as a cue; reads its header only.
WavVerdict checkWavFile(const QString &path);

// The same check on the first bytes of a file that is fileSize bytes long.
WavVerdict checkWavHeader(QByteArrayView head, qint64 fileSize);

// A cue's samples as read from its file, with their format.
struct CueSamples : CueFormat
{
    QByteArray data; // empty when the file is not a usable cue
};

// Reads the whole file once, so that a file replaced while it is read cannot
// give samples of one file in the format of another.
CueSamples readCueSamples(const QString &path);

} // namespace slonk
