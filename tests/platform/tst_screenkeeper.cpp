// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "screenkeeper.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QProcess>
#include <QTest>

using slonk::ScreenSaverKeeper;

namespace {

const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Reason = QStringLiteral("A challenge is running: a cue comes every minute");

bool busConnected()
{
    return QDBusConnection::sessionBus().isConnected();
}

// The fake service in its own process, as the desktop's would be.
struct FakeService
{
    QProcess process;
    FakeService()
    {
        process.start(QStringLiteral(FAKE_SCREENSAVER), {});
        process.waitForStarted();
    }
    ~FakeService()
    {
        process.kill();
        process.waitForFinished();
    }
    bool ready()
    {
        return QTest::qWaitFor(
            [] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(Service); },
            5000);
    }
    QStringList calls()
    {
        QDBusInterface service(Service, QStringLiteral("/org/freedesktop/ScreenSaver"), Service);
        const QDBusReply<QStringList> reply = service.call(QStringLiteral("Calls"));
        return reply.value();
    }
};

// The keeper's request has had its answer, whatever it was.
bool answered(const ScreenSaverKeeper &keeper)
{
    return QTest::qWaitFor(
        [&] { return keeper.findChildren<QDBusPendingCallWatcher *>().isEmpty(); }, 5000);
}

} // namespace

// Run twice by CTest: on a private session bus, and with no bus at all.
class TestScreenKeeper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("slonk")); }
    void inhibitsAndReleases_data();
    void inhibitsAndReleases();
    void noService();
    void noSessionBus();
};

void TestScreenKeeper::inhibitsAndReleases_data()
{
    QTest::addColumn<bool>("beforeTheAnswer");
    QTest::addColumn<bool>("endsAtOnce");
    QTest::newRow("released after the service answered") << false << false;
    QTest::newRow("released before the service answered") << true << false; // a quick finish
    // The finish box dismissed at once: the program ends before the answer.
    QTest::newRow("program ends right after the release") << false << true;
}

void TestScreenKeeper::inhibitsAndReleases()
{
    QFETCH(bool, beforeTheAnswer);
    QFETCH(bool, endsAtOnce);
    if (!busConnected())
        QSKIP("needs a session bus");
    FakeService fake;
    QVERIFY(fake.ready());
    {
        ScreenSaverKeeper keeper;
        keeper.keepAwake();
        keeper.keepAwake(); // asked once only
        if (!beforeTheAnswer) {
            QVERIFY(answered(keeper));
            QCOMPARE(keeper.cookie(), std::optional<uint>(42));
        }
        keeper.release();
        QVERIFY(!keeper.cookie());
        if (!endsAtOnce)
            QVERIFY(answered(keeper));
    }
    QCOMPARE(fake.calls(), (QStringList{"Inhibit slonk | " + Reason, "UnInhibit 42"}));
}

void TestScreenKeeper::noService()
{
    if (!busConnected())
        QSKIP("needs a session bus");
    ScreenSaverKeeper keeper;
    keeper.keepAwake();
    QVERIFY(answered(keeper));
    QVERIFY(!keeper.cookie());
    keeper.release();
}

void TestScreenKeeper::noSessionBus()
{
    if (busConnected())
        QSKIP("runs where there is no session bus");
    ScreenSaverKeeper keeper;
    keeper.keepAwake();
    QVERIFY(keeper.findChildren<QDBusPendingCallWatcher *>().isEmpty());
    keeper.release();
    QVERIFY(!keeper.cookie());
}

QTEST_GUILESS_MAIN(TestScreenKeeper)
#include "tst_screenkeeper.moc"
