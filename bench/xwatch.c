// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

/* Watches the X server for bench/peers.sh, driven by its events, never by polling:
 *
 *   xwatch map SECONDS NAME -- COMMAND [ARG...]
 *     starts COMMAND and prints "pid PID", then "mapped EXEC-NS MAP-NS WINDOW" when the first
 *     window created after the start whose WM_CLASS (either part), _NET_WM_NAME or WM_NAME is NAME
 *     is mapped (CLOCK_MONOTONIC, ns; EXEC-NS is taken just before the fork), or "unmapped" after
 *     SECONDS. Then it lets go of the X server and waits for COMMAND, so that the program stays its
 *     child, and exits with its status.
 *   xwatch damage WINDOW SECONDS
 *     counts the X Damage events on WINDOW over SECONDS and prints "EVENTS UPDATES SECONDS PIXELS":
 *     the damaged rectangles, the displayed updates, one per burst of rectangles (a repaint's
 *     rectangles reach the server together; the next repaint comes at least a few ms later), and
 *     the pixels the rectangles cover, summed.
 *
 * The window manager reparents a program's window into its frame and a tray reparents an icon
 * into itself, so a window is watched on its own (StructureNotify) from its creation on, wherever
 * it ends up, rather than through its parent. */
#define _GNU_SOURCE
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>

/* Rectangles closer than this (server time) belong to the same repaint. */
enum
{
    burst_gap_ms = 4
};

static long long monotonic_ns(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

static void die(const char *what)
{
    fprintf(stderr, "xwatch: %s\n", what);
    exit(2);
}

static xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, (uint16_t)strlen(name), name), NULL);
    xcb_atom_t found = reply ? reply->atom : XCB_ATOM_NONE;
    free(reply);
    return found;
}

/* Whether the property (a string, or WM_CLASS's two strings) holds NAME as a whole string. */
static int property_names(xcb_connection_t *x, xcb_window_t window, xcb_atom_t property,
                          const char *name)
{
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1024), NULL);
    int found = 0;
    if (reply) {
        const char *text = xcb_get_property_value(reply);
        const int length = xcb_get_property_value_length(reply);
        const size_t wanted = strlen(name);
        for (int at = 0; at < length && !found;) {
            const char *end = memchr(text + at, '\0', (size_t)(length - at));
            const int part = end ? (int)(end - (text + at)) : length - at;
            found = (size_t)part == wanted && memcmp(text + at, name, wanted) == 0;
            at += part + 1;
        }
    }
    free(reply);
    return found;
}

static int window_named(xcb_connection_t *x, xcb_window_t window, const char *name,
                        const xcb_atom_t *properties)
{
    for (int i = 0; i < 3; ++i)
        if (properties[i] != XCB_ATOM_NONE && property_names(x, window, properties[i], name))
            return 1;
    return 0;
}

static void watch_window(xcb_connection_t *x, xcb_window_t window)
{
    const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, window, XCB_CW_EVENT_MASK, &mask);
}

/* The next event, or NULL once the deadline (monotonic ns) passed. */
static xcb_generic_event_t *next_event(xcb_connection_t *x, long long deadline)
{
    for (;;) {
        xcb_generic_event_t *event = xcb_poll_for_event(x);
        if (event)
            return event;
        if (xcb_connection_has_error(x))
            die("lost the X server");
        const long long left = deadline - monotonic_ns();
        if (left <= 0)
            return NULL;
        struct pollfd fd = {.fd = xcb_get_file_descriptor(x), .events = POLLIN};
        poll(&fd, 1, (int)(left / 1000000 + 1));
    }
}

