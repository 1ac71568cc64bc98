// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

/* How late this machine runs a real-time thread, for bench/stress.sh:
 *
 *   rt_stalls THRESHOLD-MS
 *     one SCHED_FIFO thread on each CPU, above the sound servers' priority, wakes every 5 ms and
 *     prints "STAMP CPU LATE-MS" for each wake-up more than THRESHOLD-MS late, until killed. STAMP
 *     is CLOCK_MONOTONIC_RAW seconds, the clock of PipeWire's log, so a stall lines up with the
 *     graph cycles the log says a client missed.
 *
 * A sound server's real-time thread has one graph cycle (23 ms at PipeWire's usual 1024 frames)
 * to do its clients' share. A virtual machine whose host leaves a CPU unrun for longer than that
 * makes the server miss the cycle, whatever its clients do. The watching threads do microseconds
 * of work per wake-up. */
#define _GNU_SOURCE
#include <pthread.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum
{
    PeriodNs = 5000000,
    Priority = 90
};

static double thresholdMs;

static double seconds(clockid_t clock)
{
    struct timespec now;
    clock_gettime(clock, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

static void *watch(void *arg)
{
    const int cpu = (int)(long)arg;
    struct timespec due;
    clock_gettime(CLOCK_MONOTONIC, &due);
    for (;;) {
        due.tv_nsec += PeriodNs;
        if (due.tv_nsec >= 1000000000) {
            due.tv_nsec -= 1000000000;
            due.tv_sec++;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, NULL) != 0) {
        }
        const double lateMs = (seconds(CLOCK_MONOTONIC) - (due.tv_sec + due.tv_nsec / 1e9)) * 1e3;
        if (lateMs > thresholdMs) {
            printf("%.6f %d %.2f\n", seconds(CLOCK_MONOTONIC_RAW), cpu, lateMs);
            fflush(stdout);
        }
    }
    return NULL;
}

int main(int argc, char **argv)
{
    if (argc != 2 || (thresholdMs = atof(argv[1])) <= 0) {
        fprintf(stderr, "usage: %s THRESHOLD-MS\n", argv[0]);
        return 2;
    }
    const long cpus = sysconf(_SC_NPROCESSORS_ONLN);
    for (long cpu = 0; cpu < cpus && cpu < CPU_SETSIZE; cpu++) {
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(cpu, &set);
        const struct sched_param param = {.sched_priority = Priority};
        pthread_attr_setaffinity_np(&attr, sizeof set, &set);
        pthread_attr_setinheritsched(&attr, PTHREAD_EXPLICIT_SCHED);
        pthread_attr_setschedpolicy(&attr, SCHED_FIFO);
        pthread_attr_setschedparam(&attr, &param);
        pthread_t thread;
        const int error = pthread_create(&thread, &attr, watch, (void *)cpu);
        pthread_attr_destroy(&attr);
        if (error != 0) {
            fprintf(stderr, "rt_stalls: no real-time thread on CPU %ld: %s\n", cpu,
                    strerror(error));
            return 1;
        }
    }
    pause();
    return 0;
}
