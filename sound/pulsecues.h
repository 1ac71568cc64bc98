// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "cuestreams.h"
#include "wavcheck.h"

#include <QByteArray>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

struct pa_context;
struct pa_mainloop_api;
struct pa_operation;
struct pa_server_info;
struct pa_proplist;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace slonk {

// How the program shows itself to the sound server: desktops name, route and
// set the volume of sounds by these.
struct CueIdentity
{
    QByteArray name;     // application.name
    QByteArray id;       // application.id: the desktop file's id
    QByteArray iconName; // application.icon_name
    QByteArray version;  // application.version
};

// Cues played through the sound server's PulseAudio interface (PulseAudio
// itself, or PipeWire's pulse layer), a fresh stream for every cue.
//
// Nothing here ever waits for the server: every call asks and returns, and
// the server's answers move a cue on, on libpulse's own thread. So a server
// that is stopped, slow or gone can neither hold the caller nor keep the
// program from ending.
//
// Opening a stream is most of a cue's delay: on PipeWire the server answers
// only once its session manager has linked the new stream to the sink, 20 to
// 40 ms after asking. So one spare stream for the next cue is kept open
// ahead, corked, opened each time a cue has played out (linking a stream
// reshapes PipeWire's graph, which a loaded machine may pay for with a lost
// cycle of a sound playing). A due cue starts only once the server has
// answered after it was due: a cue it cannot start within the deadline
// (2 s) is dropped, since a late cue tells the drinker the wrong minute, and
// its stream, never touched, is the spare again; so is a cue whose question
// the server refuses, or leaves unanswered for libpulse's 30 s. Every cue is
// written whole at once, with silence after it, and let go of only when the
// server has played it out, so nothing has to keep feeding it and no tail is
// cut off. No stream is ever left on the server (CueStreams).
//
// Each change in how the cues fare (no server, the server lost, a stream or
// its samples refused, a cue dropped as late or unanswered, and cues sounding
// again) is one line on standard error.
//
// One thread at a time calls it; made only once pulseApi() has loaded libpulse.
class PulseCues final : private CueStreams::Listener
{
public:
    using Instant = std::chrono::steady_clock::time_point;
    static constexpr std::chrono::milliseconds DefaultDeadline{2000};

    // nullptr, said on standard error, when libpulse's thread cannot start.
    // A cue that cannot start within `deadline` of its due time is dropped.
    static std::unique_ptr<PulseCues> create(const CueIdentity &identity,
                                             std::chrono::milliseconds deadline = DefaultDeadline);
    ~PulseCues(); // cuts short what still plays, without waiting for the server
    PulseCues(const PulseCues &) = delete;
    PulseCues &operator=(const PulseCues &) = delete;

    // Opens a stream ahead for the next cue, of this format.
    void prepare(const CueFormat &format);
    // Plays the samples whole, as soon as the server answers, unless that is
    // past the deadline. Connects again when the server was lost. A cue
    // handed over already past it (its file was slow to read) is dropped
    // and said so, without a word against the server; the spare for the next
    // cue is opened all the same.
    void play(const CueSamples &cue, Instant due);

private:
    using Role = CueStreams::Role;
    enum class Health
    {
        Sounding,
        NoServer,
        ServerLost,
        StreamFailed,
        WriteRefused,
        Late,
        ReadLate,
        Unanswered,
    };
    struct Pending
    {
        CueSamples cue;
        Instant due;
        pa_operation *asked = nullptr; // the question whether the server is there
    };

    PulseCues(pa_threaded_mainloop *loop, pa_proplist *identity,
              std::chrono::milliseconds deadline);
    bool connect();
    void connectionFailed();
    void disconnect();
    void want(const CueFormat &format);
    void advance();
    bool open(const CueFormat &format, Role role);
    void askServer();
    void startInTime();
    void start();
    bool late(Instant due) const;
    void dropLate();
    void dropCue();
    void armDeadline();
    void cancelDeadline();
    void report(Health health, const std::string &line = {});
    void fail(Health health, const char *what); // "no sound: what (why)"
    std::string serverError() const;
    std::string deadlineText() const; // "2 s"

    void pendingMade() override;
    void streamFailed(Role wasIn) override;
    void playedOut() override;

    static void contextChanged(pa_context *context, void *self);
    static void serverAnswered(pa_context *context, const pa_server_info *info, void *self);
    static void deadlineReached(pa_mainloop_api *, pa_time_event *, const struct timeval *,
                                void *self);

    pa_threaded_mainloop *loop_;
    pa_proplist *identity_;
    std::chrono::milliseconds deadline_;
    pa_context *context_ = nullptr;
    bool contextWasReady_ = false;
    std::optional<CueFormat> wanted_; // the format of the next cue
    std::optional<Pending> pending_;
    pa_time_event *timer_ = nullptr; // the pending cue's deadline
    CueStreams streams_{*this};
    Health health_ = Health::Sounding;
};

} // namespace slonk
