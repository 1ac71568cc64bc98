// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "finishbox.h"

#include <QMessageBox>

namespace slonk {

void MessageFinishBox::show(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Slonk!"),
                    QStringLiteral("You've finished! Well done!"), QMessageBox::Ok, parent);
    // Text a click could select takes focus like a field, and a screen reader
    // then reads it only when it is focused (Orca 51 on Qt 6.11 never did):
    // plain text is read with the box.
    box.setTextInteractionFlags(Qt::NoTextInteraction);
    box.exec();
}

} // namespace slonk
