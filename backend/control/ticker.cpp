#include "control/ticker.h"

#include <chrono>

namespace vrn
{

Ticker::Ticker(double periodSeconds, std::function<bool()> tick)
    : m_period(periodSeconds), m_tick(std::move(tick)), m_thread([this] { Loop(); })
{
}

Ticker::~Ticker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void Ticker::Loop()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, std::chrono::duration<double>(m_period), [this] { return m_done; }))
        if (!m_tick())
            return;
}

} // namespace vrn
