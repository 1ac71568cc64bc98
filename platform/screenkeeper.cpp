// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

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
// How long the program's end waits for a release still on its way.
constexpr int ReleaseTimeoutMs = 250;
// A late Inhibit answer still counts: its cookie is what lets the screen go.
constexpr int InhibitTimeoutMs = -1; // the bus's default

} // namespace

ScreenSaverKeeper::~ScreenSaverKeeper()
{
    release();
    for (auto *pending : findChildren<QDBusPendingCallWatcher *>())
        pending->waitForFinished();
}

void ScreenSaverKeeper::keepAwake()
{
    if (wanted_ || !QDBusConnection::sessionBus().isConnected())
        return;
    wanted_ = true;
    call(QStringLiteral("Inhibit"),
         {QCoreApplication::applicationName(),
          QStringLiteral("A challenge is running: a cue comes every minute")},
         InhibitTimeoutMs);
}

void ScreenSaverKeeper::release()
{
    wanted_ = false;
    if (!cookie_)
        return; // or, asked but not answered yet, released once the answer comes
    const uint cookie = *cookie_;
    cookie_.reset();
    call(QStringLiteral("UnInhibit"), {cookie}, ReleaseTimeoutMs);
}

void ScreenSaverKeeper::call(const QString &method, const QVariantList &arguments, int timeoutMs)
{
    QDBusMessage message = QDBusMessage::createMethodCall(Service, Path, Interface, method);
    message.setArguments(arguments);
    const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(message, timeoutMs);
    auto *watcher = new QDBusPendingCallWatcher(pending, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<uint> reply = *watcher;
        if (reply.isError() || reply.count() == 0)
            return; // no service, or the answer to UnInhibit, which carries nothing
        cookie_ = reply.value();
        if (!wanted_) // released before the answer came
            release();
    });
}

} // namespace slonk
