// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "pulseapi.h"

#ifndef SLONK_LINK_PULSE
#include <cstdio>
#include <dlfcn.h>
#include <memory>
#endif

namespace slonk {

#ifdef SLONK_LINK_PULSE

const PulseApi *pulseApi()
{
#define SLONK_PULSE_ADDRESS(name) .name = &::pa_##name,
    static constexpr PulseApi api{SLONK_PULSE_CALLS(SLONK_PULSE_ADDRESS)};
#undef SLONK_PULSE_ADDRESS
    return &api;
}

#else

namespace {

// Found by its soname, as the linker would have; never unloaded, since its
// threads may outlive any owner of ours.
std::unique_ptr<PulseApi> loadPulseApi()
{
    constexpr const char *Library = "libpulse.so.0";
    void *library = dlopen(Library, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "slonk: no sound: %s\n", dlerror());
        return nullptr;
    }
    auto api = std::make_unique<PulseApi>();
    bool complete = true;
#define SLONK_PULSE_LOOKUP(name)                                                                   \
    api->name = reinterpret_cast<decltype(api->name)>(dlsym(library, "pa_" #name));                \
    complete = complete && api->name;
    SLONK_PULSE_CALLS(SLONK_PULSE_LOOKUP)
#undef SLONK_PULSE_LOOKUP
    if (!complete) {
        std::fprintf(stderr, "slonk: no sound: %s lacks a call the cue needs\n", Library);
        return nullptr;
    }
    return api;
}

} // namespace

const PulseApi *pulseApi()
{
    // Never freed: threads the end leaves running (libpulse's own, and the
    // cue's in a hung file read) call through it until the process is gone,
    // after every destructor run at exit.
    static const PulseApi *const api = loadPulseApi().release();
    return api;
}

#endif

} // namespace slonk
