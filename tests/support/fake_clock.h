#pragma once
// The one test clock: time moves only when the code under test sleeps, every sleep is recorded, and a test
// can act at any sleep. A run that sleeps without end is stopped with an exception. `realMicrosPerMs` makes
// each sleep also yield real time, for tests with real threads.

#include <chrono>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "hostlink/host_windows.h"

namespace velmora {

class FakeClock : public Clock {
public:
    std::uint64_t nowMs() override { return now_; }
    void sleepMs(unsigned ms) override {
        sleeps_.push_back(ms);
        now_ += ms;
        if (realMicrosPerMs) std::this_thread::sleep_for(std::chrono::microseconds(ms * realMicrosPerMs));
        if (sleeps_.size() > 2000) throw std::runtime_error("the code under test slept without end");
        if (onSleep) onSleep(static_cast<int>(sleeps_.size()), ms);
    }

    const std::vector<unsigned>& sleeps() const { return sleeps_; }

    // Called after each sleep with its number (from 1) and length.
    std::function<void(int, unsigned)> onSleep;
    unsigned realMicrosPerMs = 0;

private:
    std::uint64_t now_ = 0;
    std::vector<unsigned> sleeps_;
};

} // namespace velmora
