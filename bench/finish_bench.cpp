// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Time from the finishing tick to the finish box, with the real screensaver
// keeper talking to a stand-in desktop service on a private session bus, once
// answering at once and once answering the release late. Offscreen; the box
// itself is a stand-in that notes when it is asked to show.
// Usage: dbus-run-session -- finish_bench FAKE_SCREENSAVER
#include "rig.h"
#include "screenkeeper.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Runs the event loop until done() holds, for five seconds at most.
template<typename Done> bool waitFor(Done done)
{
    const QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// The finish box that only notes how long after the finishing tick it came.
struct TimedBox final : slonk::FinishBox
{
    QElapsedTimer *sinceTick = nullptr;
    qint64 shownAfterNs = -1;
    void show(QWidget *) override { shownAfterNs = sinceTick->nsecsElapsed(); }
};

double finishMillis(QElapsedTimer &sinceTick)
{
    slonk::fakes::Clock clock;
    slonk::fakes::Alarm alarm;
    slonk::fakes::CueSound sound;
    TimedBox box;
    box.sinceTick = &sinceTick;
    slonk::fakes::ProgramEnd end;
    slonk::IdleInhibitor keeper;
    slonk::FrmDrunk window({clock, alarm, sound, box, end, keeper});
    const double start = clock.reading;
    window.onStartClick();
    if (!waitFor([&] { return keeper.cookie().has_value(); }))
        std::fputs("the stand-in service never answered Inhibit\n", stderr);
    clock.reading = start + 5940.05;
    sinceTick.start();
    window.onTickTimer();
    return box.shownAfterNs / 1e6;
}

void measure(const char *service, const QStringList &arguments, const char *what)
{
    QProcess fake;
    fake.start(QString::fromLocal8Bit(service), arguments);
    const auto ScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
    if (!waitFor([&] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(ScreenSaver);
        }))
        std::fputs("the stand-in service never came up\n", stderr);
    std::vector<double> millis;
    QElapsedTimer sinceTick;
    for (int run = 0; run < 15; ++run)
        millis.push_back(finishMillis(sinceTick));
    std::sort(millis.begin(), millis.end());
    std::printf("finishing tick to the finish box, %s: median %.3f ms, min %.3f, max %.3f "
                "(%zu runs)\n",
                what, millis[millis.size() / 2], millis.front(), millis.back(), millis.size());
    fake.kill();
    fake.waitForFinished();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2 || !QDBusConnection::sessionBus().isConnected()) {
        std::fputs("usage: dbus-run-session -- finish_bench FAKE_SCREENSAVER\n", stderr);
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("slonk"));
    measure(argv[1], {}, "desktop answering at once");
    measure(argv[1], {QStringLiteral("--slow-release"), QStringLiteral("1000")},
            "desktop answering the release after 1 s");
    return 0;
}
