// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// The window's title bar on Wayland where the compositor leaves it to the
// program (GNOME, weston): the title and a close button, as the design's fixed
// dialog frame has, no minimise or maximise button and no icon. Qt's own title
// bar offers minimise and maximise to every window, whatever its flags. Qt
// loads this as a decoration plugin and paints it into the window's buffer at
// the output's scale, so it is as sharp as the window on a HiDPI screen.

#ifdef SLONK_QT_PRIVATE_HEADERS
#include <QtWaylandClient/private/qwaylandabstractdecoration_p.h>
#include <QtWaylandClient/private/qwaylanddecorationplugin_p.h>
#else
#include "qt64decoration.h"
#endif

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QWindow>

namespace slonk {
namespace {

using QtWaylandClient::QWaylandAbstractDecoration;
using QtWaylandClient::QWaylandInputDevice;

constexpr int Border = 1;     // around the window, in logical pixels
constexpr int BarHeight = 30; // the title bar, its top border included
constexpr qreal ButtonSize = 24;
constexpr qreal ButtonMargin = (BarHeight - ButtonSize) / 2;

// Light and quiet, as the window's own colours are; the text fades when the
// window is not the active one.
constexpr QColor BarColour(0xe8, 0xe8, 0xe7);
constexpr QColor BorderColour(0xa8, 0xa8, 0xa6);
constexpr QColor SeparatorColour(0xd0, 0xd0, 0xce);
constexpr QColor TextColour(0x2e, 0x34, 0x36);
constexpr QColor InactiveTextColour(0x91, 0x94, 0x94);

class TitleBar final : public QWaylandAbstractDecoration
{
public:
    QMargins margins(MarginsType type) const override
    {
        // No shadow: everything drawn is the window's frame.
        return type == ShadowsOnly ? QMargins() : QMargins(Border, BarHeight, Border, Border);
    }

    bool handleMouse(QWaylandInputDevice *input, const QPointF &local, const QPointF &,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers) override
    {
        const bool inBar = local.y() < BarHeight;
        if (inBar && !closeButton().contains(local) && !closing_)
            startMove(input, buttons); // on a left press: the compositor drags it
        if (isLeftClicked(buttons)) {
            closing_ = closeButton().contains(local);
        } else if (isLeftReleased(buttons)) {
            if (closing_ && closeButton().contains(local))
                close();
            closing_ = false;
        }
        setMouseButtons(buttons);
        // Inside the borders the pointer is the window's; the frame takes the rest.
        return !content().contains(local);
    }

    bool handleTouch(QWaylandInputDevice *input, const QPointF &local, const QPointF &,
                     QEventPoint::State state, Qt::KeyboardModifiers) override
    {
        if (content().contains(local))
            return false;
        if (state == QEventPoint::Pressed && local.y() < BarHeight) {
            if (closeButton().contains(local))
                close();
            else
                startMove(input, Qt::LeftButton);
        }
        return true;
    }

protected:
    void paint(QPaintDevice *device) override
    {
        // The device is at the buffer's scale: drawing in logical pixels keeps
        // lines and text sharp at any whole scale.
        if (!watching_) {
            // Drawn again with the window's next frame (its focused box
            // redraws on every change of activation).
            connect(window(), &QWindow::activeChanged, this, [this] { update(); });
            watching_ = true;
        }
        frameSize_ = QSizeF(device->width(), device->height()) / device->devicePixelRatioF();
        const QRectF frame(QPointF(), frameSize_);
        QPainter painter(device);
        painter.fillRect(frame, BorderColour);
        // The bar, and a fainter line below it.
        const qreal inner = frame.width() - 2 * Border;
        painter.fillRect(QRectF(Border, Border, inner, BarHeight - 2 * Border), BarColour);
        painter.fillRect(QRectF(Border, BarHeight - Border, inner, Border), SeparatorColour);

        const bool active = window()->isActive();
        const QColor ink = active ? TextColour : InactiveTextColour;
        QFont font = QGuiApplication::font();
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(ink);
        // Centred on the window, clear of the close button on either side.
        const qreal side = ButtonSize + 2 * ButtonMargin;
        const QRectF titleRoom(side, Border, frame.width() - 2 * side, BarHeight - 2 * Border);
        const QString title =
            QFontMetricsF(font).elidedText(window()->title(), Qt::ElideRight, titleRoom.width());
        painter.drawText(titleRoom, Qt::AlignCenter | Qt::TextSingleLine, title);

        // The close button: a cross of two strokes.
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(ink, 1.5);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        const QRectF cross =
            QRectF(0, 0, 9, 9).translated(closeButton().center() - QPointF(4.5, 4.5));
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.topRight(), cross.bottomLeft());
    }

private:
    QRectF content() const
    {
        return QRectF(Border, BarHeight, frameSize_.width() - 2 * Border,
                      frameSize_.height() - BarHeight - Border);
    }

    QRectF closeButton() const
    {
        return QRectF(frameSize_.width() - Border - ButtonMargin - ButtonSize,
                      Border + (BarHeight - Border - ButtonSize) / 2, ButtonSize, ButtonSize);
    }

    // As the compositor's close would: the window's close event, once this
    // input event is done with.
    void close()
    {
        QMetaObject::invokeMethod(
            window(), [window = window()] { window->close(); }, Qt::QueuedConnection);
    }

    QSizeF frameSize_;      // as last painted: the surface, in its logical pixels
    bool closing_ = false;  // pressed on the close button, not yet released
    bool watching_ = false; // for the window's activation
};

} // namespace

class TitleBarPlugin final : public QtWaylandClient::QWaylandDecorationPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QWaylandDecorationFactoryInterface_iid FILE "waylandtitlebar.json")

public:
    QWaylandAbstractDecoration *create(const QString &, const QStringList &) override
    {
        return new TitleBar; // the Wayland window owns its decoration
    }
};

} // namespace slonk

#include "waylandtitlebar.moc"
