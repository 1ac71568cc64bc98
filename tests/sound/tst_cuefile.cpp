// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cuefile.h"
#include "wavcheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// The verdict on a file as a user who is not root reads it: root reads every
// file whatever its mode, so the read happens in a child that has become
// nobody. -1 when the child could not become nobody or did not end normally.
int verdictAsNobody(const QString &path)
{
    const passwd *nobody = getpwnam("nobody");
    if (!nobody)
        return -1;
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(255);
        _exit(int(readCueSamples(path).verdict));
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 255)
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

class TestCueFile : public QObject
{
    Q_OBJECT
private slots:
    void cueFileCandidates_data();
    void cueFileCandidates();
    void cueFile_data();
    void cueFile();
    void wavLayout_data();
    void wavLayout();
    void cueSamples_data();
    void cueSamples();
    void wavHeader_data();
    void wavHeader();
    void wavFile_data();
    void wavFile();
};

void TestCueFile::cueFileCandidates_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<QStringList>("dataFolders");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("the XDG defaults, in their order")
        << "/opt/s/bin" << QStringList{"/home/u/.local/share", "/usr/local/share", "/usr/share"}
        << QStringList{"/opt/s/bin/slonk.wav", "/home/u/.local/share/slonk/slonk.wav",
                       "/usr/local/share/slonk/slonk.wav", "/usr/share/slonk/slonk.wav",
                       "/opt/s/share/slonk/slonk.wav"};
    QTest::newRow("relative and empty folders are skipped")
        << "/opt/s/bin" << QStringList{"rel/home", "", "/d/one/", "/d//two"}
        << QStringList{"/opt/s/bin/slonk.wav", "/d/one/slonk/slonk.wav", "/d/two/slonk/slonk.wav",
                       "/opt/s/share/slonk/slonk.wav"};
    QTest::newRow("installed in /usr: its data folder once, in the XDG place")
        << "/usr/bin/" << QStringList{"/usr/share"}
        << QStringList{"/usr/bin/slonk.wav", "/usr/share/slonk/slonk.wav"};
}

void TestCueFile::cueFileCandidates()
{
    QFETCH(QString, programDir);
    QFETCH(QStringList, dataFolders);
    QFETCH(QStringList, expected);
    QCOMPARE(slonk::cueFileCandidates(programDir, dataFolders), expected);
}

void TestCueFile::cueFile_data()
{
    // Places: bin (beside the program), user ($XDG_DATA_HOME), one and two
    // ($XDG_DATA_DIRS), share (the installed data folder). A file is good,
    // empty, a folder or text; the expected place is the one that plays, or
    // none for the built-in cue.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("plays");

    QTest::newRow("beside the program first")
        << QStringList{"bin=good", "user=good", "one=good", "share=good"} << "bin";
    QTest::newRow("the user's own when none beside")
        << QStringList{"user=good", "one=good", "share=good"} << "user";
    QTest::newRow("the data dirs in order") << QStringList{"two=good", "one=good"} << "one";
    QTest::newRow("the installed data folder last") << QStringList{"share=good"} << "share";
    QTest::newRow("an empty file beside is skipped")
        << QStringList{"bin=empty", "user=good"} << "user";
    QTest::newRow("a folder named slonk.wav is skipped")
        << QStringList{"bin=folder", "user=folder", "two=good"} << "two";
    QTest::newRow("a text in the user's place is skipped")
        << QStringList{"user=text", "share=good"} << "share";
    QTest::newRow("none usable: the built-in cue")
        << QStringList{"bin=empty", "user=text", "one=folder", "share=empty"} << QString();
    QTest::newRow("none at all: the built-in cue") << QStringList{} << QString();
}

