// A thread that wakes every `period` seconds and calls `tick` until the ticker is destroyed or `tick`
// returns false. The waiting threads of a run share it: the progress lines, the stop watchdog and the
// stop relay.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vrn
{

class Ticker
{
public:
    Ticker(double periodSeconds, std::function<bool()> tick);
    // Wakes the thread at once and waits for it: no tick runs after the destructor.
    ~Ticker();
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

private:
    double m_period;
    std::function<bool()> m_tick;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread; // last: it starts once the members above exist
    void Loop();
};

} // namespace vrn
