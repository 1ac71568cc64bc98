// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <QObject>
#include <optional>

class QTimer;
class QWidget;

namespace slonk {

// Stills a text box's blinking cursor after a spell without input, as GTK
// desktops do after 10 s: blinking for ever wakes the program several times a
// second for nothing, and bothers people whom moving things distract. A key,
// a click or the focus coming back sets it blinking again. The cursor stays
// drawn while it rests. Qt has one blink rate for the whole program, so
// resting sets it to none; waking, stop() and the destructor put back the
// desktop's own.
class CursorRest final : public QObject
{
    Q_OBJECT
public:
    static constexpr int RestMilliseconds = 10'000;

    // The countdown is a timer named "cursorRest", a child of this object.
    CursorRest(QWidget *box, QObject *parent);
    ~CursorRest() override;
    // The box takes no more input: the desktop's blink rate back, no countdown.
    void stop();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rest();
    void wake();

    QWidget *box_;
    QTimer *countdown_;
    std::optional<int> desktopFlashTime_; // held while the cursor rests
};

} // namespace slonk
