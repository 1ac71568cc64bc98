// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "screenkeeper.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <memory>

using slonk::IdleInhibitor;

namespace {

const QString Who = QStringLiteral("app.slonk.Slonk");
const QString Reason = QStringLiteral("A challenge is running: a cue comes every minute");

// A desktop service, played by testkit/fake_screensaver, and the calls it
// should see: the request, then its release.
struct Service
{
    QString option;
    bool system;
    QString name;
    QString path;
    QStringList calls;
};

const QStringList ByCookie{"Inhibit ss " + Who + " | " + Reason, "UnInhibit u 42"};
// Idleness alone, blocked; held by a descriptor until the program closes it.
const QStringList ByDescriptor{"Inhibit ssss idle | " + Who + " | " + Reason + " | block",
                               "closed"};
const Service Services[] = {
    {{}, false, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", ByCookie},
    {"--power-management", false, "org.freedesktop.PowerManagement",
     "/org/freedesktop/PowerManagement/Inhibit", ByCookie},
    {"--login1", true, "org.freedesktop.login1", "/org/freedesktop/login1", ByDescriptor}};

QDBusConnection busOf(const Service &service)
{
    return service.system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

bool busesConnected()
{
    return QDBusConnection::sessionBus().isConnected() &&
           QDBusConnection::systemBus().isConnected();
}

// The stand-in in its own process, as the desktop's service would be.
struct StandIn
{
    const Service &service;
    QProcess process;
    StandIn(const Service &service, QStringList options) : service(service)
    {
        if (!service.option.isEmpty())
            options << service.option;
        process.start(QStringLiteral(FAKE_SCREENSAVER), options);
    }
    ~StandIn()
    {
        process.kill();
        process.waitForFinished();
    }
    bool ready()
    {
        return QTest::qWaitFor(
            [&] { return busOf(service).interface()->isServiceRegistered(service.name); }, 5000);
    }
    QStringList calls()
    {
        const QDBusMessage call =
            QDBusMessage::createMethodCall(service.name, service.path, {}, "Calls");
        return busOf(service).call(call).arguments().value(0).toStringList();
    }
    // The first `count` of the calls the service should see, and no more.
    bool saw(qsizetype count)
    {
        return QTest::qWaitFor([&] { return calls() == service.calls.first(count); }, 5000);
    }
};

// All three services, each with the same options.
std::vector<std::unique_ptr<StandIn>> standIns(const QStringList &options = {})
{
    std::vector<std::unique_ptr<StandIn>> all;
    for (const Service &service : Services) {
        all.push_back(std::make_unique<StandIn>(service, options));
        if (!all.back()->ready())
            qWarning("%s never came up", qPrintable(service.name));
    }
    return all;
}

// The keeper's requests have had their answers, whatever they were.
bool answered(const IdleInhibitor &keeper)
{
    return QTest::qWaitFor(
        [&] { return keeper.findChildren<QDBusPendingCallWatcher *>().isEmpty(); }, 5000);
}

enum class Moment
{
    Finish,
    BeforeTheAnswer,
    Close
};

} // namespace

// Run by CTest without any bus, on private buses with the stand-ins (through
// testkit/buses.sh), and there once more against Xfce's power manager.
class TestScreenKeeper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QGuiApplication::setDesktopFileName(Who); }
    void holdsUntilLetGo_data();
    void holdsUntilLetGo();
    void exitStaysBounded_data();
    void exitStaysBounded();
    void noServices();
    void xfcePowerManager_data();
    void xfcePowerManager();
};

void TestScreenKeeper::holdsUntilLetGo_data()
{
    QTest::addColumn<Moment>("moment");
    QTest::newRow("let go at the finish") << Moment::Finish;
    QTest::newRow("let go before the answers came") << Moment::BeforeTheAnswer; // a quick finish
    QTest::newRow("let go at the close") << Moment::Close;
}

