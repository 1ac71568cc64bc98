#include "appdirectory.h"
#include "clock.h"
#include "cuesound.h"
#include "wavcheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <unistd.h>

using namespace slonk;

Q_DECLARE_METATYPE(slonk::WavVerdict)

namespace {

QString sourceAsset(const QString &name)
{
    return QStringLiteral(SLONK_SOURCE_DIR "/assets/") + name;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray chunk(const QByteArray &id, const QByteArray &body)
{
    QByteArray c = id + le32(body.size()) + body;
    if (body.size() % 2)
        c += '\0';
    return c;
}

QByteArray fmtChunk(quint16 encoding, quint16 channels, quint32 rate, quint16 bits)
{
    const quint16 align = channels * bits / 8;
    return chunk("fmt ", le16(encoding) + le16(channels) + le32(rate) + le32(rate * align) +
                             le16(align) + le16(bits));
}

QByteArray riff(const QByteArray &chunks)
{
    return "RIFF" + le32(4 + chunks.size()) + "WAVE" + chunks;
}

const QByteArray Samples(400, '\x10');

} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void clockAdvances();
    void locateDataFile_data();
    void locateDataFile();
    void wavHeader_data();
    void wavHeader();
    void wavFile_data();
    void wavFile();
    void cueSourceFallsBackToDefault();
};

void TestPlatform::clockAdvances()
{
    const BootClock clock;
    const double first = clock.now();
    QVERIFY(first > 0);
    double later = first;
    for (int spins = 0; later == first && spins < 100'000'000; ++spins)
        later = clock.now();
    QVERIFY(later > first);
    QVERIFY(later - first < 1.0);
}

void TestPlatform::locateDataFile_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QString>("expected");

    QTest::newRow("beside the program") << QStringList{"bin/slonk.wav"} << "bin"
                                        << "bin/slonk.wav";
    QTest::newRow("installed data folder") << QStringList{"share/slonk/slonk.wav"} << "bin"
                                           << "share/slonk/slonk.wav";
    QTest::newRow("beside wins over installed")
        << QStringList{"bin/slonk.wav", "share/slonk/slonk.wav"} << "bin"
        << "bin/slonk.wav";
    QTest::newRow("neither: beside, to fall back from") << QStringList{} << "bin"
                                                        << "bin/slonk.wav";
    QTest::newRow("trailing separator") << QStringList{"bin/slonk.wav"} << "bin/"
                                        << "bin/slonk.wav";
}

void TestPlatform::locateDataFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, programDir);
    QFETCH(QString, expected);

    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("bin"));
    for (const QString &file : files) {
        QDir(root.path()).mkpath(QFileInfo(file).path());
        QFile f(root.filePath(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(slonk::locateDataFile(root.filePath(programDir), QStringLiteral("slonk.wav")),
             root.filePath(expected));
}

void TestPlatform::wavHeader_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("fileSize"); // -1: the bytes are the whole file
    QTest::addColumn<WavVerdict>("verdict");

    const QByteArray cd = fmtChunk(1, 2, 44100, 16);
    const auto row = [](const char *name, const QByteArray &bytes, WavVerdict verdict,
                        qint64 size = -1) { QTest::newRow(name) << bytes << size << verdict; };
    row("16-bit stereo", riff(cd + chunk("data", Samples)), WavVerdict::Usable);
    row("8-bit mono", riff(fmtChunk(1, 1, 8000, 8) + chunk("data", Samples)), WavVerdict::Usable);
    row("odd chunk before the format", riff(chunk("LIST", "INFOx") + cd + chunk("data", Samples)),
        WavVerdict::Usable);
    row("empty", {}, WavVerdict::NotWav);
    row("text", "just some text, not a sound at all", WavVerdict::NotWav);
    row("RIFF but not WAVE", "RIFF" + le32(4) + "AVI ", WavVerdict::NotWav);
    row("data before format", riff(chunk("data", Samples) + cd), WavVerdict::NotWav);
    row("24-bit", riff(fmtChunk(1, 2, 44100, 24) + chunk("data", Samples)),
        WavVerdict::Unsupported);
    row("32-bit float", riff(fmtChunk(3, 2, 44100, 32) + chunk("data", Samples)),
        WavVerdict::Unsupported);
    row("six channels", riff(fmtChunk(1, 6, 44100, 16) + chunk("data", Samples)),
        WavVerdict::Unsupported);
    row("rate zero", riff(fmtChunk(1, 2, 0, 16) + chunk("data", Samples)), WavVerdict::Unsupported);
    row("header only", riff(cd), WavVerdict::Truncated);
    row("no samples", riff(cd + chunk("data", {})), WavVerdict::Truncated);
    row("samples cut short", riff(cd + chunk("data", Samples)).chopped(100), WavVerdict::Truncated);
    row("format chunk cut short", riff(cd).chopped(6), WavVerdict::Truncated);
    row("huge chunk size", riff(cd + "data" + le32(0xFFFFFFFF)), WavVerdict::Truncated);
    row("longer than a cue", riff(cd + chunk("data", Samples)), WavVerdict::TooLarge,
        100 * 1024 * 1024);
}

void TestPlatform::wavHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, fileSize);
    QFETCH(WavVerdict, verdict);
    QCOMPARE(checkWavHeader(bytes, fileSize < 0 ? bytes.size() : fileSize), verdict);
}

