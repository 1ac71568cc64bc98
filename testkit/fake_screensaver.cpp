// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// A stand-in for the desktop's screensaver service on a private session bus:
// it answers Inhibit and UnInhibit as the real one does, and tells the test
// every call it got. With --slow-release MS it takes that long to answer
// UnInhibit, as a busy desktop may.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <cstdio>

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        calls_ << QStringLiteral("Inhibit %1 | %2").arg(application, reason);
        return ++lastCookie_;
    }
    void UnInhibit(uint cookie)
    {
        calls_ << QStringLiteral("UnInhibit %1").arg(cookie);
        QThread::msleep(slowReleaseMs);
    }
    QStringList Calls() const { return calls_; }

public:
    unsigned long slowReleaseMs = 0;

private:
    QStringList calls_;
    uint lastCookie_ = 41;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    FakeScreenSaver service;
    const QStringList args = QCoreApplication::arguments();
    if (const auto at = args.indexOf(QStringLiteral("--slow-release")); at > 0)
        service.slowReleaseMs = args.value(at + 1).toULong();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &service,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fputs("fake_screensaver: cannot register on the session bus\n", stderr);
        return 1;
    }
    return QCoreApplication::exec();
}

#include "fake_screensaver.moc"