void TestScreenKeeper::holdsUntilLetGo()
{
    QFETCH(Moment, moment);
    if (!busesConnected())
        QSKIP("needs the buses");
    const auto services = standIns();
    auto keeper = std::make_unique<IdleInhibitor>();
    keeper->keepAwake();
    keeper->keepAwake(); // asked once only
    if (moment != Moment::BeforeTheAnswer) {
        QVERIFY(answered(*keeper));
        QCOMPARE(keeper->cookie(), std::optional<uint>(42));
        for (const auto &service : services)
            QVERIFY2(service->saw(1), qPrintable(service->calls().join('\n')));
    }
    if (moment == Moment::Close)
        keeper.reset();
    else
        keeper->release();
    for (const auto &service : services)
        QVERIFY2(service->saw(2), qPrintable(service->calls().join('\n')));
    if (keeper)
        QVERIFY(!keeper->cookie());
}

void TestScreenKeeper::exitStaysBounded_data()
{
    QTest::addColumn<QString>("unanswered");
    QTest::addColumn<qsizetype>("sent");
    QTest::newRow("requests never answered") << QStringLiteral("Inhibit") << qsizetype(1);
    QTest::newRow("releases never answered") << QStringLiteral("UnInhibit") << qsizetype(2);
}

void TestScreenKeeper::exitStaysBounded()
{
    QFETCH(QString, unanswered);
    QFETCH(qsizetype, sent);
    if (!busesConnected())
        QSKIP("needs the buses");
    const auto services = standIns({QStringLiteral("--never-answer"), unanswered});
    auto keeper = std::make_unique<IdleInhibitor>();
    keeper->keepAwake();
    for (const auto &service : services)
        QVERIFY(service->saw(1));
    if (unanswered == QLatin1String("UnInhibit"))
        QVERIFY(answered(*keeper));
    QElapsedTimer ending;
    ending.start();
    keeper.reset();
    const qint64 endedMs = ending.elapsed();
    qInfo("the keeper ended in %lld ms", endedMs);
    // Far from the bus's 25 s: what a wait for an answer would take.
    QVERIFY2(endedMs < 5000, qPrintable(QString::number(endedMs)));
    for (const auto &service : services)
        QVERIFY(service->saw(sent));
}

// Nobody to ask, with or without buses: nothing held, and the program runs on.
void TestScreenKeeper::noServices()
{
    IdleInhibitor keeper;
    keeper.keepAwake();
    QVERIFY(answered(keeper));
    QVERIFY(!keeper.cookie());
    keeper.release();
}

void TestScreenKeeper::xfcePowerManager_data()
{
    QTest::addColumn<Moment>("moment");
    QTest::newRow("let go at the finish") << Moment::Finish;
    QTest::newRow("let go at the close") << Moment::Close;
}

// Who xfce4-power-manager itself says inhibits its idle suspend and
// blanking. Another inhibitor stays throughout: Debian 12's 4.18.1 crashes
// when its last one goes on a display without DPMS such as Xvfb's (fixed in
// 4.18.2).
void TestScreenKeeper::xfcePowerManager()
{
    QFETCH(Moment, moment);
    const QString name = QStringLiteral("org.freedesktop.PowerManagement");
    if (!QDBusConnection::sessionBus().interface()->isServiceRegistered(name))
        QSKIP("needs xfce4-power-manager");
    const auto ask = [&](const char *method, const QVariantList &arguments = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(name, "/org/freedesktop/PowerManagement/Inhibit",
                                           "org.freedesktop.PowerManagement.Inhibit", method);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call).arguments().value(0);
    };
    const QStringList inhibitors{"the test"};
    if (ask("GetInhibitors").toStringList() != inhibitors)
        ask("Inhibit", {"the test", "xfce4-power-manager 4.18.1 on Xvfb"});
    auto keeper = std::make_unique<IdleInhibitor>();
    keeper->keepAwake();
    QVERIFY(QTest::qWaitFor(
        [&] { return ask("GetInhibitors").toStringList() == inhibitors + QStringList{Who}; },
        5000));
    QVERIFY(answered(*keeper));
    if (moment == Moment::Close)
        keeper.reset();
    else
        keeper->release();
    QVERIFY(
        QTest::qWaitFor([&] { return ask("GetInhibitors").toStringList() == inhibitors; }, 5000));
}

QTEST_GUILESS_MAIN(TestScreenKeeper)
#include "tst_screenkeeper.moc"
