// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include <memory>
#include <string>

namespace slonk {

// logind's idle inhibitor ("idle", blocked rather than delayed), held by the
// descriptor logind hands over until it is closed. It lives on a thread of
// its own with a system bus connection of its own (sd-bus), apart from Qt's:
// Qt connects each bus at its first use and waits there, under a lock every
// other bus shares, so a stalled system bus daemon would hold the window's
// thread at START. Here nothing the window's thread calls waits: requests are
// queued and carried out in order, and the end waits for nothing: its owner
// bounds that wait (ended()).
//
// A system bus or a logind that is not there is passed over in silence; any
// other failure is one line on standard error.
class LogindIdleLock final
{
public:
    LogindIdleLock();
    ~LogindIdleLock(); // ends, without waiting
    LogindIdleLock(const LogindIdleLock &) = delete;
    LogindIdleLock &operator=(const LogindIdleLock &) = delete;

    // Asks logind for the lock on behalf of `who` (an application id).
    void take(const std::string &who, const std::string &why);
    // Lets go of it: at once when held, else once its answer has come.
    void release();
    // Lets go of it and ends the thread, without waiting: a call to a stalled
    // daemon may never return. Nothing asked after this is carried out.
    void end();
    // Whether the thread has let go and ended.
    bool ended() const;

private:
    struct Room;
    std::shared_ptr<Room> room_; // shared with the thread, which may outlive this
};

} // namespace slonk
