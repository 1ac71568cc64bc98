// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "pulsecues.h"

#include "pulseapi.h"

#include <QByteArray>
#include <algorithm>
#include <cstdio>
#include <utility>

namespace slonk {
namespace {

// Loaded before any PulseCues is made (pulsecues.h).
const PulseApi &pa()
{
    return *pulseApi();
}

// The buffer asked of the server. PipeWire runs its whole graph at the
// smallest latency any stream asks for (a third of this, here): asking for
// less than a desktop's usual cycle of about 21 ms would make every cycle
// shorter and easier to miss on a loaded machine, and gain nothing, since a
// cue starts at the next cycle whatever it asked for.
constexpr pa_usec_t BufferUs = 100'000;
// Silence written after every cue (wavcheck.h).
constexpr pa_usec_t TailUs = CueTailMilliseconds * 1000;

class Lock
{
public:
    explicit Lock(pa_threaded_mainloop *loop) : loop_(loop) { pa().threaded_mainloop_lock(loop_); }
    ~Lock() { pa().threaded_mainloop_unlock(loop_); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    pa_threaded_mainloop *loop_;
};

pa_sample_spec sampleSpec(const CueFormat &format)
{
    return {format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE, format.rate,
            static_cast<uint8_t>(format.channels)};
}

// A property list, freed when it goes.
struct Proplist
{
    pa_proplist *list = pa().proplist_new();
    ~Proplist() { pa().proplist_free(list); }
    Proplist() = default;
    Proplist(const Proplist &) = delete;
    Proplist &operator=(const Proplist &) = delete;
};

} // namespace

std::unique_ptr<PulseCues> PulseCues::create(const CueIdentity &identity,
                                             std::chrono::milliseconds deadline)
{
    pa_threaded_mainloop *loop = pa().threaded_mainloop_new();
    if (!loop || pa().threaded_mainloop_start(loop) < 0) {
        std::fputs("slonk: no sound: libpulse's thread could not be started\n", stderr);
        if (loop)
            pa().threaded_mainloop_free(loop);
        return nullptr;
    }
    pa_proplist *properties = pa().proplist_new();
    pa().proplist_sets(properties, PA_PROP_APPLICATION_NAME, identity.name.constData());
    pa().proplist_sets(properties, PA_PROP_APPLICATION_ID, identity.id.constData());
    pa().proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, identity.iconName.constData());
    pa().proplist_sets(properties, PA_PROP_APPLICATION_VERSION, identity.version.constData());
    return std::unique_ptr<PulseCues>(new PulseCues(loop, properties, deadline));
}

PulseCues::PulseCues(pa_threaded_mainloop *loop, pa_proplist *identity,
                     std::chrono::milliseconds deadline)
    : loop_(loop), identity_(identity), deadline_(deadline)
{
}

PulseCues::~PulseCues()
{
    {
        Lock lock(loop_);
        closeConnection();
    }
    // libpulse's thread only ever waits in its poll, which this wakes.
    pa().threaded_mainloop_stop(loop_);
    pa().threaded_mainloop_free(loop_);
    pa().proplist_free(identity_);
}

void PulseCues::prepare(const CueFormat &format)
{
    Lock lock(loop_);
    wanted_ = format;
    if (spare_.stream && spare_.format != format)
        letGo(spare_.stream);
    if (connect())
        advance();
}

void PulseCues::play(const CueSamples &cue, Instant due)
{
    Lock lock(loop_);
    cancelPending(); // a cue still waiting could only sound later than this one
    wanted_ = static_cast<const CueFormat &>(cue);
    if (std::chrono::steady_clock::now() - due > deadline_) {
        report(Health::ReadLate,
               "a cue was dropped: its file took more than " + deadlineText() + " to read");
        return;
    }
    if (!connect())
        return;
    pending_ = Pending{cue, due};
    if (spare_.stream && spare_.format == cue &&
        PA_STREAM_IS_GOOD(pa().stream_get_state(spare_.stream)))
        pending_->stream = std::exchange(spare_.stream, nullptr);
    else
        letGo(spare_.stream);
    armDeadline();
    advance();
}

// With the lock held: whether there is a context that is ready or on its way,
// connecting a fresh one when there is none or the last one failed (so a
// server started later is found too).
bool PulseCues::connect()
{
    if (context_ && PA_CONTEXT_IS_GOOD(pa().context_get_state(context_)))
        return true;
    closeConnection();
    contextWasReady_ = false;
    context_ =
        pa().context_new_with_proplist(pa().threaded_mainloop_get_api(loop_), nullptr, identity_);
    if (!context_) {
        report(Health::NoServer, "no sound: libpulse could not make a connection");
        return false;
    }
    pa().context_set_state_callback(context_, contextChanged, this);
    // No autospawn: a missing server means no sound, never a server of ours.
    if (pa().context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        report(Health::NoServer, "no sound: cannot reach the sound server (" + serverError() + ")");
        closeConnection();
        return false;
    }
    return true;
}

// With the lock held: lets go of every stream, then of the context.
void PulseCues::closeConnection()
{
    dropAllStreams();
    if (context_) {
        pa().context_set_state_callback(context_, nullptr, nullptr);
        pa().context_disconnect(context_);
        pa().context_unref(context_);
        context_ = nullptr;
    }
}

// With the lock held: the connection is going or gone, and every stream on it
// with it; none is kept for later.
void PulseCues::dropAllStreams()
{
    cancelPending();
    letGo(spare_.stream);
    while (!playing_.empty())
        endPlaying(*playing_.begin());
    for (pa_stream *stream : std::exchange(leaving_, {})) {
        pa().stream_set_state_callback(stream, nullptr, nullptr);
        pa().stream_unref(stream);
    }
}

// With the lock held: takes the next step the server is ready for.
void PulseCues::advance()
{
    if (!context_ || pa().context_get_state(context_) != PA_CONTEXT_READY)
        return; // contextChanged comes back here once it is
    if (pending_ && !pending_->stream) {
        if (!(pending_->stream = openStream(pending_->cue)))
            cancelPending();
    } else if (pending_ && !pending_->asked &&
               pa().stream_get_state(pending_->stream) == PA_STREAM_READY) {
        askServer();
    } else if (!pending_ && !spare_.stream && wanted_) {
        spare_ = {openStream(*wanted_), *wanted_};
    }
}

// With the lock held and the context ready: a corked stream for the format on
// its way; nullptr, reported, when libpulse refuses it at once.
pa_stream *PulseCues::openStream(const CueFormat &format)
{
    const pa_sample_spec layout = sampleSpec(format);
    Proplist properties;
    // An alarm, as the desktop's own clock plays its timers: the cue keeps a
    // volume of its own, apart from the desktop's alert sounds, which many
    // people mute.
    pa().proplist_sets(properties.list, PA_PROP_MEDIA_ROLE, "alarm");
    pa_stream *stream =
        pa().stream_new_with_proplist(context_, "Cue", &layout, nullptr, properties.list);
    if (!stream) {
        report(Health::StreamFailed,
               "no sound: the cue's stream was refused (" + serverError() + ")");
        return nullptr;
    }
    pa().stream_set_state_callback(stream, streamChanged, this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa().usec_to_bytes(BufferUs, &layout));
    attr.prebuf = 0; // starts when uncorked, however short the cue
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa().stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        report(Health::StreamFailed,
               "no sound: the cue's stream was refused (" + serverError() + ")");
        letGo(stream);
    }
    return stream;
}

