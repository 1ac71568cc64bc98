// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "wavcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace slonk {
namespace {

constexpr qint64 MaxCueBytes = 4 * 1024 * 1024; // about 24 s of CD-quality stereo
constexpr qint64 HeaderBytes = 64 * 1024;       // room for the chunks before "data"

quint16 u16(QByteArrayView bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint32 u32(QByteArrayView bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

bool playableFormat(QByteArrayView fmt)
{
    if (fmt.size() < 16)
        return false;
    const quint16 encoding = u16(fmt, 0);
    const quint16 channels = u16(fmt, 2);
    const quint32 rate = u32(fmt, 4);
    const quint16 blockAlign = u16(fmt, 12);
    const quint16 bits = u16(fmt, 14);
    constexpr quint16 IntegerPcm = 1;
    return encoding == IntegerPcm && (channels == 1 || channels == 2) && rate >= 8000 &&
           rate <= 96000 && (bits == 8 || bits == 16) && blockAlign == channels * bits / 8;
}

} // namespace

WavVerdict checkWavHeader(QByteArrayView head, qint64 fileSize)
{
    if (fileSize > MaxCueBytes)
        return WavVerdict::TooLarge;
    if (head.size() < 12 || head.first(4) != "RIFF" || head.sliced(8, 4) != "WAVE")
        return WavVerdict::NotWav;

    bool formatSeen = false;
    qint64 at = 12;
    while (at + 8 <= head.size()) {
        const QByteArrayView id = head.sliced(at, 4);
        const qint64 size = u32(head, at + 4);
        const qint64 body = at + 8;
        if (id == "fmt ") {
            if (body + size > head.size())
                return WavVerdict::Truncated;
            if (!playableFormat(head.sliced(body, size)))
                return WavVerdict::Unsupported;
            formatSeen = true;
        } else if (id == "data") {
            if (!formatSeen)
                return WavVerdict::NotWav;
            if (size == 0 || body + size > fileSize)
                return WavVerdict::Truncated;
            return WavVerdict::Usable;
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    return WavVerdict::Truncated;
}

WavVerdict checkWavFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return WavVerdict::Missing;
    if (!info.isFile())
        return WavVerdict::NotAFile;
    if (info.size() > MaxCueBytes)
        return WavVerdict::TooLarge;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return WavVerdict::Unreadable;
    const QByteArray head = file.read(HeaderBytes);
    return checkWavHeader(head, info.size());
}

} // namespace slonk
