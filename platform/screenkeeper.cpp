#include "screenkeeper.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace slonk {
namespace {

const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Path = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString Interface = QStringLiteral("org.freedesktop.ScreenSaver");
constexpr int ReleaseTimeoutMs = 250;

} // namespace

ScreenSaverKeeper::~ScreenSaverKeeper()
{
    release();
}

void ScreenSaverKeeper::keepAwake()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (wanted_ || !bus.isConnected())
        return;
    wanted_ = true;
    QDBusMessage inhibit =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Inhibit"));
    inhibit << QCoreApplication::applicationName()
            << QStringLiteral("A challenge is running: a cue comes every minute");
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(inhibit), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError())
            return;
        cookie_ = reply.value();
        if (!wanted_) // released before the answer came
            release();
    });
}

void ScreenSaverKeeper::release()
{
    wanted_ = false;
    if (!cookie_)
        return;
    QDBusMessage uninhibit =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("UnInhibit"));
    uninhibit << *cookie_;
    cookie_.reset();
    // Waits for the answer, briefly: this runs as the program ends, and a
    // message merely queued might never leave.
    QDBusConnection::sessionBus().call(uninhibit, QDBus::Block, ReleaseTimeoutMs);
}

} // namespace slonk
