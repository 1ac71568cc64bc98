// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "screenkeeper.h"

#include "realtime.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace slonk {
namespace {

const QString Request = QStringLiteral("Inhibit");
const QString Release = QStringLiteral("UnInhibit");
const QString Reason = QStringLiteral("A challenge is running: a cue comes every minute");
// How long the program's end waits, of real time, for the releases on both
// buses: its share of the end's budget. They go side by side, so the share
// is the longest of them, not their sum.
constexpr std::chrono::milliseconds EndWait{250};
// A late answer still counts: to a request, it is what lets go again.
constexpr int AnswerTimeoutMs = -1; // the bus's default

// The desktop runs no such service.
bool absent(const QDBusError &error)
{
    return error.type() == QDBusError::ServiceUnknown ||
           error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner");
}

} // namespace

IdleInhibitor::IdleInhibitor(QObject *parent)
    : QObject(parent), holds_{{{QStringLiteral("org.freedesktop.ScreenSaver"),
                                QStringLiteral("/org/freedesktop/ScreenSaver"),
                                QStringLiteral("org.freedesktop.ScreenSaver")},
                               {QStringLiteral("org.freedesktop.PowerManagement"),
                                QStringLiteral("/org/freedesktop/PowerManagement/Inhibit"),
                                QStringLiteral("org.freedesktop.PowerManagement.Inhibit")}}}
{
}

IdleInhibitor::~IdleInhibitor()
{
    release();
    logind_.end();
    // A service that never answers learns of the program's end anyway: its
    // connection closes.
    const auto releases = findChildren<QDBusPendingCallWatcher *>(Release);
    realtime::waitUntil(realtime::now() + EndWait, [this, &releases] {
        return logind_.ended() && std::all_of(releases.begin(), releases.end(),
                                              [](const auto *call) { return call->isFinished(); });
    });
}

void IdleInhibitor::keepAwake()
{
    // GNOME's session names the program holding it from this desktop id.
    QString who = QGuiApplication::desktopFileName();
    if (who.isEmpty())
        who = QCoreApplication::applicationName();
    if (!std::exchange(logindWanted_, true))
        logind_.take(who.toStdString(), Reason.toStdString());
    for (Hold &hold : holds_) {
        if (std::exchange(hold.wanted, true) || hold.asking || hold.held.isValid() ||
            !QDBusConnection::sessionBus().isConnected())
            continue;
        hold.asking = true;
        ask(hold, Request, {who, Reason});
    }
}

void IdleInhibitor::release()
{
    if (std::exchange(logindWanted_, false))
        logind_.release();
    for (Hold &hold : holds_) {
        hold.wanted = false;
        letGo(hold); // or, asked but not answered yet, once the answer comes
    }
}

std::optional<uint> IdleInhibitor::cookie() const
{
    const QVariant &held = holds_[0].held;
    return held.isValid() ? std::optional(held.toUInt()) : std::nullopt;
}

void IdleInhibitor::letGo(Hold &hold)
{
    const QVariant held = std::exchange(hold.held, {});
    if (held.isValid())
        ask(hold, Release, {held});
}

void IdleInhibitor::ask(Hold &hold, const QString &method, const QVariantList &arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(hold.service, hold.path, hold.interface, method);
    message.setArguments(arguments);
    // Starting a service the desktop does not run would change the desktop.
    message.setAutoStartService(false);
    auto *watcher = new QDBusPendingCallWatcher(
        QDBusConnection::sessionBus().asyncCall(message, AnswerTimeoutMs), this);
    watcher->setObjectName(method);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, &hold, watcher] {
        watcher->deleteLater();
        const QDBusError error = watcher->error();
        if (error.isValid() && !absent(error))
            std::fprintf(stderr, "slonk: %s.%s: %s (%s)\n", qPrintable(hold.interface),
                         qPrintable(watcher->objectName()), qPrintable(error.message()),
                         qPrintable(error.name()));
        if (watcher->objectName() != Request)
            return;
        hold.asking = false;
        if (!error.isValid())
            hold.held = watcher->reply().arguments().value(0);
        if (!hold.wanted) // released before the answer came
            letGo(hold);
    });
}

} // namespace slonk
