#pragma once

#include <QString>

namespace slonk {

class Clock;
class CueSound;
class FinishBox;
class ProgramEnd;
class ScreenKeeper;

// What the window needs from the system; tests hand it fakes.
struct Platform
{
    Clock &clock;
    CueSound &cueSound;
    FinishBox &finishBox;
    ProgramEnd &programEnd;
    ScreenKeeper &screenKeeper;
    QString applicationDirectory;
};

} // namespace slonk
