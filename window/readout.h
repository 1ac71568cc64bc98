// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QWidget>

namespace slonk {

// A one-line value that changes twenty times a second, drawn as a label draws
// its text, that repaints only the characters that changed. A label repaints
// its whole width for every new text.
class Readout final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text)
public:
    Readout(const QString &text, Qt::Alignment alignment, QWidget *parent);
    QString text() const { return text_; }
    Qt::Alignment alignment() const { return alignment_; }
    void setText(const QString &text);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // Where `after` differs from `before` on screen: the whole widget when the
    // text's width changes, and so its place within the widget.
    QRect changedArea(const QString &before, const QString &after);
    void measureFont();

    QString text_;
    Qt::Alignment alignment_;
    qreal width_ = -1; // text_'s advance, -1 until measured
    qreal cell_ = 0;   // a character's advance in a fixed-pitch font, else 0
    int reach_ = 0;    // how far a glyph may reach past its advance
};

} // namespace slonk
