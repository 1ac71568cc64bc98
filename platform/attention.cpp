// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "attention.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace slonk {

namespace {

constexpr uint32_t urgencyHint = 1U << 8; // ICCCM 4.1.2.4, XUrgencyHint

// Sets or clears the urgency flag of the window's WM_HINTS, keeping every
// other hint Qt wrote there (Qt reads and rewrites them the same way). False
// where the display is not X11.
bool setUrgency(QWindow *window, bool urgent)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr)
        return false;
    xcb_connection_t *connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    // flags, input, initial state, icon pixmap, window, x, y, mask, window group
    std::array<uint32_t, 9> hints{};
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS,
                                                XCB_ATOM_WM_HINTS, 0, hints.size()),
                               nullptr),
        &std::free);
    if (reply && reply->format == 32) {
        const auto bytes =
            std::min(static_cast<size_t>(xcb_get_property_value_length(reply.get())), sizeof hints);
        std::memcpy(hints.data(), xcb_get_property_value(reply.get()), bytes);
    }
    hints[0] = urgent ? hints[0] | urgencyHint : hints[0] & ~urgencyHint;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, hints.size(), hints.data());
    xcb_flush(connection);
    return true;
}

} // namespace

Attention::Attention(QWidget *widget)
{
    QWidget *top = widget->window();
    if (top->isActiveWindow() && !(top->windowState() & Qt::WindowMinimized))
        return;
    window_ = top->windowHandle();
    if (window_ == nullptr)
        return;
    // Qt's own way, which Qt withdraws when the window is activated:
    // _NET_WM_STATE_DEMANDS_ATTENTION on X11, and from Qt 6.5 on Wayland an
    // xdg-activation request, which a compositor that will not give the
    // focus turns into a call for attention.
    QApplication::alert(top);
    // The ICCCM urgency hint Qt's X11 alert leaves out: many window managers
    // and panels (i3, xmonad, tint2 among them) read only that.
    urgent_ = setUrgency(window_, true);
    if (urgent_)
        activated_ = QObject::connect(window_, &QWindow::activeChanged, window_, [this] {
            if (window_->isActive())
                withdraw();
        });
}

Attention::~Attention()
{
    withdraw();
}

// ICCCM leaves clearing the hint to the program, once the person has come.
void Attention::withdraw()
{
    QObject::disconnect(activated_);
    if (urgent_ && window_ != nullptr)
        setUrgency(window_, false);
    urgent_ = false;
}

} // namespace slonk
