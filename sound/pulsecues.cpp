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
// Silence written after every cue.
constexpr pa_usec_t TailUs = 300'000;

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

std::unique_ptr<PulseCues> PulseCues::create(const CueIdentity &identity)
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
    return std::unique_ptr<PulseCues>(new PulseCues(loop, properties));
}

PulseCues::PulseCues(pa_threaded_mainloop *loop, pa_proplist *identity)
    : loop_(loop), identity_(identity)
{
}

PulseCues::~PulseCues()
{
    {
        Lock lock(loop_);
        disconnect();
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
    if (prepared_ && preparedFormat_ != format)
        release(prepared_);
    if (connect())
        advance();
}

void PulseCues::play(const CueSamples &cue, Instant due)
{
    Lock lock(loop_);
    dropPending(); // a cue still waiting could only sound later than this one
    wanted_ = static_cast<const CueFormat &>(cue);
    if (!connect())
        return;
    pending_ = Pending{cue, due};
    if (prepared_ && preparedFormat_ == cue && PA_STREAM_IS_GOOD(pa().stream_get_state(prepared_)))
        pending_->stream = std::exchange(prepared_, nullptr);
    else
        release(prepared_);
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
    disconnect();
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
        disconnect();
        return false;
    }
    return true;
}

// With the lock held: lets go of the context and everything on it.
void PulseCues::disconnect()
{
    forgetStreams();
    if (context_) {
        pa().context_set_state_callback(context_, nullptr, nullptr);
        pa().context_disconnect(context_);
        pa().context_unref(context_);
        context_ = nullptr;
    }
}

void PulseCues::forgetStreams()
{
    dropPending();
    release(prepared_);
    while (!playing_.empty())
        finish(*playing_.begin());
}

// With the lock held: takes the next step the server is ready for.
void PulseCues::advance()
{
    if (!context_ || pa().context_get_state(context_) != PA_CONTEXT_READY)
        return; // contextChanged comes back here once it is
    if (pending_ && !pending_->stream) {
        if (!(pending_->stream = openStream(pending_->cue)))
            dropPending();
    } else if (pending_ && !pending_->asked &&
               pa().stream_get_state(pending_->stream) == PA_STREAM_READY) {
        askServer();
    } else if (!pending_ && !prepared_ && wanted_) {
        prepared_ = openStream(*wanted_);
        preparedFormat_ = *wanted_;
    }
}

// With the lock held and the context ready: a corked stream for the format on
// its way; nullptr, reported, when libpulse refuses it at once.
pa_stream *PulseCues::openStream(const CueFormat &format)
{
    const pa_sample_spec layout = sampleSpec(format);
    Proplist properties;
    pa().proplist_sets(properties.list, PA_PROP_MEDIA_ROLE, "event");
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
        release(stream);
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
        dropPending();
    }
}

// With the lock held, just after the server answered: the pending cue starts,
// unless it would start late.
void PulseCues::startInTime()
{
    if (std::chrono::steady_clock::now() - pending_->due > MaxLateness)
        dropLate();
    else
        start();
}

// With the lock held: the pending cue can only sound late now; the stream for
// the next one opens as soon as the server lets it.
void PulseCues::dropLate()
{
    report(Health::Late, "a cue was dropped: the sound server did not start it within 2 s");
    dropPending();
    advance();
}

void PulseCues::start()
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
    // The whole cue at once: the server takes up to 4 MiB, more than any cue
    // (wavcheck.h). The silence after it is what a sink may still hold when
    // the stream goes.
    const pa_sample_spec layout = sampleSpec(cue);
    const QByteArray silence(static_cast<qsizetype>(pa().usec_to_bytes(TailUs, &layout)),
                             cue.bits == 8 ? '\x80' : '\0');
    if (pa().stream_write(stream, cue.data.constData(), static_cast<size_t>(cue.data.size()),
                          nullptr, 0, PA_SEEK_RELATIVE) < 0 ||
        pa().stream_write(stream, silence.constData(), static_cast<size_t>(silence.size()), nullptr,
                          0, PA_SEEK_RELATIVE) < 0) {
        report(Health::WriteRefused,
               "no sound: the cue's samples were refused (" + serverError() + ")");
        finish(stream);
        return;
    }
    pa_operation *uncorked = pa().stream_cork(stream, 0, nullptr, nullptr);
    if (!uncorked) {
        report(Health::StreamFailed, streamFailed());
        finish(stream);
        return;
    }
    pa().operation_unref(uncorked);
    report(Health::Sounding);
}

void PulseCues::dropPending()
{
    if (!pending_)
        return;
    if (pending_->asked) { // an answer still to come is for this cue alone
        pa().operation_cancel(pending_->asked);
        pa().operation_unref(pending_->asked);
    }
    release(pending_->stream);
    pending_.reset();
    cancelDeadline();
}

void PulseCues::armDeadline()
{
    cancelDeadline();
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        pending_->due + MaxLateness - std::chrono::steady_clock::now());
    deadline_ = pa().context_rttime_new(
        context_, pa().rtclock_now() + static_cast<pa_usec_t>(std::max<int64_t>(left.count(), 0)),
        deadlineReached, this);
    // Without the timer the cue still never sounds late (startInTime), but a
    // server that never answers would drop it unsaid.
    if (!deadline_)
        std::fputs("slonk: libpulse could not time the cue: a late one may go unsaid\n", stderr);
}

void PulseCues::cancelDeadline()
{
    if (deadline_) {
        pa_mainloop_api *api = pa().threaded_mainloop_get_api(loop_);
        api->time_free(deadline_);
        deadline_ = nullptr;
    }
}

// With the lock held: lets go of a stream that is not playing.
void PulseCues::release(pa_stream *&stream)
{
    if (!stream)
        return;
    pa().stream_set_state_callback(stream, nullptr, nullptr);
    pa().stream_set_underflow_callback(stream, nullptr, nullptr);
    pa().stream_disconnect(stream);
    pa().stream_unref(stream);
    stream = nullptr;
}

// With the lock held: lets go of a playing stream.
void PulseCues::finish(pa_stream *stream)
{
    if (playing_.erase(stream) > 0)
        release(stream);
}

void PulseCues::report(Health health, const std::string &line)
{
    if (health == health_)
        return;
    health_ = health;
    std::fprintf(stderr, "slonk: %s\n",
                 health == Health::Sounding ? "the cue sounds again" : line.c_str());
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
        cues->forgetStreams();
        break;
    default:
        break;
    }
}

// A pending or prepared stream: ready, or failed.
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
        cues->dropPending();
    else if (stream == cues->prepared_)
        cues->release(cues->prepared_);
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
    cues->finish(stream);
}

// The server has run out of the cue: it has all been played. (Not a drain:
// its answer comes only after the whole cue, and under a sped-up clock
// libpulse gives up waiting for it before then.) The stream for the next cue
// opens now, out of the way of this one.
void PulseCues::playedOut(pa_stream *stream, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    cues->finish(stream);
    cues->advance();
}

void PulseCues::deadlineReached(pa_mainloop_api *, pa_time_event *, const timeval *, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    cues->cancelDeadline();
    if (cues->pending_)
        cues->dropLate();
}

} // namespace slonk