void TestCueFile::cueFile()
{
    QFETCH(QStringList, files);
    QFETCH(QString, plays);

    QTemporaryDir root;
    const QDir dir(root.path());
    const QHash<QString, QString> places{
        {QStringLiteral("bin"), dir.filePath(QStringLiteral("bin/slonk.wav"))},
        {QStringLiteral("user"), dir.filePath(QStringLiteral("user/slonk/slonk.wav"))},
        {QStringLiteral("one"), dir.filePath(QStringLiteral("one/slonk/slonk.wav"))},
        {QStringLiteral("two"), dir.filePath(QStringLiteral("two/slonk/slonk.wav"))},
        {QStringLiteral("share"), dir.filePath(QStringLiteral("share/slonk/slonk.wav"))}};
    dir.mkpath(QStringLiteral("bin"));
    for (const QString &file : files) {
        const QString place = file.section(u'=', 0, 0), kind = file.section(u'=', 1);
        const QString path = places.value(place);
        QVERIFY(dir.mkpath(QFileInfo(path).path()));
        if (kind == QStringLiteral("good"))
            QVERIFY(QFile::copy(sourceAsset(QStringLiteral("slonk.wav")), path));
        else if (kind == QStringLiteral("folder"))
            QVERIFY(dir.mkpath(path));
        else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == QStringLiteral("text"))
                f.write("not a sound\n");
        }
    }
    qputenv("HOME", dir.filePath(QStringLiteral("home")).toUtf8());
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("user")).toUtf8());
    qputenv("XDG_DATA_DIRS",
            (dir.filePath(QStringLiteral("one")) + u':' + dir.filePath(QStringLiteral("two")))
                .toUtf8());
    // Each place read once, the first usable one played whole.
    const Cue cue = readFirstCue(slonk::cueFileCandidates(dir.filePath(QStringLiteral("bin"))));
    QCOMPARE(cue.source, plays.isEmpty() ? BuiltInCue : places.value(plays));
    QCOMPARE(cue.samples.verdict, WavVerdict::Usable);
    QVERIFY(!cue.samples.data.isEmpty());
}

void TestCueFile::wavHeader_data()
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
    // What the server queues for one stream holds the cue and 300 ms of
    // silence after it (52,920 bytes here), or the cue is not played at all.
    const auto sized = [](const QByteArray &format, qint64 samples) {
        return riff(format + "data" + le32(static_cast<quint32>(samples)));
    };
    row("cue and tail fill the server's queue", sized(cd, 4'141'384), WavVerdict::Usable,
        44 + 4'141'384);
    row("tail past the server's queue", sized(cd, 4'141'388), WavVerdict::TooLarge, 44 + 4'141'388);
    const QByteArray phone = fmtChunk(1, 1, 8000, 8);
    row("a minute", sized(phone, 8000 * 60), WavVerdict::Usable, 44 + 8000 * 60);
    row("longer than a minute", sized(phone, 8000 * 60 + 1), WavVerdict::TooLarge,
        44 + 8000 * 60 + 1);
}

void TestCueFile::wavHeader()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, fileSize);
    QFETCH(WavVerdict, verdict);
    QCOMPARE(readWavLayout(bytes, fileSize < 0 ? bytes.size() : fileSize).verdict, verdict);
}

void TestCueFile::wavLayout_data()
{
    // Where the samples are is what reaches the sound server: an offset or a
    // size one frame off is heard as a click or a channel swap.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<qint64>>("expected"); // rate, channels, bits, data offset, data size

    const QByteArray cd = fmtChunk(1, 2, 44100, 16);
    QTest::newRow("16-bit stereo")
        << riff(cd + chunk("data", Samples)) << QList<qint64>{44100, 2, 16, 44, 400};
    QTest::newRow("8-bit mono") << riff(fmtChunk(1, 1, 8000, 8) + chunk("data", Samples))
                                << QList<qint64>{8000, 1, 8, 44, 400};
    QTest::newRow("a chunk before the format moves the samples")
        << riff(chunk("LIST", "INFOx") + cd + chunk("data", Samples))
        << QList<qint64>{44100, 2, 16, 58, 400};
    QTest::newRow("a torn last frame is left out")
        << riff(cd + chunk("data", Samples + "\x01\x02\x03"))
        << QList<qint64>{44100, 2, 16, 44, 400};
}

