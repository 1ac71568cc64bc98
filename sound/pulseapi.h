// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/proplist.h>
#include <pulse/rtclock.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

namespace slonk {

// The calls of libpulse the cue makes, each under its name less "pa_".
#define SLONK_PULSE_CALLS(X)                                                                       \
    X(context_connect)                                                                             \
    X(context_disconnect)                                                                          \
    X(context_errno)                                                                               \
    X(context_get_server_info)                                                                     \
    X(context_get_state)                                                                           \
    X(context_new_with_proplist)                                                                   \
    X(context_rttime_new)                                                                          \
    X(context_set_state_callback)                                                                  \
    X(context_unref)                                                                               \
    X(operation_cancel)                                                                            \
    X(operation_unref)                                                                             \
    X(proplist_free)                                                                               \
    X(proplist_new)                                                                                \
    X(proplist_sets)                                                                               \
    X(rtclock_now)                                                                                 \
    X(stream_connect_playback)                                                                     \
    X(stream_cork)                                                                                 \
    X(stream_disconnect)                                                                           \
    X(stream_get_state)                                                                            \
    X(stream_new_with_proplist)                                                                    \
    X(stream_set_state_callback)                                                                   \
    X(stream_set_underflow_callback)                                                               \
    X(stream_unref)                                                                                \
    X(stream_write)                                                                                \
    X(strerror)                                                                                    \
    X(threaded_mainloop_free)                                                                      \
    X(threaded_mainloop_get_api)                                                                   \
    X(threaded_mainloop_lock)                                                                      \
    X(threaded_mainloop_new)                                                                       \
    X(threaded_mainloop_start)                                                                     \
    X(threaded_mainloop_stop)                                                                      \
    X(threaded_mainloop_unlock)                                                                    \
    X(usec_to_bytes)

struct PulseApi
{
#define SLONK_PULSE_POINTER(name) decltype(&::pa_##name) name = nullptr;
    SLONK_PULSE_CALLS(SLONK_PULSE_POINTER)
#undef SLONK_PULSE_POINTER
};

// libpulse's calls. By default the library is looked up the first time it is
// asked for rather than linked: linked, it and the dozen sound libraries it
// brings in are loaded at exec, ahead of the window's first paint, which needs
// none of them. Built with SLONK_LINK_PULSE it is linked, as other clients
// link it. Safe from any thread; nullptr, said once on standard error, when it
// cannot be loaded.
const PulseApi *pulseApi();

} // namespace slonk
