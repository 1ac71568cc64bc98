// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <Qt>
#include <array>

// The window's design data, in twips (1/1440 inch) as drawn: 15 twips make one
// pixel at Qt's logical 96 DPI, and Qt scales the whole on HiDPI screens.
namespace slonk::design {

constexpr int TwipsPerPixel = 15;
constexpr int px(int twips)
{
    return twips / TwipsPerPixel;
}

inline constexpr char Title[] = "100 Vured iv 100 Irizeze";
constexpr int ClientWidth = 4695;
constexpr int ClientHeight = 4095;
// Outer height 3660 after START, less the 330-twip title bar and 45-twip border:
// the START band is cut away and the volume row stays in view.
constexpr int RunningClientHeight = 3285;

enum class Face
{
    Tahoma,
    CourierNew
};
constexpr double SmallPoints = 8.25;
constexpr double LargePoints = 15.75;
constexpr double CuePoints = 44.25;

struct LabelDesign
{
    const char *name;
    const char *text;
    int left, top, width, height;
    Face face;
    double points;
    bool bold;
    Qt::AlignmentFlag alignment;
    const char *description = nullptr; // what a screen reader says of a value
    bool everyTick = false;            // rewritten at each tick, not once a minute
};

// In the design's order: where two labels overlap, the earlier lies above.
inline constexpr std::array<LabelDesign, 13> Labels{{
    {"SLONK", "SLONK!", 0, 720, 4695, 1095, Face::Tahoma, CuePoints, true, Qt::AlignHCenter},
    {"label5", "Shot Volume", 600, 2880, 1695, 255, Face::Tahoma, SmallPoints, false,
     Qt::AlignRight},
    {"label0", "ml", 2850, 2880, 615, 255, Face::Tahoma, SmallPoints, false, Qt::AlignLeft},
    {"vRem", "3500 ml", 2520, 2400, 2175, 255, Face::Tahoma, SmallPoints, false, Qt::AlignHCenter,
     "Volume Remaining"},
    {"vDone", "0 ml", 120, 2400, 2175, 255, Face::Tahoma, SmallPoints, false, Qt::AlignHCenter,
     "Volume Done"},
    {"sRem", "100", 2520, 2040, 2175, 495, Face::Tahoma, LargePoints, false, Qt::AlignHCenter,
     "Shots Remaining"},
    {"label4", "Shots Remaining", 2520, 1800, 2175, 255, Face::Tahoma, SmallPoints, false,
     Qt::AlignHCenter},
    {"sDone", "0", 120, 2040, 2175, 495, Face::Tahoma, LargePoints, false, Qt::AlignHCenter,
     "Shots Done"},
    {"label3", "Shots Done", 120, 1800, 2175, 255, Face::Tahoma, SmallPoints, false,
     Qt::AlignHCenter},
    {"tRem", "100m 0s", 120, 1200, 4455, 495, Face::CourierNew, LargePoints, true, Qt::AlignHCenter,
     "Remaining Time", true},
    {"label2", "Remaining Time", 120, 960, 4455, 255, Face::Tahoma, SmallPoints, false,
     Qt::AlignLeft},
    {"tTotal", "0m", 120, 360, 4455, 495, Face::CourierNew, LargePoints, true, Qt::AlignHCenter,
     "Total Time", true},
    {"label1", "Total Time", 120, 120, 4455, 255, Face::Tahoma, SmallPoints, false, Qt::AlignLeft},
}};

struct Box
{
    int left, top, width, height;
};
constexpr Box StartButton{720, 3480, 3135, 495};
constexpr Box VolumeBox{2400, 2850, 375, 285};
constexpr Box Picture{0, 0, 4695, 3975};

inline constexpr char StartText[] = "START";
inline constexpr char DefaultVolume[] = "35";
// Nine digits: the most the volume labels show in full at a hundred shots.
constexpr int MaxVolumeDigits = 9;

constexpr int TickMilliseconds = 50;
constexpr int CueMilliseconds = 600;

} // namespace slonk::design