void TestCueFile::wavLayout()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<qint64>, expected);
    const WavLayout layout = readWavLayout(bytes, bytes.size());
    QCOMPARE(layout.verdict, WavVerdict::Usable);
    QCOMPARE((QList<qint64>{layout.rate, layout.channels, layout.bits, layout.dataOffset,
                            layout.dataSize}),
             expected);
}

void TestCueFile::cueSamples_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<qint64>("frames"); // 0: nothing to play

    QTest::newRow("our cue, every frame") << "slonk.wav" << qint64(28224);
    QTest::newRow("the built-in cue") << ":/slonk/default-cue.wav" << qint64(20286);
    QTest::newRow("missing") << "missing" << qint64(0);
    QTest::newRow("grown past a cue's size after the check") << "huge" << qint64(0);
    QTest::newRow("not a WAV") << "text" << qint64(0);
}

void TestCueFile::cueSamples()
{
    QFETCH(QString, setup);
    QFETCH(qint64, frames);

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("slonk.wav"));
    if (setup.endsWith(QStringLiteral(".wav"))) {
        path = setup.startsWith(u':') ? setup : sourceAsset(setup);
    } else if (setup != QStringLiteral("missing")) {
        QVERIFY(QFile::copy(sourceAsset(QStringLiteral("slonk.wav")), path));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        if (setup == QStringLiteral("huge"))
            QVERIFY(file.resize(100 * 1024 * 1024));
        else
            QVERIFY(file.write("just text") > 0);
    }
    const CueSamples cue = readCueSamples(path);
    QCOMPARE(cue.data.size(), frames * 4);
    if (frames > 0)
        QCOMPARE((QList<int>{int(cue.rate), cue.channels, cue.bits}), (QList<int>{44100, 2, 16}));
}

void TestCueFile::wavFile_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<WavVerdict>("verdict");

    QTest::newRow("our cue") << "slonk.wav" << WavVerdict::Usable;
    QTest::newRow("our default cue") << "default-cue.wav" << WavVerdict::Usable;
    QTest::newRow("built-in default cue") << ":/slonk/default-cue.wav" << WavVerdict::Usable;
    QTest::newRow("missing") << "missing" << WavVerdict::Missing;
    QTest::newRow("directory") << "directory" << WavVerdict::NotAFile;
    QTest::newRow("a FIFO, never waited on") << "fifo" << WavVerdict::NotAFile;
    QTest::newRow("empty") << "empty" << WavVerdict::NotWav;
    QTest::newRow("truncated") << "truncated" << WavVerdict::Truncated;
    QTest::newRow("100 MB") << "huge" << WavVerdict::TooLarge;
    QTest::newRow("unreadable") << "unreadable" << WavVerdict::Unreadable;
}

void TestCueFile::wavFile()
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
        QCOMPARE(readCueSamples(source).verdict, verdict);
        return;
    }
    if (setup == QStringLiteral("directory")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("slonk.wav")));
    } else if (setup == QStringLiteral("fifo")) {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
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
        QVERIFY(file.setPermissions({}));
        if (geteuid() == 0) {
            // Only the file's own mode may keep nobody out: the same cue
            // readable beside it plays.
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                          QFile::ExeOwner | QFile::ExeGroup |
                                                          QFile::ExeOther));
            const QString readable = dir.filePath(QStringLiteral("readable.wav"));
            QVERIFY(QFile::copy(sourceAsset(QStringLiteral("slonk.wav")), readable));
            QVERIFY(QFile::setPermissions(readable, QFile::ReadOwner | QFile::ReadOther));
            QCOMPARE(verdictAsNobody(readable), int(WavVerdict::Usable));
            QCOMPARE(verdictAsNobody(path), int(verdict));
            return;
        }
    }
    QCOMPARE(readCueSamples(path).verdict, verdict);
}

QTEST_GUILESS_MAIN(TestCueFile)
#include "tst_cuefile.moc"
