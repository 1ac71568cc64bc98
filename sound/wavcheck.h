// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A cue file comes from wherever the user put it: it is checked before its
// samples reach the sound server, which would play noise for a bad header.
namespace slonk {

// Silence played after every cue, so that a sink that still holds the cue's
// end when its stream goes does not cut it off.
constexpr int CueTailMilliseconds = 300;
// The most the sound server queues for one stream (PulseAudio's, and
// PipeWire's pulse layer's): a cue and its tail are written whole, at once,
// so no longer cue can be played, and no larger file is read.
constexpr qint64 ServerQueueBytes = 4 * 1024 * 1024;
// A cue marks one minute: one that lasts more cannot be told from the next.
constexpr int MaxCueSeconds = 60;

enum class WavVerdict
{
    Usable,
    Missing,     // no such file
    NotAFile,    // a directory, a device, a socket, a FIFO
    Unreadable,  // no permission, I/O error
    TooLarge,    // longer than a minute, or than the server takes whole with its tail
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

// A cue's samples as read from its file, with their format.
struct CueSamples : CueFormat
{
    WavVerdict verdict = WavVerdict::Missing;
    QByteArray data; // empty unless the verdict is Usable
};

// Reads the file at path (a resource path too) once and whole, so that a file
// replaced while it is read cannot give samples of one file in the format of
// another. Never blocks on a FIFO or a device: only a regular file is read.
CueSamples readCueSamples(const QString &path);

} // namespace slonk
