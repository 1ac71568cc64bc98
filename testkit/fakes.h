// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

#include <functional>

// Stand-ins for the system, so tests set the time and nothing plays or blocks.
namespace slonk::fakes {

struct Clock final : slonk::Clock
{
    double reading = 86'461.237;
    double now() const override { return reading; }
};

// Fires only when the test says so, at the reading it was set to.
struct Alarm final : slonk::Alarm
{
    double at = 0;
    std::function<void()> due;
    void setAt(double reading, std::function<void()> then) override
    {
        at = reading;
        due = std::move(then);
    }
    void cancel() override { due = nullptr; }
};

struct CueSound final : slonk::CueSound
{
    int played = 0;
    void play() override { ++played; }
};

struct FinishBox final : slonk::FinishBox
{
    int shown = 0;
    std::function<void()> whileShown; // what the user sees while it waits
    void show(QWidget *) override
    {
        ++shown;
        if (whileShown)
            whileShown();
    }
};

struct ProgramEnd final : slonk::ProgramEnd
{
    int ended = 0;
    void end() override { ++ended; }
};

struct ScreenKeeper final : slonk::ScreenKeeper
{
    bool awake = false;
    int requests = 0;
    void keepAwake() override
    {
        awake = true;
        ++requests;
    }
    void release() override { awake = false; }
};

} // namespace slonk::fakes
