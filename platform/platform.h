// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <functional>

class QWidget;

// The services the window needs from the system. Each has one real
// implementation in this folder and one fake in the tests.
namespace slonk {

// Seconds of a monotonic clock: only differences between readings mean anything.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
};

// Calls back once when the clock reaches a reading, through the event loop,
// however long the system slept on the way: at once if it is already past.
class Alarm
{
public:
    virtual ~Alarm() = default;
    // Replaces any earlier setting.
    virtual void setAt(double reading, std::function<void()> due) = 0;
    virtual void cancel() = 0;
};

// Plays the cue asynchronously: play() returns at once. The cue finds its own
// file; when no usable one is found it plays the built-in default cue.
class CueSound
{
public:
    virtual ~CueSound() = default;
    virtual void play() = 0;
};

// The modal box that congratulates at the finish.
class FinishBox
{
public:
    virtual ~FinishBox() = default;
    // Returns once the user has dismissed the box.
    virtual void show(QWidget *parent) = 0;
};

// Ends the program with exit code 0.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    virtual void end() = 0;
};

// Keeps the screen from blanking while a challenge runs: nobody touches the
// keyboard for 99 minutes.
class ScreenKeeper
{
public:
    virtual ~ScreenKeeper() = default;
    virtual void keepAwake() = 0;
    // Never blocks: the finish must not wait on the session bus.
    virtual void release() = 0;
};

struct Platform
{
    Clock &clock;
    Alarm &alarm;
    CueSound &cueSound;
    FinishBox &finishBox;
    ProgramEnd &programEnd;
    ScreenKeeper &screenKeeper;
};

} // namespace slonk
