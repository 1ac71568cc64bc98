#pragma once

#include <QObject>
#include <optional>

namespace slonk {

// Keeps the screen from blanking while a challenge runs: nobody touches the
// keyboard for 99 minutes.
class ScreenKeeper
{
public:
    virtual ~ScreenKeeper() = default;
    virtual void keepAwake() = 0;
    virtual void release() = 0;
};

// Asks the session's org.freedesktop.ScreenSaver service. Without a session bus
// or without the service, the request simply goes unanswered and the program
// runs on; nothing here ever blocks the user interface for long.
class ScreenSaverKeeper final : public QObject, public ScreenKeeper
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ScreenSaverKeeper() override;
    void keepAwake() override;
    void release() override;

    // The service's cookie while the screen is kept awake.
    std::optional<uint> cookie() const { return cookie_; }

private:
    std::optional<uint> cookie_;
    bool wanted_ = false;
};

} // namespace slonk
