// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "wavcheck.h"

#include <functional>
#include <set>

struct pa_context;
struct pa_stream;
struct pa_threaded_mainloop;

namespace slonk {

// Cues played through the sound server's PulseAudio interface (PulseAudio
// itself, or PipeWire's pulse layer), a fresh stream for every cue.
//
// Opening a stream is most of a cue's delay: on PipeWire the server answers
// only once its session manager has linked the new stream to the sink, 20 to
// 40 ms after asking. So the stream for the next cue is opened ahead, corked,
// and a cue only has to fill it and let it go. (Best opened once the cue
// before has played out: linking a stream reshapes PipeWire's graph, which a
// loaded machine may pay for with a lost cycle of the sound playing.) Every
// cue is written to the server whole at once, with silence after it, and let
// go of only when the server has played it out: nothing on this side has to
// keep feeding it, and no tail is cut off.
//
// Not thread-safe: one thread calls everything; the server's replies are
// handled on a thread of libpulse's own. Made only once pulseApi() has
// loaded libpulse.
class PulseCues final
{
public:
    // playedOut is called on libpulse's thread each time a cue has played out.
    explicit PulseCues(std::function<void()> playedOut);
    ~PulseCues(); // cuts short what still plays
    PulseCues(const PulseCues &) = delete;
    PulseCues &operator=(const PulseCues &) = delete;

    // Opens the stream for a next cue in this format, unless one is ready.
    // Waits for the server; does nothing when there is none.
    void prepare(const CueFormat &format);
    // Plays the samples whole, on the stream made ready for them when it has
    // their format, else on one opened now. Connects again when the server
    // was lost. Does nothing without a server.
    void play(const CueSamples &cue);

private:
    bool connect();
    void disconnect();
    pa_stream *openStream(const CueFormat &format);
    bool preparedFor(const CueFormat &format) const;
    void dropPrepared();
    static void playedOut(pa_stream *stream, void *self);
    static void playingStateChanged(pa_stream *stream, void *self);
    void finish(pa_stream *stream);

    std::function<void()> playedOut_;
    pa_threaded_mainloop *loop_;
    pa_context *context_ = nullptr;
    pa_stream *prepared_ = nullptr;
    CueFormat preparedFormat_;
    std::set<pa_stream *> playing_;
};

} // namespace slonk
