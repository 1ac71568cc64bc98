#pragma once

#include <QString>

namespace slonk {

class Clock;
class CueSound;
class FinishBox;
class ProgramEnd;

// What the window needs from the system; tests hand it fakes.
struct Platform
{
    Clock &clock;
    CueSound &cueSound;
    FinishBox &finishBox;
    ProgramEnd &programEnd;
    QString applicationDirectory;
};

} // namespace slonk
