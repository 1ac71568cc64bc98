// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cursorrest.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace slonk {

CursorRest::CursorRest(QWidget *box, QObject *parent)
    : QObject(parent), box_(box), countdown_(new QTimer(this))
{
    countdown_->setObjectName(QStringLiteral("cursorRest"));
    countdown_->setSingleShot(true);
    countdown_->setInterval(RestMilliseconds);
    connect(countdown_, &QTimer::timeout, this, &CursorRest::rest);
    // Installed after the box's other filters, so it is asked first and also
    // sees the keys they swallow: a refused key is input all the same.
    box_->installEventFilter(this);
    countdown_->start();
}

CursorRest::~CursorRest()
{
    wake();
}

void CursorRest::stop()
{
    box_->removeEventFilter(this);
    wake();
    countdown_->stop();
}

bool CursorRest::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::FocusIn:
        wake();
        countdown_->start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void CursorRest::rest()
{
    if (desktopFlashTime_)
        return;
    desktopFlashTime_ = QApplication::cursorFlashTime();
    // With no flash time Qt's text boxes stop their blink timer and draw the
    // cursor solid.
    QApplication::setCursorFlashTime(0);
}

void CursorRest::wake()
{
    if (!desktopFlashTime_)
        return;
    QApplication::setCursorFlashTime(*desktopFlashTime_);
    desktopFlashTime_.reset();
}

} // namespace slonk
