// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "challenge.h"
#include "platform.h"

#include <QWidget>
#include <array>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace slonk {

class CursorRest;
class Readout;

// The one window: its design, the volume entry, START, and the running display
// with its cues and finish. Controls carry their design names as object names.
class FrmDrunk final : public QWidget
{
    Q_OBJECT
public:
    explicit FrmDrunk(const Platform &platform, QWidget *parent = nullptr);

    // The character code a key types, as the design counts them: Backspace 8,
    // Ctrl+Backspace 127, Ctrl+letter 1 to 26; -1 for keys that type nothing
    // here (arrows, Home, End, Delete, Tab, bare modifiers).
    static int typedCode(const QKeyEvent &event);
    // The volume box's character filter: whether a key press may reach the box.
    // Codes 8 and "0" to "9" pass, every other code is swallowed; keys that type
    // nothing pass.
    static bool onVolumeChar(const QKeyEvent &event);

    void onStartClick();
    void onTickTimer();
    void onCueTimer();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setupWindow();
    void setupLabels();
    void setupVolumeBox();
    void setupStartButton();
    void setupPicture();
    void setupTimers();
    void setupAccessibility();
    void afterFirstPaint();
    void cue();
    void finish();
    void watchVisibility();
    void visibilityChanged();
    void sleepUntilDue();

    Platform platform_;
    ChallengeState state_;
    bool started_ = false;
    bool finished_ = false;
    bool painted_ = false;
    bool seen_ = true; // whether anyone can see the window
    CursorRest *cursorRest_ = nullptr;

    QLabel *Picture1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer1 = nullptr;
    QPushButton *Command1 = nullptr;
    QLineEdit *tbShotVol = nullptr;
    QLabel *SLONK = nullptr;
    std::array<QLabel *, 6> label{};
    QLabel *vRem = nullptr;
    QLabel *vDone = nullptr;
    QLabel *sRem = nullptr;
    QLabel *sDone = nullptr;
    Readout *tRem = nullptr;
    Readout *tTotal = nullptr;
};

} // namespace slonk
