// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QMetaObject>
#include <QPointer>
#include <QWindow>

class QWidget;

namespace slonk {

// Asks the desktop to draw the person back to a window they are not looking
// at (minimised, or another window has the focus), for as long as this
// lives or until the window is activated. Nothing is raised or restored:
// where to take the person is the desktop's decision.
class Attention final
{
public:
    explicit Attention(QWidget *widget);
    ~Attention();
    Attention(const Attention &) = delete;
    Attention &operator=(const Attention &) = delete;

private:
    void withdraw();

    QPointer<QWindow> window_;
    QMetaObject::Connection activated_;
    bool urgent_ = false;
};

} // namespace slonk
