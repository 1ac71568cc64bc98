// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "appdirectory.h"

#include <QCoreApplication>

namespace slonk {

QString applicationDirectory()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace slonk
