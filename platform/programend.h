#pragma once

namespace slonk {

// Ends the program with exit code 0.
class ProgramEnd
{
public:
    virtual ~ProgramEnd() = default;
    virtual void end() = 0;
};

// Leaves the event loop, so no queued event runs after the current one and
// main() returns 0 with everything torn down in order.
class EventLoopEnd final : public ProgramEnd
{
public:
    void end() override;
};

} // namespace slonk
