// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "wavcheck.h"

#include <optional>
#include <vector>

struct pa_context;
struct pa_stream;

namespace slonk {

// Every stream the cues hold on the sound server, each in one role, and the
// one place that lets go of them, so that none is ever left there: the server
// can only be told of a stream it has made, so one let go of while it is still
// being made leaves once it is.
//
// A stream that fails is let go of at once, so every stream held is good.
// With libpulse's lock held, as are the calls to the Listener, which come on
// libpulse's thread.
class CueStreams final
{
public:
    enum class Role
    {
        Spare,   // opened ahead, corked, for the next cue of its format; one at the most
        Pending, // the due cue's, corked until the server has answered; one at the most
        Playing, // written whole and uncorked, until the server has played it out
        Leaving, // let go of while the server was still making it
    };
    // What the streams tell the cues' schedule, once the roles are as they say.
    class Listener
    {
    public:
        virtual void pendingMade() = 0;            // the server has made the pending stream
        virtual void streamFailed(Role wasIn) = 0; // it has failed one, now let go of
        virtual void playedOut() = 0;              // it has played a cue out, now let go of
    protected:
        ~Listener() = default;
    };
    enum class Start
    {
        Playing,
        SamplesRefused,
        StreamFailed,
    };

    explicit CueStreams(Listener &listener) : listener_(listener) {}
    ~CueStreams() = default; // empty by then: the connection has let go of all
    CueStreams(const CueStreams &) = delete;
    CueStreams &operator=(const CueStreams &) = delete;

    // On a ready connection: a corked stream of the format in the role (Spare
    // or Pending) on its way; false when libpulse refuses it at once.
    bool open(pa_context *context, const CueFormat &format, Role role);
    // Of the stream in the role (Spare or Pending): whether there is one, its
    // format, and whether the server has made it.
    bool has(Role role) const;
    std::optional<CueFormat> format(Role role) const;
    bool made(Role role) const;
    // The stream in one role (Spare or Pending), if any, takes the other; it
    // is let go of instead when another holds that already.
    void recast(Role from, Role to);
    // The pending stream plays the cue whole, then the tail after it. Refused,
    // it stays pending, so that what refused it can still be asked.
    Start play(const CueSamples &cue);
    // Lets go of the stream in the role (Spare or Pending), if there is one.
    void letGo(Role role);
    // The connection goes, and takes every stream with it.
    void letGoAll();

private:
    struct Stream
    {
        pa_stream *handle;
        Role role;
        CueFormat format;
    };
    using Iterator = std::vector<Stream>::iterator;

    void letGo(Iterator stream);
    void forget(Iterator stream);

    static void changed(pa_stream *handle, void *self);
    static void ranOut(pa_stream *handle, void *self);

    Listener &listener_;
    std::vector<Stream> streams_;
};

} // namespace slonk
