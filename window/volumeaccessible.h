// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QAccessibleWidget>

class QLineEdit;

namespace slonk {

enum class TextSide
{
    Before,
    At,
    After
};

// The volume box as a screen reader reads it. Qt's own interface for a line
// edit never returns from a word request at the end of its text, and reports
// empty attribute runs, from which screen readers drop the last digit. The
// box holds digits only, so a small text interface of its own serves it whole.
class VolumeAccessible final : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit VolumeAccessible(QLineEdit *box);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text type) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

private:
    QLineEdit *box() const;
    QString unit(int offset, QAccessible::TextBoundaryType boundary, TextSide side,
                 int *startOffset, int *endOffset) const;
};

} // namespace slonk