// With the lock held: a stream opened ahead says nothing of the server now,
// so a round trip to it does, before the cue is let go. The server's own
// details are the cheapest question: its main loop answers at once, where a
// question about the stream may wait for PipeWire's next graph cycle.
void PulseCues::askServer()
{
    pending_->asked = pa().context_get_server_info(context_, serverAnswered, this);
    if (!pending_->asked) {
        report(Health::ServerLost, "no sound: lost the sound server (" + serverError() + ")");
        cancelPending();
    }
}

// With the lock held, just after the server answered: the pending cue starts,
// unless it would start late.
void PulseCues::startInTime()
{
    if (std::chrono::steady_clock::now() - pending_->due > deadline_)
        dropLateCue();
    else
        startPending();
}

// With the lock held: the pending cue can only sound late now. Its stream,
// never started, waits as the spare for the next cue.
void PulseCues::dropLateCue()
{
    report(Health::Late,
           "a cue was dropped: the sound server did not start it within " + deadlineText());
    cancelPending();
    advance();
}

void PulseCues::startPending()
{
    cancelDeadline();
    if (pending_->asked)
        pa().operation_unref(pending_->asked);
    const CueSamples cue = std::move(pending_->cue);
    pa_stream *stream = pending_->stream;
    pending_.reset();
    playing_.insert(stream);
    pa().stream_set_state_callback(stream, playingChanged, this);
    pa().stream_set_underflow_callback(stream, playedOut, this);
    // The whole cue at once, and the silence after it: what a sink may still
    // hold when the stream goes. The server's queue takes them whole: no cue
    // is longer (wavcheck.h).
    const pa_sample_spec layout = sampleSpec(cue);
    const QByteArray silence(static_cast<qsizetype>(pa().usec_to_bytes(TailUs, &layout)),
                             cue.bits == 8 ? '\x80' : '\0');
    if (pa().stream_write(stream, cue.data.constData(), static_cast<size_t>(cue.data.size()),
                          nullptr, 0, PA_SEEK_RELATIVE) < 0 ||
        pa().stream_write(stream, silence.constData(), static_cast<size_t>(silence.size()), nullptr,
                          0, PA_SEEK_RELATIVE) < 0) {
        report(Health::WriteRefused,
               "no sound: the cue's samples were refused (" + serverError() + ")");
        endPlaying(stream);
        return;
    }
    pa_operation *uncorked = pa().stream_cork(stream, 0, nullptr, nullptr);
    if (!uncorked) {
        report(Health::StreamFailed, streamFailed());
        endPlaying(stream);
        return;
    }
    pa().operation_unref(uncorked);
    report(Health::Sounding);
}

