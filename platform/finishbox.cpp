// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "finishbox.h"

#include "attention.h"

#include <QMessageBox>
#include <QWindow>

namespace slonk {

namespace {

// A window manager hides a dialog with the minimised window it belongs to
// (KWin even minimises one mapped later, a dialog of the window's group
// too), so the box belongs to the window only while the window is on screen.
bool onScreen(const QWidget *window)
{
    return !(window->windowState() & Qt::WindowMinimized) && window->windowHandle() != nullptr &&
           window->windowHandle()->isExposed();
}

} // namespace

void MessageFinishBox::show(QWidget *parent)
{
    const Attention attention(parent);
    const bool ownsBox = onScreen(parent->window());
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Slonk!"),
                    QStringLiteral("You've finished! Well done!"), QMessageBox::Ok,
                    ownsBox ? parent : nullptr);
    // Otherwise a window of its own, centred on the screen, in the taskbar
    // beside the window that asks for attention.
    if (!ownsBox)
        box.setWindowFlags((box.windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
    // Text a click could select takes focus like a field, and a screen reader
    // then reads it only when it is focused (Orca 51 on Qt 6.11 never did):
    // plain text is read with the box.
    box.setTextInteractionFlags(Qt::NoTextInteraction);
    box.exec();
}

} // namespace slonk
