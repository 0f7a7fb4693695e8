#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/config_app.h"

namespace velmora {

// A StateLock on the standard library, for the tests with real threads. Like a
// Win32 mutex, an unlock by a thread that does not own it changes nothing.
// Built on a condition variable rather than std::recursive_timed_mutex, whose
// timed wait thread checkers cannot follow.
class RecursiveTimedLock final : public StateLock {
public:
    bool tryLockFor(unsigned timeoutMs) override {
        std::unique_lock<std::mutex> guard(mutex_);
        const auto self = std::this_thread::get_id();
        if (!released_.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                                [&] { return depth_ == 0 || owner_ == self; }))
            return false;
        owner_ = self;
        ++depth_;
        return true;
    }
    void unlock() override {
        const std::lock_guard<std::mutex> guard(mutex_);
        if (depth_ > 0 && owner_ == std::this_thread::get_id() && --depth_ == 0) released_.notify_one();
    }

private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    int depth_ = 0;
};

} // namespace velmora
