// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "cuestreams.h"

#include "pulseapi.h"

#include <QByteArray>
#include <algorithm>

namespace slonk {
namespace {

// Loaded before any PulseCues is made (pulsecues.h), and so before any stream.
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

bool CueStreams::open(pa_context *context, const CueFormat &format, Role role)
{
    const pa_sample_spec layout = sampleSpec(format);
    Proplist properties;
    // An alarm, as the desktop's own clock plays its timers: the cue keeps a
    // volume of its own, apart from the desktop's alert sounds, which many
    // people mute.
    pa().proplist_sets(properties.list, PA_PROP_MEDIA_ROLE, "alarm");
    pa_stream *handle =
        pa().stream_new_with_proplist(context, "Cue", &layout, nullptr, properties.list);
    if (!handle)
        return false;
    streams_.push_back({handle, role, format});
    pa().stream_set_state_callback(handle, changed, this);
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa().usec_to_bytes(BufferUs, &layout));
    attr.prebuf = 0; // starts when uncorked, however short the cue
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa().stream_connect_playback(handle, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        letGo(std::prev(streams_.end()));
        return false;
    }
    return true;
}

bool CueStreams::has(Role role) const
{
    return std::ranges::find(streams_, role, &Stream::role) != streams_.end();
}

std::optional<CueFormat> CueStreams::format(Role role) const
{
    const auto stream = std::ranges::find(streams_, role, &Stream::role);
    return stream == streams_.end() ? std::nullopt : std::optional(stream->format);
}

bool CueStreams::made(Role role) const
{
    const auto stream = std::ranges::find(streams_, role, &Stream::role);
    return stream != streams_.end() && pa().stream_get_state(stream->handle) == PA_STREAM_READY;
}

void CueStreams::recast(Role from, Role to)
{
    const auto stream = std::ranges::find(streams_, from, &Stream::role);
    if (stream == streams_.end())
        return;
    if (has(to))
        letGo(stream);
    else
        stream->role = to;
}

CueStreams::Start CueStreams::play(const CueSamples &cue)
{
    const auto stream = std::ranges::find(streams_, Role::Pending, &Stream::role);
    // The whole cue at once, and the silence after it: what a sink may still
    // hold when the stream goes. The server's queue takes them whole: no cue
    // is longer (wavcheck.h).
    const pa_sample_spec layout = sampleSpec(cue);
    const QByteArray silence(static_cast<qsizetype>(pa().usec_to_bytes(TailUs, &layout)),
                             cue.bits == 8 ? '\x80' : '\0');
    if (pa().stream_write(stream->handle, cue.data.constData(),
                          static_cast<size_t>(cue.data.size()), nullptr, 0, PA_SEEK_RELATIVE) < 0 ||
        pa().stream_write(stream->handle, silence.constData(), static_cast<size_t>(silence.size()),
                          nullptr, 0, PA_SEEK_RELATIVE) < 0)
        return Start::SamplesRefused;
    pa_operation *uncorked = pa().stream_cork(stream->handle, 0, nullptr, nullptr);
    if (!uncorked)
        return Start::StreamFailed;
    pa().operation_unref(uncorked);
    stream->role = Role::Playing;
    pa().stream_set_underflow_callback(stream->handle, ranOut, this);
    return Start::Playing;
}

void CueStreams::letGo(Role role)
{
    if (const auto stream = std::ranges::find(streams_, role, &Stream::role);
        stream != streams_.end())
        letGo(stream);
}

void CueStreams::letGoAll()
{
    while (!streams_.empty())
        forget(std::prev(streams_.end()));
}

void CueStreams::letGo(Iterator stream)
{
    switch (pa().stream_get_state(stream->handle)) {
    case PA_STREAM_CREATING: // only a stream the server has made can be disconnected
        stream->role = Role::Leaving;
        return;
    case PA_STREAM_READY:
        // Fails only with the connection, which takes the stream anyway.
        pa().stream_disconnect(stream->handle);
        break;
    default: // never connected, or already gone from the server
        break;
    }
    forget(stream);
}

// Its end from now on is no news: the handle goes, not yet the stream when
// the server has it (letGo()).
void CueStreams::forget(Iterator stream)
{
    pa().stream_set_state_callback(stream->handle, nullptr, nullptr);
    pa().stream_set_underflow_callback(stream->handle, nullptr, nullptr);
    pa().stream_unref(stream->handle);
    streams_.erase(stream);
}

// On libpulse's thread, as is ranOut(); it holds the lock. Only a stream held
// here has these callbacks (forget()).
void CueStreams::changed(pa_stream *handle, void *self)
{
    auto *streams = static_cast<CueStreams *>(self);
    const auto stream = std::ranges::find(streams->streams_, handle, &Stream::handle);
    const Role role = stream->role;
    const pa_stream_state_t state = pa().stream_get_state(handle);
    if (state == PA_STREAM_READY) {
        if (role == Role::Leaving) // made at last: now it can be told to go
            streams->letGo(stream);
        else if (role == Role::Pending)
            streams->listener_.pendingMade();
    } else if (!PA_STREAM_IS_GOOD(state)) {
        streams->forget(stream);
        if (role != Role::Leaving)
            streams->listener_.streamFailed(role);
    }
}

// The server has run out of the cue: it has all been played. (Not a drain:
// its answer comes only after the whole cue, and under a sped-up clock
// libpulse gives up waiting for it before then.)
void CueStreams::ranOut(pa_stream *handle, void *self)
{
    auto *streams = static_cast<CueStreams *>(self);
    streams->letGo(std::ranges::find(streams->streams_, handle, &Stream::handle));
    streams->listener_.playedOut();
}

} // namespace slonk
