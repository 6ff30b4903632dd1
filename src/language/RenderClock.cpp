#include "RenderClock.h"

RenderClock::RenderClock(Yield yield, StillValid stillValid, int intervalMs)
    : m_yield(std::move(yield)), m_stillValid(std::move(stillValid)), m_intervalMs(intervalMs)
{
    if (m_yield)
        m_timer.start();
}

bool RenderClock::tick()
{
    if (m_stopped)
        return false;
    if (!m_yield || m_timer.elapsed() < m_intervalMs)
        return true;
    m_yield();
    ++m_yields;
    if (m_stillValid && !m_stillValid())
        m_stopped = true;
    m_timer.restart();
    return !m_stopped;
}
