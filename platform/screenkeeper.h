// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

#include <QObject>
#include <optional>

namespace slonk {

// Asks the session's org.freedesktop.ScreenSaver service. Without a session bus
// or without the service, the request simply goes unanswered and the program
// runs on; nothing here blocks the user interface. Only the destructor, as the
// program ends, waits briefly for a release still on its way, or it might
// never leave.
class ScreenSaverKeeper final : public QObject, public ScreenKeeper
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ScreenSaverKeeper() override;
    void keepAwake() override;
    void release() override;

    // The service's cookie while the screen is kept awake.
    std::optional<uint> cookie() const { return cookie_; }

private:
    void call(const QString &method, const QVariantList &arguments, int timeoutMs);

    std::optional<uint> cookie_;
    bool wanted_ = false;
};

} // namespace slonk
