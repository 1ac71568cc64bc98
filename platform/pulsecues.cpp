// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "pulsecues.h"

#include "pulseapi.h"

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

void wakeWaiter(pa_context *, void *loop)
{
    pa().threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
}

void wakeWaiter(pa_stream *, void *loop)
{
    pa().threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
}

pa_sample_spec sampleSpec(const CueFormat &format)
{
    return {format.bits == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE, format.rate,
            static_cast<uint8_t>(format.channels)};
}

void dropOperation(pa_operation *operation)
{
    if (operation)
        pa().operation_unref(operation);
}

} // namespace

PulseCues::PulseCues(std::function<void()> playedOut)
    : playedOut_(std::move(playedOut)), loop_(pa().threaded_mainloop_new())
{
    pa().threaded_mainloop_start(loop_);
}

PulseCues::~PulseCues()
{
    {
        Lock lock(loop_);
        disconnect();
    }
    pa().threaded_mainloop_stop(loop_);
    pa().threaded_mainloop_free(loop_);
}

// With the lock held: whether the context is ready, connecting a fresh one
// when there is none or the server went away (a server started later is
// found too).
bool PulseCues::connect()
{
    if (context_ && pa().context_get_state(context_) == PA_CONTEXT_READY)
        return true;
    disconnect();
    context_ = pa().context_new(pa().threaded_mainloop_get_api(loop_), "Slonk");
    if (!context_)
        return false;
    pa().context_set_state_callback(context_, wakeWaiter, loop_);
    // No autospawn: a missing server means no sound, never a server of ours.
    if (pa().context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        disconnect();
        return false;
    }
    for (;;) {
        const pa_context_state_t state = pa().context_get_state(context_);
        if (state == PA_CONTEXT_READY)
            return true;
        if (!PA_CONTEXT_IS_GOOD(state)) {
            disconnect();
            return false;
        }
        pa().threaded_mainloop_wait(loop_);
    }
}

// With the lock held: lets go of the context and every stream on it.
void PulseCues::disconnect()
{
    dropPrepared();
    while (!playing_.empty())
        finish(*playing_.begin());
    if (context_) {
        pa().context_set_state_callback(context_, nullptr, nullptr);
        pa().context_disconnect(context_);
        pa().context_unref(context_);
        context_ = nullptr;
    }
}

// With the lock held and the context ready: a stream for the format, corked
// and ready to take samples; nullptr when the server refuses it.
pa_stream *PulseCues::openStream(const CueFormat &format)
{
    const pa_sample_spec layout = sampleSpec(format);
    pa_stream *stream = pa().stream_new(context_, "Cue", &layout, nullptr);
    if (!stream)
        return nullptr;
    pa().stream_set_state_callback(stream, wakeWaiter, loop_);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa().usec_to_bytes(BufferUs, &layout));
    attr.prebuf = 0; // starts when uncorked, however short the cue
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa().stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) == 0) {
        for (;;) {
            const pa_stream_state_t state = pa().stream_get_state(stream);
            if (state == PA_STREAM_READY)
                return stream;
            if (!PA_STREAM_IS_GOOD(state))
                break;
            pa().threaded_mainloop_wait(loop_);
        }
    }
    pa().stream_set_state_callback(stream, nullptr, nullptr);
    pa().stream_disconnect(stream);
    pa().stream_unref(stream);
    return nullptr;
}

void PulseCues::dropPrepared()
{
    if (!prepared_)
        return;
    pa().stream_set_state_callback(prepared_, nullptr, nullptr);
    pa().stream_disconnect(prepared_);
    pa().stream_unref(prepared_);
    prepared_ = nullptr;
}

// With the lock held: whether the prepared stream can play a cue of this
// format. It is gone with its server, which the context reports first.
bool PulseCues::preparedFor(const CueFormat &format) const
{
    return prepared_ && format == preparedFormat_ && context_ &&
           pa().context_get_state(context_) == PA_CONTEXT_READY &&
           pa().stream_get_state(prepared_) == PA_STREAM_READY;
}

void PulseCues::prepare(const CueFormat &format)
{
    Lock lock(loop_);
    if (preparedFor(format))
        return;
    dropPrepared();
    if (!connect())
        return;
    prepared_ = openStream(format);
    preparedFormat_ = format;
}

void PulseCues::play(const CueSamples &cue)
{
    const pa_sample_spec layout = sampleSpec(cue);
    Lock lock(loop_);
    pa_stream *stream = nullptr;
    if (preparedFor(cue)) {
        stream = prepared_;
        prepared_ = nullptr;
    } else {
        dropPrepared();
        if (!connect() || !(stream = openStream(cue)))
            return;
    }
    playing_.insert(stream);
    pa().stream_set_state_callback(stream, playingStateChanged, this);
    pa().stream_set_underflow_callback(stream, playedOut, this);
    // The whole cue at once: the server takes up to 4 MiB, more than any cue
    // (wavcheck.h), so nothing here has to keep up with the playing. The
    // silence after it is what a sink may still hold when the stream goes.
    const QByteArray silence(static_cast<qsizetype>(pa().usec_to_bytes(TailUs, &layout)),
                             cue.bits == 8 ? '\x80' : '\0');
    if (pa().stream_write(stream, cue.data.constData(), static_cast<size_t>(cue.data.size()),
                          nullptr, 0, PA_SEEK_RELATIVE) < 0 ||
        pa().stream_write(stream, silence.constData(), static_cast<size_t>(silence.size()), nullptr,
                          0, PA_SEEK_RELATIVE) < 0) {
        finish(stream);
        return;
    }
    dropOperation(pa().stream_cork(stream, 0, nullptr, nullptr));
}

// On libpulse's thread, once the server has run out of the cue: it has all
// been played. (Not a drain: its answer comes only after the whole cue, and
// under a sped-up clock libpulse gives up waiting for it before then.)
void PulseCues::playedOut(pa_stream *stream, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    cues->finish(stream);
    cues->playedOut_();
}

// On libpulse's thread: a playing stream failed or was ended by the server.
void PulseCues::playingStateChanged(pa_stream *stream, void *self)
{
    if (!PA_STREAM_IS_GOOD(pa().stream_get_state(stream)))
        static_cast<PulseCues *>(self)->finish(stream);
}

// With the lock held (libpulse's thread holds it in its callbacks).
void PulseCues::finish(pa_stream *stream)
{
    if (playing_.erase(stream) == 0)
        return;
    pa().stream_set_state_callback(stream, nullptr, nullptr);
    pa().stream_set_underflow_callback(stream, nullptr, nullptr);
    pa().stream_disconnect(stream);
    pa().stream_unref(stream);
}

} // namespace slonk