// With the lock held: the waiting cue goes unplayed. Its stream, never
// written to nor uncorked, is the spare for the next cue if it can be.
void PulseCues::cancelPending()
{
    if (!pending_)
        return;
    cancelDeadline();
    if (pending_->asked) { // an answer still to come is for this cue alone
        pa().operation_cancel(pending_->asked);
        pa().operation_unref(pending_->asked);
    }
    pa_stream *stream = pending_->stream;
    const CueFormat format = pending_->cue;
    pending_.reset();
    if (stream && !spare_.stream && wanted_ == format &&
        PA_STREAM_IS_GOOD(pa().stream_get_state(stream)))
        spare_ = {stream, format};
    else
        letGo(stream);
}

void PulseCues::armDeadline()
{
    cancelDeadline();
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        pending_->due + deadline_ - std::chrono::steady_clock::now());
    timer_ = pa().context_rttime_new(
        context_, pa().rtclock_now() + static_cast<pa_usec_t>(std::max<int64_t>(left.count(), 0)),
        deadlineReached, this);
    // Without the timer the cue still never sounds late (startInTime), but a
    // server that never answers would drop it unsaid.
    if (!timer_)
        std::fputs("slonk: libpulse could not time the cue: a late one may go unsaid\n", stderr);
}

void PulseCues::cancelDeadline()
{
    if (timer_) {
        pa_mainloop_api *api = pa().threaded_mainloop_get_api(loop_);
        api->time_free(timer_);
        timer_ = nullptr;
    }
}

// With the lock held: lets go of a stream that is not playing. The server
// can only be told of a stream it has made: one still being made is
// disconnected once it is (leavingChanged), or it would stay there, corked
// and owned by no one, until the program ends.
void PulseCues::letGo(pa_stream *&stream)
{
    if (!stream)
        return;
    pa().stream_set_underflow_callback(stream, nullptr, nullptr);
    switch (pa().stream_get_state(stream)) {
    case PA_STREAM_CREATING:
        pa().stream_set_state_callback(stream, leavingChanged, this);
        leaving_.insert(std::exchange(stream, nullptr));
        return;
    case PA_STREAM_READY:
        pa().stream_set_state_callback(stream, nullptr, nullptr);
        pa().stream_disconnect(stream); // fails only with the connection, which takes it anyway
        break;
    default: // never connected, or already gone from the server
        pa().stream_set_state_callback(stream, nullptr, nullptr);
        break;
    }
    pa().stream_unref(std::exchange(stream, nullptr));
}

