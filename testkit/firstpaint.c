// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

/* Preloaded into a program under measurement; touches nothing else.
 * - The first image the program sends to the X server, or on Wayland the first
 *   commit of a surface with a buffer attached, its first paint, is stamped (CLOCK_MONOTONIC, ns)
 * into $BENCH_PAINT_FILE; every paint is appended to $BENCH_PAINTS_FILE, whose gaps show any stall
 * of the program.
 * - The first CLOCK_BOOTTIME reading, which in Slonk is the START instant, is
 *   stamped into $BENCH_START_FILE as "monotonic-ns boottime-ns".
 * - Each reading that decides a cue (the first after START, then the first at or
 *   past each whole minute after it: the ticks at which the shot count changes)
 *   is appended to $BENCH_TICKS_FILE the same way: a cue's latency runs from it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

typedef struct
{
    unsigned int sequence;
} cookie_t;

typedef int (*clock_gettime_t)(clockid_t, struct timespec *);

static clock_gettime_t real_clock_gettime(void)
{
    static clock_gettime_t real;
    if (!real)
        real = (clock_gettime_t)dlsym(RTLD_NEXT, "clock_gettime");
    return real;
}

static long long monotonic_ns(void)
{
    struct timespec now;
    real_clock_gettime()(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void stamp(const char *variable, const char *text)
{
    const char *path = getenv(variable);
    FILE *file = path ? fopen(path, "w") : NULL;
    if (file) {
        fputs(text, file);
        fclose(file);
    }
}

static void painted_now(void)
{
    static int painted;
    static FILE *paints;
    static int opened;
    const long long now = monotonic_ns();
    if (!opened) {
        opened = 1;
        const char *path = getenv("BENCH_PAINTS_FILE");
        paints = path ? fopen(path, "w") : NULL;
    }
    if (paints) {
        fprintf(paints, "%lld\n", now);
        fflush(paints);
    }
    if (painted)
        return;
    painted = 1;
    char text[32];
    snprintf(text, sizeof text, "%lld\n", now);
    stamp("BENCH_PAINT_FILE", text);
}

/* The X plugin loads libxcb privately (RTLD_LOCAL), out of RTLD_NEXT's sight:
 * the real function is looked up in the library itself, already loaded. */
static void *xcb_function(const char *library, const char *name)
{
    void *handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    return handle ? dlsym(handle, name) : NULL;
}

#define FORWARD(library, name, params, args)                                                       \
    cookie_t name params                                                                           \
    {                                                                                              \
        static cookie_t(*real) params;                                                             \
        if (!real)                                                                                 \
            real = (cookie_t(*) params)xcb_function(library, #name);                               \
        painted_now();                                                                             \
        return real args;                                                                          \
    }

FORWARD("libxcb-shm.so.0", xcb_shm_put_image,
        (void *c, uint32_t d, uint32_t gc, uint16_t tw, uint16_t th, uint16_t sx, uint16_t sy,
         uint16_t sw, uint16_t sh, int16_t dx, int16_t dy, uint8_t depth, uint8_t format,
         uint8_t send_event, uint32_t seg, uint32_t offset),
        (c, d, gc, tw, th, sx, sy, sw, sh, dx, dy, depth, format, send_event, seg, offset))
FORWARD("libxcb.so.1", xcb_put_image,
        (void *c, uint8_t format, uint32_t d, uint32_t gc, uint16_t w, uint16_t h, int16_t dx,
         int16_t dy, uint8_t left_pad, uint8_t depth, uint32_t length, const uint8_t *data),
        (c, format, d, gc, w, h, dx, dy, left_pad, depth, length, data))
FORWARD("libxcb.so.1", xcb_copy_area,
        (void *c, uint32_t src, uint32_t dst, uint32_t gc, int16_t sx, int16_t sy, int16_t dx,
         int16_t dy, uint16_t w, uint16_t h),
        (c, src, dst, gc, sx, sy, dx, dy, w, h))

/* Every Wayland request goes through this one (libwayland's own variadic
 * wl_proxy_marshal_flags calls it through the PLT, so a preload sees it). A
 * surface's commit after an attach of a buffer puts a frame on screen. */
union wl_argument_any {
    void *o;
    uint64_t bits;
};

static int is_surface(void *proxy)
{
    static const char *(*get_class)(void *);
    if (!get_class)
        get_class =
            (const char *(*)(void *))xcb_function("libwayland-client.so.0", "wl_proxy_get_class");
    const char *name = get_class ? get_class(proxy) : NULL;
    return name && strcmp(name, "wl_surface") == 0;
}

void *wl_proxy_marshal_array_flags(void *proxy, uint32_t opcode, const void *interface,
                                   uint32_t version, uint32_t flags, union wl_argument_any *args)
{
    enum
    {
        SurfaceAttach = 1,
        SurfaceCommit = 6
    };
    static void *(*real)(void *, uint32_t, const void *, uint32_t, uint32_t,
                         union wl_argument_any *);
    static int attached;
    if (!real)
        real = (void *(*)(void *, uint32_t, const void *, uint32_t, uint32_t,
                          union wl_argument_any *))xcb_function("libwayland-client.so.0",
                                                                "wl_proxy_marshal_array_flags");
    if ((opcode == SurfaceAttach || opcode == SurfaceCommit) && is_surface(proxy)) {
        if (opcode == SurfaceAttach && args[0].o)
            attached = 1;
        else if (opcode == SurfaceCommit && attached)
            painted_now();
    }
    return real(proxy, opcode, interface, version, flags, args);
}

int clock_gettime(clockid_t clock, struct timespec *now)
{
    static long long start = -1, next_cue;
    const int result = real_clock_gettime()(clock, now);
    if (clock != CLOCK_BOOTTIME || result != 0)
        return result;
    const long long boot = now->tv_sec * 1000000000LL + now->tv_nsec;
    char text[64];
    snprintf(text, sizeof text, "%lld %lld\n", monotonic_ns(), boot);
    if (start < 0) {
        start = boot;
        next_cue = boot + 1;
        stamp("BENCH_START_FILE", text);
    } else if (boot >= next_cue) {
        const long long minute = 60000000000LL;
        next_cue = start + ((boot - start) / minute + 1) * minute;
        const char *path = getenv("BENCH_TICKS_FILE");
        FILE *ticks = path ? fopen(path, "a") : NULL;
        if (ticks) {
            fputs(text, ticks);
            fclose(ticks);
        }
    }
    return result;
}
