// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"
#include "pulsecues.h"

#include <memory>

namespace slonk {

// The cue, played from a thread of its own, so that neither reading the file
// nor the sound server ever holds up the window's thread, however slow either
// is. At every cue the first usable slonk.wav where it is looked for
// (cuefile.h) is read, once, so replacing it between cues takes effect at the
// next one; when none is usable the built-in cue plays, and a file passed over
// as too long is said once on standard error.
//
// libpulse is loaded on that thread, a second after start-up or at the first
// cue, whichever comes first: never in the way of the window's first paint.
//
// A cue that cannot start within 2 s of its due time is dropped.
// SLONK_CUE_DEADLINE_MS sets that time on the program's own clock, for tests
// that speed the clock up (libfaketime), where 2 s would shrink with it.
class StreamCueSound final : public CueSound
{
public:
    StreamCueSound(const QString &programDirectory, const CueIdentity &identity);
    // Ends the thread and cuts short what still plays, without waiting for
    // the sound server, nor for more than a moment for a file being read.
    ~StreamCueSound() override;
    StreamCueSound(const StreamCueSound &) = delete;
    StreamCueSound &operator=(const StreamCueSound &) = delete;

    void play() override;

private:
    struct Room;
    std::unique_ptr<Room> room_; // what the thread uses: all of it, and only it
};

} // namespace slonk