static int map_mode(double seconds, const char *name, char **command)
{
    xcb_connection_t *x = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(x))
        die("cannot open the display");
    const xcb_atom_t properties[3] = {XCB_ATOM_WM_CLASS, atom(x, "_NET_WM_NAME"), XCB_ATOM_WM_NAME};
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(x)); screen.rem;
         xcb_screen_next(&screen)) {
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_void_cookie_t done =
            xcb_change_window_attributes_checked(x, screen.data->root, XCB_CW_EVENT_MASK, &mask);
        free(xcb_request_check(x, done));
    }

    const long long started = monotonic_ns();
    const pid_t child = fork();
    if (child < 0)
        die("cannot fork");
    if (child == 0) {
        close(xcb_get_file_descriptor(x));
        execvp(command[0], command);
        _exit(127);
    }
    printf("pid %d\n", (int)child);
    fflush(stdout);

    const long long deadline = started + (long long)(seconds * 1e9);
    xcb_generic_event_t *event;
    long long mapped = 0;
    xcb_window_t found = XCB_WINDOW_NONE;
    while (!mapped && (event = next_event(x, deadline))) {
        const long long now = monotonic_ns();
        switch (event->response_type & 0x7f) {
        case XCB_CREATE_NOTIFY: {
            const xcb_create_notify_event_t *created = (xcb_create_notify_event_t *)event;
            watch_window(x, created->window);
            /* Mapped before the watch took hold: seen now, a little late. */
            xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
                x, xcb_get_window_attributes(x, created->window), NULL);
            if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED &&
                window_named(x, created->window, name, properties)) {
                mapped = monotonic_ns();
                found = created->window;
            }
            free(attributes);
            break;
        }
        case XCB_MAP_NOTIFY: {
            const xcb_map_notify_event_t *map = (xcb_map_notify_event_t *)event;
            if (window_named(x, map->window, name, properties)) {
                mapped = now;
                found = map->window;
            }
            break;
        }
        default:
            break;
        }
        free(event);
    }
    if (mapped)
        printf("mapped %lld %lld %u\n", started, mapped, (unsigned)found);
    else
        printf("unmapped\n");
    fflush(stdout);
    xcb_disconnect(x);

    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        ;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static int damage_mode(xcb_window_t window, double seconds)
{
    xcb_connection_t *x = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(x))
        die("cannot open the display");
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(x, &xcb_damage_id);
    if (!extension || !extension->present)
        die("the X server has no Damage extension");
    free(xcb_damage_query_version_reply(x, xcb_damage_query_version(x, 1, 1), NULL));
    const xcb_damage_damage_t damage = xcb_generate_id(x);
    xcb_void_cookie_t created =
        xcb_damage_create_checked(x, damage, window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
    xcb_generic_error_t *error = xcb_request_check(x, created);
    if (error)
        die("no such window");
    /* The server reports the whole window damaged as the watch begins: that
     * report, in the queue after a round trip, is no repaint. */
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), NULL));
    for (xcb_generic_event_t *initial; (initial = xcb_poll_for_event(x));)
        free(initial);

    const long long started = monotonic_ns();
    const long long deadline = started + (long long)(seconds * 1e9);
    long rectangles = 0, updates = 0;
    long long pixels = 0;
    int seen = 0;
    xcb_timestamp_t last = 0;
    xcb_generic_event_t *event;
    while ((event = next_event(x, deadline))) {
        if ((event->response_type & 0x7f) == extension->first_event + XCB_DAMAGE_NOTIFY) {
            const xcb_damage_notify_event_t *notify = (xcb_damage_notify_event_t *)event;
            ++rectangles;
            pixels += (long long)notify->area.width * notify->area.height;
            if (!seen || notify->timestamp - last > burst_gap_ms)
                ++updates;
            seen = 1;
            last = notify->timestamp;
        }
        free(event);
    }
    printf("%ld %ld %.3f %lld\n", rectangles, updates, (monotonic_ns() - started) / 1e9, pixels);
    xcb_disconnect(x);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc >= 6 && strcmp(argv[1], "map") == 0 && strcmp(argv[4], "--") == 0)
        return map_mode(atof(argv[2]), argv[3], argv + 5);
    if (argc == 4 && strcmp(argv[1], "damage") == 0)
        return damage_mode((xcb_window_t)strtoul(argv[2], NULL, 0), atof(argv[3]));
    fprintf(stderr, "usage: xwatch map SECONDS NAME -- COMMAND [ARG...]\n"
                    "       xwatch damage WINDOW SECONDS\n");
    return 2;
}
