// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

/* Preloaded into the program: every open of a file named slonk.wav waits
 * $SLOWFILE_SECONDS seconds first, or never returns when that is "forever", as
 * on a hung network folder. The wait is a pause, not a busy loop, and no signal
 * ends it: the program blocks its termination signals in every thread.
 * With SLOWFILE_HANG_DISPLAY set, closing the display connection (Xlib's or
 * Wayland's, which only the toolkit's teardown does) never returns either, as
 * when that teardown hangs. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

static void hang(void)
{
    for (;;)
        pause();
}

static void wait_if_cue(const char *path)
{
    const char *name = strrchr(path, '/');
    if (strcmp(name ? name + 1 : path, "slonk.wav") != 0)
        return;
    const char *seconds = getenv("SLOWFILE_SECONDS");
    if (!seconds)
        return;
    if (strcmp(seconds, "forever") == 0)
        hang();
    struct timespec left = {atoi(seconds), 0};
    while (nanosleep(&left, &left) != 0)
        ;
}

typedef int (*open_t)(const char *, int, ...);
typedef int (*openat_t)(int, const char *, int, ...);

static mode_t mode_of(int flags, va_list args)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
}

#define OPEN(name)                                                                                 \
    int name(const char *path, int flags, ...)                                                     \
    {                                                                                              \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = mode_of(flags, args);                                                  \
        va_end(args);                                                                              \
        wait_if_cue(path);                                                                         \
        return ((open_t)dlsym(RTLD_NEXT, #name))(path, flags, mode);                               \
    }
#define OPENAT(name)                                                                               \
    int name(int dir, const char *path, int flags, ...)                                            \
    {                                                                                              \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = mode_of(flags, args);                                                  \
        va_end(args);                                                                              \
        wait_if_cue(path);                                                                         \
        return ((openat_t)dlsym(RTLD_NEXT, #name))(dir, path, flags, mode);                        \
    }

OPEN(open)
OPEN(open64)
OPENAT(openat)
OPENAT(openat64)

int XCloseDisplay(void *display)
{
    if (getenv("SLOWFILE_HANG_DISPLAY"))
        hang();
    return ((int (*)(void *))dlsym(RTLD_NEXT, "XCloseDisplay"))(display);
}

void wl_display_disconnect(void *display)
{
    if (getenv("SLOWFILE_HANG_DISPLAY"))
        hang();
    ((void (*)(void *))dlsym(RTLD_NEXT, "wl_display_disconnect"))(display);
}