void TestPlatform::wavFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<WavVerdict>("verdict");

    QTest::newRow("our cue") << "slonk.wav" << WavVerdict::Usable;
    QTest::newRow("our default cue") << "default-cue.wav" << WavVerdict::Usable;
    QTest::newRow("built-in default cue") << ":/slonk/default-cue.wav" << WavVerdict::Usable;
    QTest::newRow("missing") << "missing" << WavVerdict::Missing;
    QTest::newRow("directory") << "directory" << WavVerdict::NotAFile;
    QTest::newRow("empty") << "empty" << WavVerdict::NotWav;
    QTest::newRow("truncated") << "truncated" << WavVerdict::Truncated;
    QTest::newRow("100 MB") << "huge" << WavVerdict::TooLarge;
    QTest::newRow("unreadable") << "unreadable" << WavVerdict::Unreadable;
}

void TestPlatform::wavFile()
{
    QFETCH(QString, setup);
    QFETCH(WavVerdict, verdict);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("slonk.wav"));
    QFile cue(sourceAsset(QStringLiteral("slonk.wav")));
    QVERIFY(cue.open(QIODevice::ReadOnly));
    const QByteArray good = cue.readAll();
    QFile file(path);
    if (setup.endsWith(QStringLiteral(".wav"))) {
        const QString source = setup.startsWith(u':') ? setup : sourceAsset(setup);
        QCOMPARE(checkWavFile(source), verdict);
        return;
    }
    if (setup == QStringLiteral("directory")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("slonk.wav")));
    } else if (setup != QStringLiteral("missing")) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (setup == QStringLiteral("truncated"))
            file.write(good.first(good.size() / 2));
        if (setup == QStringLiteral("huge") || setup == QStringLiteral("unreadable"))
            file.write(good);
        if (setup == QStringLiteral("huge"))
            QVERIFY(file.resize(100 * 1024 * 1024)); // sparse: costs no disk
        file.close();
    }
    if (setup == QStringLiteral("unreadable")) {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(file.setPermissions({}));
    }
    QCOMPARE(checkWavFile(path), verdict);
}

void TestPlatform::cueSourceFallsBackToDefault()
{
    QTemporaryDir dir;
    const EffectCueSound cue(dir.path());
    const QString missing = dir.filePath(QStringLiteral("slonk.wav"));
    QCOMPARE(cue.cueFile(), missing);
    QCOMPARE(EffectCueSound::sourceFor(cue.cueFile()), EffectCueSound::DefaultCue);
    QVERIFY(QFile::copy(sourceAsset(QStringLiteral("slonk.wav")), missing));
    QCOMPARE(EffectCueSound::sourceFor(cue.cueFile()), QUrl::fromLocalFile(missing));
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
