// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "wavcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

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

// Fills in the format; false when it is not one a cue may have.
bool readFormat(QByteArrayView fmt, WavLayout &layout)
{
    if (fmt.size() < 16)
        return false;
    const quint16 encoding = u16(fmt, 0);
    layout.channels = u16(fmt, 2);
    layout.rate = u32(fmt, 4);
    const quint16 blockAlign = u16(fmt, 12);
    layout.bits = u16(fmt, 14);
    constexpr quint16 IntegerPcm = 1;
    return encoding == IntegerPcm && (layout.channels == 1 || layout.channels == 2) &&
           layout.rate >= 8000 && layout.rate <= 96000 && (layout.bits == 8 || layout.bits == 16) &&
           blockAlign == layout.channels * layout.bits / 8;
}

} // namespace

WavLayout readWavLayout(QByteArrayView head, qint64 fileSize)
{
    WavLayout layout;
    const auto verdict = [&layout](WavVerdict v) {
        layout.verdict = v;
        return layout;
    };
    if (fileSize > MaxCueBytes)
        return verdict(WavVerdict::TooLarge);
    if (head.size() < 12 || head.first(4) != "RIFF" || head.sliced(8, 4) != "WAVE")
        return verdict(WavVerdict::NotWav);

    bool formatSeen = false;
    qint64 at = 12;
    while (at + 8 <= head.size()) {
        const QByteArrayView id = head.sliced(at, 4);
        const qint64 size = u32(head, at + 4);
        const qint64 body = at + 8;
        if (id == "fmt ") {
            if (body + size > head.size())
                return verdict(WavVerdict::Truncated);
            if (!readFormat(head.sliced(body, size), layout))
                return verdict(WavVerdict::Unsupported);
            formatSeen = true;
        } else if (id == "data") {
            if (!formatSeen)
                return verdict(WavVerdict::NotWav);
            const qint64 frame = layout.channels * layout.bits / 8;
            layout.dataOffset = body;
            layout.dataSize = size - size % frame;
            if (layout.dataSize == 0 || body + size > fileSize)
                return verdict(WavVerdict::Truncated);
            return verdict(WavVerdict::Usable);
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    return verdict(WavVerdict::Truncated);
}

WavVerdict checkWavHeader(QByteArrayView head, qint64 fileSize)
{
    return readWavLayout(head, fileSize).verdict;
}

CueSamples readCueSamples(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // One byte more than the file holds, or than a cue may have: a file grown
    // since, or too long, reads as such.
    const QByteArray bytes = file.read(std::min(file.size(), MaxCueBytes) + 1);
    const WavLayout layout = readWavLayout(bytes, bytes.size());
    if (layout.verdict != WavVerdict::Usable)
        return {};
    return {layout, bytes.sliced(layout.dataOffset, layout.dataSize)};
}

WavLayout readWavFileLayout(const QString &path)
{
    const auto verdict = [](WavVerdict v) { return WavLayout{{}, v}; };
    const QFileInfo info(path);
    if (!info.exists())
        return verdict(WavVerdict::Missing);
    if (!info.isFile())
        return verdict(WavVerdict::NotAFile);
    if (info.size() > MaxCueBytes)
        return verdict(WavVerdict::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return verdict(WavVerdict::Unreadable);
    const QByteArray head = file.read(HeaderBytes);
    return readWavLayout(head, info.size());
}

WavVerdict checkWavFile(const QString &path)
{
    return readWavFileLayout(path).verdict;
}

} // namespace slonk
