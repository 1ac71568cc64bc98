// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "readout.h"

#include <QAccessible>
#include <QFontInfo>
#include <QPainter>
#include <QStyle>
#include <QtMath>

namespace slonk {

Readout::Readout(const QString &text, Qt::Alignment alignment, QWidget *parent)
    : QWidget(parent), text_(text), alignment_(alignment)
{
    measureFont();
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

void Readout::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        measureFont();
    QWidget::changeEvent(event);
}

void Readout::measureFont()
{
    const QFontMetricsF metrics(font());
    cell_ = QFontInfo(font()).fixedPitch() ? metrics.horizontalAdvance(QLatin1Char('0')) : 0;
    reach_ = qCeil(-qMin(metrics.minLeftBearing(), metrics.minRightBearing())) + 1;
    width_ = -1;
}

QRect Readout::changedArea(const QString &before, const QString &after)
{
    // Each measure lays the text out again, as painting will: in a fixed-pitch
    // font the width follows from the length, and a reading costs one layout.
    const QFontMetricsF metrics(font());
    const auto measure = [&](const QString &text) {
        return cell_ > 0 ? text.size() * cell_ : metrics.horizontalAdvance(text);
    };
    const qreal beforeWidth = width_ >= 0 ? width_ : measure(before);
    width_ = measure(after);
    if (before.size() != after.size() || !qFuzzyCompare(beforeWidth, width_))
        return rect();
    qsizetype first = 0;
    while (first < after.size() && before[first] == after[first])
        ++first;
    qsizetype end = after.size();
    while (end > first && before[end - 1] == after[end - 1])
        --end;
    const auto advance = [&](qsizetype characters) {
        return cell_ > 0 ? characters * cell_ : metrics.horizontalAdvance(after.left(characters));
    };
    const QRect line = QStyle::alignedRect(layoutDirection(), alignment_,
                                           QSize(qCeil(width_), height()), contentsRect());
    // Glyphs may reach past their advance, into a neighbour's cell.
    return QRect(QPoint(qFloor(line.left() + advance(first)) - reach_, 0),
                 QPoint(qCeil(line.left() + advance(end)) + reach_, height() - 1))
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