// With the lock held: lets go of a playing stream.
void PulseCues::endPlaying(pa_stream *stream)
{
    if (playing_.erase(stream) > 0)
        letGo(stream);
}

void PulseCues::report(Health health, const std::string &line)
{
    if (health == health_)
        return;
    health_ = health;
    std::fprintf(stderr, "slonk: %s\n",
                 health == Health::Sounding ? "the cue sounds again" : line.c_str());
}

std::string PulseCues::deadlineText() const
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g s",
                  std::chrono::duration<double>(deadline_).count());
    return seconds;
}

std::string PulseCues::streamFailed() const
{
    return "no sound: the cue's stream failed (" + serverError() + ")";
}

std::string PulseCues::serverError() const
{
    return context_ ? pa().strerror(pa().context_errno(context_)) : "no connection";
}

// On libpulse's thread, as are all the callbacks below; it holds the lock.
void PulseCues::contextChanged(pa_context *context, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    switch (pa().context_get_state(context)) {
    case PA_CONTEXT_READY:
        cues->contextWasReady_ = true;
        cues->advance();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        if (cues->contextWasReady_)
            cues->report(Health::ServerLost,
                         "no sound: lost the sound server (" + cues->serverError() + ")");
        else
            cues->report(Health::NoServer,
                         "no sound: cannot reach the sound server (" + cues->serverError() + ")");
        // The context itself goes at the next connect(), out of its own callback.
        cues->dropAllStreams();
        break;
    default:
        break;
    }
}

// The pending stream or the spare: ready, or failed.
void PulseCues::streamChanged(pa_stream *stream, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    const pa_stream_state_t state = pa().stream_get_state(stream);
    const bool pending = cues->pending_ && cues->pending_->stream == stream;
    if (state == PA_STREAM_READY) {
        if (pending) // its opening was the server's answer
            cues->startInTime();
        return;
    }
    if (PA_STREAM_IS_GOOD(state))
        return;
    if (PA_CONTEXT_IS_GOOD(pa().context_get_state(cues->context_)))
        cues->report(Health::StreamFailed, cues->streamFailed());
    if (pending)
        cues->cancelPending();
    else if (stream == cues->spare_.stream)
        cues->letGo(cues->spare_.stream);
}

// The answer to askServer(); one for a cue dropped since was cancelled with it.
void PulseCues::serverAnswered(pa_context *, const pa_server_info *info, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    // Without an answer the connection has failed, which contextChanged says.
    if (info && cues->pending_)
        cues->startInTime();
}

// A playing stream that failed or was ended by the server.
void PulseCues::playingChanged(pa_stream *stream, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    if (PA_STREAM_IS_GOOD(pa().stream_get_state(stream)))
        return;
    if (PA_CONTEXT_IS_GOOD(pa().context_get_state(cues->context_)))
        cues->report(Health::StreamFailed, cues->streamFailed());
    cues->endPlaying(stream);
}

// A stream let go of before the server had made it: now made, it is
// disconnected; once gone, it is forgotten.
void PulseCues::leavingChanged(pa_stream *stream, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    const pa_stream_state_t state = pa().stream_get_state(stream);
    if (state == PA_STREAM_READY) {
        pa().stream_disconnect(stream);
    } else if (!PA_STREAM_IS_GOOD(state) && cues->leaving_.erase(stream) > 0) {
        pa().stream_set_state_callback(stream, nullptr, nullptr);
        pa().stream_unref(stream);
    }
}

// The server has run out of the cue: it has all been played. (Not a drain:
// its answer comes only after the whole cue, and under a sped-up clock
// libpulse gives up waiting for it before then.) The spare for the next cue
// opens now, out of the way of this one.
void PulseCues::playedOut(pa_stream *stream, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    cues->endPlaying(stream);
    cues->advance();
}

void PulseCues::deadlineReached(pa_mainloop_api *, pa_time_event *, const timeval *, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    cues->cancelDeadline();
    if (cues->pending_)
        cues->dropLateCue();
}

} // namespace slonk
