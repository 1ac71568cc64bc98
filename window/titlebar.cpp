// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "titlebar.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

namespace slonk {

void chooseOwnTitleBar()
{
#ifdef SLONK_TITLEBAR_FILE
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
        !qEnvironmentVariableIsEmpty("QT_WAYLAND_DECORATION"))
        return;
    // It is built on Qt's own interface for title bars, which holds only for
    // the Qt it was built with.
    if (qstrcmp(qVersion(), QT_VERSION_STR) != 0)
        return;
    // Where the program is installed or built, beside its own folder: never
    // among Qt's plugins, where every other Qt program would find it.
    const QString plugins =
        QCoreApplication::applicationDirPath() + QLatin1String("/" SLONK_PLUGIN_DIR);
    if (!QFileInfo::exists(plugins +
                           QLatin1String("/wayland-decoration-client/" SLONK_TITLEBAR_FILE)))
        return;
    QCoreApplication::addLibraryPath(plugins);
    qputenv("QT_WAYLAND_DECORATION", "slonk");
#endif
}

} // namespace slonk
