// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "finishbox.h"

#include <QMessageBox>

namespace slonk {

void MessageFinishBox::show(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Slonk!"),
                    QStringLiteral("You've finished! Well done!"), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace slonk
