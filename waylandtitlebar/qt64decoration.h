// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

// Qt 6.4's interface for a title bar drawn by a Qt program on Wayland, as its
// library exports it. It is not public, and Debian 12 ships no header for it,
// so these are the declarations of Qt 6.4.2, just as far as the title bar uses
// them, the virtual functions in Qt's own order. Where the release ships Qt's
// private headers they are used instead.

#include <QEventPoint>
#include <QMargins>
#include <QObject>
#include <QPointF>
#include <QtWaylandClient/qtwaylandclientglobal.h>

class QPaintDevice;
class QWindow;

namespace QtWaylandClient {

class QWaylandInputDevice;
class QWaylandWindow;

class Q_WAYLANDCLIENT_EXPORT QWaylandAbstractDecoration : public QObject
{
    Q_OBJECT
public:
    enum MarginsType
    {
        Full,
        ShadowsExcluded,
        ShadowsOnly
    };

    QWaylandAbstractDecoration();
    ~QWaylandAbstractDecoration() override;

    void update();

    virtual QMargins margins(MarginsType marginsType = Full) const = 0;
    QWindow *window() const;
    virtual bool handleMouse(QWaylandInputDevice *inputDevice, const QPointF &local,
                             const QPointF &global, Qt::MouseButtons b,
                             Qt::KeyboardModifiers mods) = 0;
    virtual bool handleTouch(QWaylandInputDevice *inputDevice, const QPointF &local,
                             const QPointF &global, QEventPoint::State state,
                             Qt::KeyboardModifiers mods) = 0;

protected:
    virtual void paint(QPaintDevice *device) = 0;
    void setMouseButtons(Qt::MouseButtons mb);
    void startMove(QWaylandInputDevice *inputDevice, Qt::MouseButtons buttons);
    bool isLeftClicked(Qt::MouseButtons newMouseButtonState);
    bool isLeftReleased(Qt::MouseButtons newMouseButtonState);
};

#define QWaylandDecorationFactoryInterface_iid                                                     \
    "org.qt-project.Qt.WaylandClient.QWaylandDecorationFactoryInterface.5.4"

class Q_WAYLANDCLIENT_EXPORT QWaylandDecorationPlugin : public QObject
{
    Q_OBJECT
public:
    explicit QWaylandDecorationPlugin(QObject *parent = nullptr);
    ~QWaylandDecorationPlugin() override;

    virtual QWaylandAbstractDecoration *create(const QString &key,
                                               const QStringList &paramList) = 0;
};

} // namespace QtWaylandClient
