// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "logindlock.h"
#include "platform.h"

#include <QObject>
#include <QVariant>
#include <array>
#include <optional>

namespace slonk {

// Keeps the session awake through every way the running desktop honours:
// its screensaver service (GNOME, Plasma; on Xfce only the X screensaver),
// the power manager's inhibitor (Xfce's idle suspend) and logind's idle
// inhibitor (sway and the other desktops that leave idleness to logind).
// Only services already running are asked, each asynchronously; a missing
// one is passed over in silence, any other failure is one line on standard
// error, and the program runs on. Never a lock on sleep or shutdown: a
// chosen suspend or a closed lid still works. The destructor, as the
// program ends, lets go of everything and waits at most 250 ms of real time
// for the releases on both buses together; a request still unanswered holds
// nothing up.
class IdleInhibitor final : public QObject, public ScreenKeeper
{
    Q_OBJECT
public:
    explicit IdleInhibitor(QObject *parent = nullptr);
    ~IdleInhibitor() override;
    void keepAwake() override;
    void release() override;

    // The screensaver service's cookie while it keeps the screen awake.
    std::optional<uint> cookie() const;

private:
    // One way of keeping awake on the session bus: a request that takes a
    // hold, answered with the cookie that lets go of it again.
    struct Hold
    {
        QString service;
        QString path;
        QString interface;
        // Ask once: neither again while asking nor while held.
        bool wanted = false;
        bool asking = false;
        QVariant held{}; // the cookie
    };

    void ask(Hold &hold, const QString &method, const QVariantList &arguments);
    void letGo(Hold &hold);

    std::array<Hold, 2> holds_;
    LogindIdleLock logind_; // on the system bus, away from the window's thread
    bool logindWanted_ = false;
};

} // namespace slonk
