#pragma once

#include <QElapsedTimer>

#include <functional>

// Lets the event loop run about every 30 ms during a long render. The passes call tick() often;
// only the clock decides when to yield. After a yield the render asks whether it may go on (the
// document may have changed meanwhile).
class RenderClock {
public:
    using Yield = std::function<void()>;
    using StillValid = std::function<bool()>;

    static constexpr int IntervalMs = 30;

    RenderClock() = default;
    RenderClock(Yield yield, StillValid stillValid, int intervalMs = IntervalMs);

    // False once the render has to stop.
    bool tick();
    bool stopped() const { return m_stopped; }
    int yields() const { return m_yields; }

private:
    Yield m_yield;
    StillValid m_stillValid;
    QElapsedTimer m_timer;
    int m_intervalMs = IntervalMs;
    int m_yields = 0;
    bool m_stopped = false;
};
