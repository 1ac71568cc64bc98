// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "wavcheck.h"

#include <QFile>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace slonk {
namespace {

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
    if (fileSize > ServerQueueBytes)
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
            // Cut by the server, or longer than the minute it marks: never
            // played in part.
            const qint64 perSecond = qint64{layout.rate} * frame;
            const qint64 tail = perSecond * CueTailMilliseconds / 1000;
            if (layout.dataSize + tail > ServerQueueBytes ||
                layout.dataSize > perSecond * MaxCueSeconds)
                return verdict(WavVerdict::TooLarge);
            return verdict(WavVerdict::Usable);
        }
        at = body + size + (size & 1); // chunks are padded to an even length
    }
    return verdict(WavVerdict::Truncated);
}

namespace {

// A regular file opened for reading, or why it cannot be read as a cue. Opened
// without waiting, so a FIFO named slonk.wav cannot hold the cue thread, and
// only then looked at, so what is read is what was looked at.
WavVerdict openRegularFile(const QString &path, QFile &file)
{
    if (path.startsWith(u':')) { // a resource: built in, always a file
        file.setFileName(path);
        return file.open(QIODevice::ReadOnly) ? WavVerdict::Usable : WavVerdict::Missing;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? WavVerdict::Missing : WavVerdict::Unreadable;
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return WavVerdict::NotAFile;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return WavVerdict::Unreadable;
    }
    return WavVerdict::Usable;
}

} // namespace

CueSamples readCueSamples(const QString &path)
{
    CueSamples cue;
    QFile file;
    if (cue.verdict = openRegularFile(path, file); cue.verdict != WavVerdict::Usable)
        return cue;
    if (file.size() > ServerQueueBytes) {
        cue.verdict = WavVerdict::TooLarge;
        return cue;
    }
    // One byte more than the file holds: a file grown since reads as such.
    const QByteArray bytes = file.read(file.size() + 1);
    if (file.error() != QFileDevice::NoError) {
        cue.verdict = WavVerdict::Unreadable;
        return cue;
    }
    const WavLayout layout = readWavLayout(bytes, bytes.size());
    static_cast<CueFormat &>(cue) = layout;
    cue.verdict = layout.verdict;
    if (layout.verdict == WavVerdict::Usable)
        cue.data = bytes.sliced(layout.dataOffset, layout.dataSize);
    return cue;
}

} // namespace slonk
