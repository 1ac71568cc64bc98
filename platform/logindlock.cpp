// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#include "logindlock.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <system_error>
#include <systemd/sd-bus.h>
#include <thread>
#include <unistd.h>

namespace slonk {
namespace {

// No system bus, or no logind on it: a desktop without them, not a failure.
bool absent(int result, const sd_bus_error &error)
{
    if (sd_bus_error_is_set(&error))
        return sd_bus_error_has_name(&error, SD_BUS_ERROR_SERVICE_UNKNOWN) ||
               sd_bus_error_has_name(&error, SD_BUS_ERROR_NAME_HAS_NO_OWNER);
    return result == -ENOENT || result == -ECONNREFUSED;
}

} // namespace

struct LogindIdleLock::Room
{
    struct Request
    {
        bool take;
        std::string who;
        std::string why;
    };

    void run();
    void take(const Request &request);
    void letGo();

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<Request> requests; // carried out in order: a release after its request
    bool ending = false;
    bool ended = false;
    // The thread's own.
    sd_bus *bus = nullptr;
    int held = -1;
};

LogindIdleLock::LogindIdleLock() : room_(std::make_shared<Room>())
{
    // Detached: a call to a stalled daemon must not hold the program's end.
    // The thread keeps what it uses alive for as long as it runs.
    try {
        std::thread([room = room_] { room->run(); }).detach();
    } catch (const std::system_error &error) {
        std::fprintf(stderr, "slonk: logind is not asked to keep the session awake: %s\n",
                     error.what());
        room_->ending = room_->ended = true;
    }
}

LogindIdleLock::~LogindIdleLock()
{
    end();
}

void LogindIdleLock::end()
{
    const std::lock_guard lock(room_->mutex);
    room_->ending = true;
    room_->changed.notify_all();
}

bool LogindIdleLock::ended() const
{
    const std::lock_guard lock(room_->mutex);
    return room_->ended;
}

void LogindIdleLock::take(const std::string &who, const std::string &why)
{
    const std::lock_guard lock(room_->mutex);
    if (room_->ending)
        return;
    room_->requests.push_back({true, who, why});
    room_->changed.notify_all();
}

void LogindIdleLock::release()
{
    const std::lock_guard lock(room_->mutex);
    room_->requests.push_back({false, {}, {}});
    room_->changed.notify_all();
}

void LogindIdleLock::Room::run()
{
    for (;;) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return ending || !requests.empty(); });
        if (ending)
            break;
        const Request request = std::move(requests.front());
        requests.pop_front();
        lock.unlock();
        if (request.take)
            take(request);
        else
            letGo();
    }
    letGo();
    sd_bus_close_unref(bus);
    const std::lock_guard lock(mutex);
    ended = true;
    changed.notify_all();
}

void LogindIdleLock::Room::take(const Request &request)
{
    if (held >= 0)
        return;
    if (!bus && sd_bus_open_system(&bus) < 0) {
        bus = nullptr;
        return; // no system bus
    }
    sd_bus_message *call = nullptr;
    sd_bus_message *reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    int result = sd_bus_message_new_method_call(bus, &call, "org.freedesktop.login1",
                                                "/org/freedesktop/login1",
                                                "org.freedesktop.login1.Manager", "Inhibit");
    // Starting a service the desktop does not run would change the desktop.
    if (result >= 0)
        result = sd_bus_message_set_auto_start(call, 0);
    // Idleness alone, blocked rather than delayed.
    if (result >= 0)
        result = sd_bus_message_append(call, "ssss", "idle", request.who.c_str(),
                                       request.why.c_str(), "block");
    if (result >= 0)
        result = sd_bus_call(bus, call, 0, &error, &reply); // the bus's own timeout
    int descriptor = -1;
    char reason[128];
    if (result >= 0)
        result = sd_bus_message_read(reply, "h", &descriptor);
    if (result >= 0)
        held = fcntl(descriptor, F_DUPFD_CLOEXEC, 3); // the reply's own closes with it
    else if (!absent(result, error))
        std::fprintf(stderr, "slonk: org.freedesktop.login1.Manager.Inhibit: %s (%s)\n",
                     sd_bus_error_is_set(&error) ? error.message
                                                 : strerror_r(-result, reason, sizeof reason),
                     sd_bus_error_is_set(&error) ? error.name : "no answer");
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
}

void LogindIdleLock::Room::letGo()
{
    // logind lets go once the last copy of its descriptor closes: this one.
    if (held >= 0)
        ::close(held);
    held = -1;
}

} // namespace slonk
