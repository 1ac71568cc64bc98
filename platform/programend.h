// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

#include "platform.h"

namespace slonk {

// Leaves the event loop, so no queued event runs after the current one and
// main() returns 0 with everything torn down in order.
class EventLoopEnd final : public ProgramEnd
{
public:
    void end() override;
};

} // namespace slonk
