// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "fixedframe.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace slonk {

FixedFrame::FixedFrame(QWidget *window) : QObject(window), window_(window)
{
    // The native window exists only once the widget is created (at show).
    window_->installEventFilter(this);
    if (window_->windowHandle())
        watch(window_->windowHandle());
}

void FixedFrame::watch(QWindow *handle)
{
    if (handle == watched_)
        return;
    watched_ = handle;
    handle->installEventFilter(this);
    connect(handle, &QWindow::windowStateChanged, this, &FixedFrame::onStateRequested);
}

// Runs as the request leaves, before the compositor has answered: the only
// moment the frame can still let go of its size in time for that answer.
void FixedFrame::onStateRequested(Qt::WindowState state)
{
    const bool large = state == Qt::WindowMaximized || state == Qt::WindowFullScreen;
    if (large && !yielding_ && window_->minimumSize() == window_->maximumSize()) {
        yielding_ = true;
        window_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else if (state == Qt::WindowNoState && yielding_ && !compositorMaximised_) {
        fixAgain(); // the compositor never took it up
    }
}

void FixedFrame::fixAgain()
{
    yielding_ = false;
    compositorMaximised_ = false;
    askedBack_ = false;
    window_->setMaximumSize(window_->minimumSize());
}

// Asked back only once the large frame is shown: a compositor takes the
// request against the state it shows, not the one it offered.
void FixedFrame::askBack()
{
    if (askedBack_)
        return;
    askedBack_ = true;
    QMetaObject::invokeMethod(
        this, [this] { watched_->setWindowStates(Qt::WindowNoState); }, Qt::QueuedConnection);
}

bool FixedFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window_ && event->type() == QEvent::WinIdChange && window_->windowHandle()) {
        watch(window_->windowHandle());
    } else if (watched == watched_ && yielding_) {
        if (event->type() == QEvent::WindowStateChange && event->spontaneous()) {
            // A spontaneous change is the compositor's answer. Qt 6.11 tells
            // it after the large frame is already shown, earlier Qt before.
            if (watched_->windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
                compositorMaximised_ = true;
                if (watched_->isExposed() && watched_->size() != window_->minimumSize())
                    askBack();
            } else {
                fixAgain();
            }
        } else if (event->type() == QEvent::Expose && compositorMaximised_) {
            askBack();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace slonk
