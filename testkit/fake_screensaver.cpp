// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// A stand-in for a desktop service that keeps the session awake, on a private
// bus: by default org.freedesktop.ScreenSaver; with --power-management
// xfce4-power-manager's org.freedesktop.PowerManagement; with --login1 logind
// on the system bus, which answers Inhibit with one end of a pipe and notes
// when the program closes it, as logind does with its inhibitor's FIFO. It
// answers as the real ones do and tells the test every call it got, with its
// signature and arguments (Calls). With --slow-release MS it takes that long
// to answer UnInhibit, as a busy desktop may; with --never-answer METHOD it
// leaves that method unanswered.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <unistd.h>

class StandIn final : public QDBusVirtualObject
{
public:
    bool login1 = false;
    unsigned long slowReleaseMs = 0;
    QString neverAnswer;

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QString member = message.member();
        if (member == QLatin1String("Calls")) {
            noteClosed(); // a close that came before the question is in the answer
            return connection.send(message.createReply(calls_));
        }
        QStringList arguments;
        for (const QVariant &argument : message.arguments())
            arguments << argument.toString();
        calls_ << member + u' ' + message.signature() + u' ' + arguments.join(QLatin1String(" | "));
        if (member == neverAnswer)
            return true;
        if (member == QLatin1String("UnInhibit")) {
            QThread::msleep(slowReleaseMs);
            return connection.send(message.createReply());
        }
        if (member == QLatin1String("Inhibit"))
            return connection.send(message.createReply(login1 ? descriptor() : ++lastCookie_));
        return false;
    }

private:
    // The program's end of a pipe; ours sees it close.
    QVariant descriptor()
    {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return {};
        held_ = ends[0];
        watch_ = std::make_unique<QSocketNotifier>(held_, QSocketNotifier::Read);
        QObject::connect(watch_.get(), &QSocketNotifier::activated, watch_.get(),
                         [this] { noteClosed(); });
        const QDBusUnixFileDescriptor theirs(ends[1]); // a copy, sent with the answer
        close(ends[1]);
        return QVariant::fromValue(theirs);
    }

    void noteClosed()
    {
        pollfd end{held_, POLLIN, 0};
        if (held_ < 0 || poll(&end, 1, 0) != 1 || !(end.revents & POLLHUP))
            return;
        watch_.reset();
        close(held_);
        held_ = -1;
        calls_ << QStringLiteral("closed");
    }

    QStringList calls_;
    uint lastCookie_ = 41;
    int held_ = -1;
    std::unique_ptr<QSocketNotifier> watch_;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    StandIn service;
    const QStringList args = QCoreApplication::arguments();
    if (const auto at = args.indexOf(QStringLiteral("--slow-release")); at > 0)
        service.slowReleaseMs = args.value(at + 1).toULong();
    if (const auto at = args.indexOf(QStringLiteral("--never-answer")); at > 0)
        service.neverAnswer = args.value(at + 1);
    QString name = QStringLiteral("org.freedesktop.ScreenSaver");
    QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (args.contains(QStringLiteral("--power-management"))) {
        name = QStringLiteral("org.freedesktop.PowerManagement");
        path = QStringLiteral("/org/freedesktop/PowerManagement/Inhibit");
    } else if (args.contains(QStringLiteral("--login1"))) {
        service.login1 = true;
        name = QStringLiteral("org.freedesktop.login1");
        path = QStringLiteral("/org/freedesktop/login1");
        bus = QDBusConnection::systemBus();
    }
    if (!bus.registerVirtualObject(path, &service) || !bus.registerService(name)) {
        std::fprintf(stderr, "fake_screensaver: cannot register %s\n", qPrintable(name));
        return 1;
    }
    return QCoreApplication::exec();
}
