// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "programend.h"

#include <QCoreApplication>

namespace slonk {

void EventLoopEnd::end()
{
    QCoreApplication::exit(0);
}

} // namespace slonk
