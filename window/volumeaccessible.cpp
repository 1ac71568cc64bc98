// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "volumeaccessible.h"

#include <QFontMetrics>
#include <QLineEdit>

namespace slonk {
namespace {

// A span [start, end) of a text; {-1, -1} when there is none.
struct TextSpan
{
    int start = -1;
    int end = -1;
};

// The unit of `boundary` before, at or after `offset` in a text of `length`
// digits, {-1, -1} where there is none, as Qt's own text interfaces answer; an
// offset of -1 stands for the end. Digits make one word, one sentence and one
// line, so every boundary but a character's spans the whole text, the caret at
// its end included.
TextSpan digitsUnit(int length, QAccessible::TextBoundaryType boundary, TextSide side, int offset)
{
    if (offset == -1)
        offset = length;
    if (length <= 0 || offset < 0 || offset > length)
        return {};
    if (boundary == QAccessible::CharBoundary) {
        const int step = side == TextSide::Before ? -1 : side == TextSide::After ? 1 : 0;
        const int at = offset + step;
        return at >= 0 && at < length ? TextSpan{at, at + 1} : TextSpan{};
    }
    // The whole text is the one unit: nothing lies before or after it.
    return side == TextSide::At ? TextSpan{0, length} : TextSpan{};
}

} // namespace

VolumeAccessible::VolumeAccessible(QLineEdit *box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{
}

QLineEdit *VolumeAccessible::box() const
{
    return static_cast<QLineEdit *>(widget());
}

void *VolumeAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString VolumeAccessible::text(QAccessible::Text type) const
{
    // The name comes from the label the box is the buddy of.
    return type == QAccessible::Value ? box()->text() : QAccessibleWidget::text(type);
}

QAccessible::State VolumeAccessible::state() const
{
    // Once the challenge runs the volume is fixed: say so, rather than offer a
    // box to type into.
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = box()->isEnabled();
    state.readOnly = !state.editable;
    state.selectableText = true;
    return state;
}

void VolumeAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    const bool selected = selectionIndex == 0 && box()->hasSelectedText();
    *startOffset = selected ? box()->selectionStart() : 0;
    *endOffset = selected ? box()->selectionEnd() : 0;
}

int VolumeAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void VolumeAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void VolumeAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void VolumeAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

int VolumeAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void VolumeAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

QString VolumeAccessible::text(int startOffset, int endOffset) const
{
    const QString text = box()->text();
    if (startOffset < 0 || endOffset < startOffset || startOffset > text.size())
        return {};
    return text.mid(startOffset, endOffset - startOffset);
}

QString VolumeAccessible::unit(int offset, QAccessible::TextBoundaryType boundary, TextSide side,
                               int *startOffset, int *endOffset) const
{
    const QString text = box()->text();
    const TextSpan span = digitsUnit(static_cast<int>(text.size()), boundary, side, offset);
    *startOffset = span.start;
    *endOffset = span.end;
    return span.start < 0 ? QString() : text.mid(span.start, span.end - span.start);
}

QString VolumeAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                           int *startOffset, int *endOffset) const
{
    return unit(offset, boundaryType, TextSide::Before, startOffset, endOffset);
}

QString VolumeAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int *startOffset, int *endOffset) const
{
    return unit(offset, boundaryType, TextSide::After, startOffset, endOffset);
}

QString VolumeAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                       int *startOffset, int *endOffset) const
{
    return unit(offset, boundaryType, TextSide::At, startOffset, endOffset);
}

int VolumeAccessible::characterCount() const
{
    return static_cast<int>(box()->text().size());
}

QRect VolumeAccessible::characterRect(int offset) const
{
    const QString text = box()->text();
    if (offset < 0 || offset > text.size())
        return {};
    // The box reports its caret as a rectangle reaching some pixels either
    // side of the line it draws: its middle is the caret's x, with the box's
    // margins and scroll counted. The digits lie from there as the font lays
    // them out; the place after the last is a caret's, with no width.
    const QRect caret = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QFontMetricsF metrics(box()->font());
    const qreal origin =
        QRectF(caret).center().x() - metrics.horizontalAdvance(text.left(box()->cursorPosition()));
    const auto xAt = [&](qsizetype at) {
        return qRound(origin + metrics.horizontalAdvance(text.left(at)));
    };
    const int left = xAt(offset);
    const int right = offset < text.size() ? xAt(offset + 1) : left;
    return {box()->mapToGlobal(QPoint(left, caret.top())), QSize(right - left, caret.height())};
}

int VolumeAccessible::offsetAtPoint(const QPoint &point) const
{
    const QPoint local = box()->mapFromGlobal(point);
    return box()->rect().contains(local) ? box()->cursorPositionAt(local) : -1;
}

void VolumeAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    box()->setCursorPosition(endIndex);
    box()->setCursorPosition(startIndex);
}

QString VolumeAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    // One run of plain text over the whole box: readers build the spoken line
    // from the runs, and an empty run would leave a digit out.
    const int length = characterCount();
    const bool inside = offset >= 0 && offset <= length;
    *startOffset = inside ? 0 : -1;
    *endOffset = inside ? length : -1;
    return {};
}

} // namespace slonk
