// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QObject>

class QWidget;
class QWindow;

namespace slonk {

// Keeps a fixed-size window alive where Qt draws the title bar itself (Wayland
// without server-side decorations). That title bar offers a maximise button to
// every window, and a compositor may maximise on request and then cut the client
// off when its frame keeps the fixed size (weston does). So the window yields
// its maximum size while the compositor holds it maximised, at once asks back
// for the normal state, and is fixed again when that arrives. Elsewhere the
// window manager draws the frame, honours the fixed size, and this stays idle.
class FixedFrame final : public QObject
{
public:
    // Watches window, a top-level whose minimum and maximum sizes are equal
    // whenever it is meant to be fixed; owned by it.
    explicit FixedFrame(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QWindow *handle);
    void onStateRequested(Qt::WindowState state);
    void fixAgain();
    void askBack();

    QWidget *window_;
    QWindow *watched_ = nullptr;
    bool yielding_ = false;            // the maximum size is lifted
    bool compositorMaximised_ = false; // the compositor applied the maximised state
    bool askedBack_ = false;           // the normal state is requested
};

} // namespace slonk
