// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "pulsecues.h"

#include "pulseapi.h"

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
    want(format);
    if (connect())
        advance();
}

void PulseCues::play(const CueSamples &cue, Instant due)
{
    Lock lock(loop_);
    want(cue); // first, so that the stream of a cue it replaces is kept only if of use
    dropCue(); // a cue still waiting could only sound later than this one
    const bool readLate = late(due);
    if (readLate)
        report(Health::ReadLate,
               "a cue was dropped: its file took more than " + deadlineText() + " to read");
    if (!connect())
        return;
    if (!readLate) {
        pending_ = Pending{cue, due};
        streams_.recast(Role::Spare, Role::Pending);
        armDeadline();
    }
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
        connectionFailed();
        disconnect();
        return false;
    }
    return true;
}

// With the lock held: the connection never came, or is gone, and the cue and
// every stream with it; none is kept for later.
void PulseCues::connectionFailed()
{
    if (contextWasReady_)
        fail(Health::ServerLost, "lost the sound server");
    else
        fail(Health::NoServer, "cannot reach the sound server");
    dropCue();
    streams_.letGoAll();
}

// With the lock held: the cue, every stream, then the context go.
void PulseCues::disconnect()
{
    dropCue();
    streams_.letGoAll();
    if (context_) {
        pa().context_set_state_callback(context_, nullptr, nullptr);
        pa().context_disconnect(context_);
        pa().context_unref(context_);
        context_ = nullptr;
    }
}

// With the lock held: the format of the next cue. A spare of another would
// never serve.
void PulseCues::want(const CueFormat &format)
{
    wanted_ = format;
    if (streams_.format(Role::Spare) != format)
        streams_.letGo(Role::Spare);
}

// With the lock held: takes the next step the server is ready for.
void PulseCues::advance()
{
    if (!context_ || pa().context_get_state(context_) != PA_CONTEXT_READY)
        return; // contextChanged comes back here once it is
    if (pending_ && !streams_.has(Role::Pending)) {
        if (!open(pending_->cue, Role::Pending))
            dropCue();
    } else if (pending_ && !pending_->asked && streams_.made(Role::Pending)) {
        askServer();
    } else if (!pending_ && !streams_.has(Role::Spare) && wanted_) {
        open(*wanted_, Role::Spare);
    }
}

// With the lock held and the context ready: false, said, when libpulse
// refuses the stream at once.
bool PulseCues::open(const CueFormat &format, Role role)
{
    if (streams_.open(context_, format, role))
        return true;
    fail(Health::StreamFailed, "the cue's stream was refused");
    return false;
}

// With the lock held: a stream opened ahead says nothing of the server now,
// so a round trip to it does, before the cue is let go. The server's own
// details are the cheapest question: its main loop answers at once, where a
// question about the stream may wait for PipeWire's next graph cycle.
void PulseCues::askServer()
{
    pending_->asked = pa().context_get_server_info(context_, serverAnswered, this);
    if (!pending_->asked) { // libpulse asks on any connection it still has
        fail(Health::ServerLost, "lost the sound server");
        dropCue();
    }
}

// With the lock held, just after the server answered: the pending cue starts,
// unless it would start late.
void PulseCues::startInTime()
{
    if (late(pending_->due))
        dropLate();
    else
        start();
}

void PulseCues::start()
{
    cancelDeadline();
    const CueSamples cue = std::move(pending_->cue);
    pending_.reset();
    switch (streams_.play(cue)) {
    case CueStreams::Start::Playing:
        report(Health::Sounding);
        return;
    case CueStreams::Start::SamplesRefused:
        fail(Health::WriteRefused, "the cue's samples were refused");
        break;
    case CueStreams::Start::StreamFailed:
        fail(Health::StreamFailed, "the cue's stream failed");
        break;
    }
    streams_.letGo(Role::Pending);
}

bool PulseCues::late(Instant due) const
{
    return std::chrono::steady_clock::now() - due > deadline_;
}

// With the lock held: the pending cue can only sound late now.
void PulseCues::dropLate()
{
    report(Health::Late,
           "a cue was dropped: the sound server did not start it within " + deadlineText());
    dropCue();
    advance();
}

// With the lock held: the waiting cue goes unplayed. Its stream, never
// written to nor uncorked, is the spare for the next cue if it can be.
void PulseCues::dropCue()
{
    if (!pending_)
        return;
    cancelDeadline();
    if (pending_->asked) { // an answer still to come is for this cue alone
        pa().operation_cancel(pending_->asked);
        pa().operation_unref(pending_->asked);
    }
    pending_.reset();
    if (streams_.format(Role::Pending) == wanted_)
        streams_.recast(Role::Pending, Role::Spare);
    else
        streams_.letGo(Role::Pending);
}

void PulseCues::armDeadline()
{
    cancelDeadline();
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        pending_->due + deadline_ - std::chrono::steady_clock::now());
    timer_ = pa().context_rttime_new(
        context_, pa().rtclock_now() + static_cast<pa_usec_t>(std::max<int64_t>(left.count(), 0)),
        deadlineReached, this);
    // Without the timer the cue still never sounds late (startInTime), but one
    // the server leaves waiting is said only once libpulse gives up on it.
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

void PulseCues::report(Health health, const std::string &line)
{
    if (health == health_)
        return;
    health_ = health;
    std::fprintf(stderr, "slonk: %s\n",
                 health == Health::Sounding ? "the cue sounds again" : line.c_str());
}

void PulseCues::fail(Health health, const char *what)
{
    report(health, std::string("no sound: ") + what + " (" + serverError() + ")");
}

std::string PulseCues::serverError() const
{
    return context_ ? pa().strerror(pa().context_errno(context_)) : "no connection";
}

std::string PulseCues::deadlineText() const
{
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g s",
                  std::chrono::duration<double>(deadline_).count());
    return seconds;
}

// On libpulse's thread, as are all the callbacks below; it holds the lock.
// Its opening was the server's answer.
void PulseCues::pendingMade()
{
    startInTime();
}

void PulseCues::streamFailed(Role wasIn)
{
    if (PA_CONTEXT_IS_GOOD(pa().context_get_state(context_))) // else contextChanged says so
        fail(Health::StreamFailed, "the cue's stream failed");
    if (wasIn == Role::Pending)
        dropCue();
}

// The spare for the next cue opens now, out of the way of the cue played out.
void PulseCues::playedOut()
{
    advance();
}

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
        // The context itself goes at the next connect(), out of its own callback.
        cues->connectionFailed();
        break;
    default:
        break;
    }
}

// The answer to askServer(); one for a cue dropped since was cancelled with it,
// as is one on a connection that failed (contextChanged says so). So no
// answer here comes on a connection still up: the server refused the
// question, or left it for libpulse's 30 s.
void PulseCues::serverAnswered(pa_context *, const pa_server_info *info, void *self)
{
    auto *cues = static_cast<PulseCues *>(self);
    pa().operation_unref(std::exchange(cues->pending_->asked, nullptr));
    if (info) {
        cues->startInTime();
        return;
    }
    cues->report(Health::Unanswered, "a cue was dropped: no answer from the sound server (" +
                                         cues->serverError() + ")");
    cues->dropCue();
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
