// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

// Built at configure time only: the smallest title bar and plugin on the
// interface the real one will use. Qt's title-bar interface is not public and
// may change with any release; when it has, this fails to compile or link, and
// the program is built without its own bar instead of not at all.

#ifdef SLONK_QT_PRIVATE_HEADERS
#include <QtWaylandClient/private/qwaylandabstractdecoration_p.h>
#include <QtWaylandClient/private/qwaylanddecorationplugin_p.h>
#else
#include "qt64decoration.h"
#endif

using namespace QtWaylandClient;

class Bar final : public QWaylandAbstractDecoration
{
public:
    QMargins margins(MarginsType) const override { return {}; }
    bool handleMouse(QWaylandInputDevice *input, const QPointF &, const QPointF &,
                     Qt::MouseButtons buttons, Qt::KeyboardModifiers) override
    {
        startMove(input, buttons);
        setMouseButtons(buttons);
        return isLeftClicked(buttons) || isLeftReleased(buttons);
    }
    bool handleTouch(QWaylandInputDevice *, const QPointF &, const QPointF &, QEventPoint::State,
                     Qt::KeyboardModifiers) override
    {
        return window() != nullptr;
    }

protected:
    void paint(QPaintDevice *) override { update(); }
};

class Plugin final : public QWaylandDecorationPlugin
{
public:
    QWaylandAbstractDecoration *create(const QString &, const QStringList &) override
    {
        return new Bar;
    }
};

int main()
{
    // Both made, so that an abstract class or a missing symbol fails here.
    Plugin plugin;
    const char *const iid = QWaylandDecorationFactoryInterface_iid;
    return iid[0] == 'o' ? 0 : 1;
}
