// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "readout.h"

#include <QAccessible>
#include <QPainter>
#include <QStyle>
#include <QtMath>

namespace slonk {

Readout::Readout(const QString &text, Qt::Alignment alignment, QWidget *parent)
    : QWidget(parent), text_(text), alignment_(alignment)
{
}

void Readout::setText(const QString &text)
{
    if (text == text_)
        return;
    const QRect changed = changedArea(text_, text);
    text_ = text;
    update(changed);
    // What a label tells screen readers of a new text.
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

QRect Readout::changedArea(const QString &before, const QString &after) const
{
    const QFontMetricsF metrics(font());
    const qreal width = metrics.horizontalAdvance(after);
    if (before.size() != after.size() || !qFuzzyCompare(metrics.horizontalAdvance(before), width))
        return rect();
    qsizetype first = 0;
    while (first < after.size() && before[first] == after[first])
        ++first;
    qsizetype end = after.size();
    while (end > first && before[end - 1] == after[end - 1])
        --end;
    const QRect line = QStyle::alignedRect(layoutDirection(), alignment_,
                                           QSize(qCeil(width), height()), contentsRect());
    // Glyphs may reach past their advance, into a neighbour's cell.
    const int reach = qCeil(-qMin(metrics.minLeftBearing(), metrics.minRightBearing())) + 1;
    const qreal left = line.left() + metrics.horizontalAdvance(after.left(first));
    const qreal right = line.left() + metrics.horizontalAdvance(after.left(end));
    return QRect(QPoint(qFloor(left) - reach, 0), QPoint(qCeil(right) + reach, height() - 1))
        .intersected(rect());
}

void Readout::paintEvent(QPaintEvent *)
{
    // As a label draws plain text, clipped to what changed.
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment_), palette(),
                          isEnabled(), text_, foregroundRole());
}

} // namespace slonk
