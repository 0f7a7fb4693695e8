#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/config_app.h"

namespace velmora {

// A StateLock on the standard library, for any platform whose threads it
// knows. Like a Win32 mutex, an unlock by a thread that does not own it
// changes nothing. Built on a condition variable rather than
// std::recursive_timed_mutex, whose timed wait thread checkers cannot follow.
class RecursiveTimedLock final : public StateLock {
public:
    bool tryLockFor(unsigned timeoutMs) override;
    void unlock() override;

private:
    std::mutex mutex_;
    std::condition_variable released_;
    std::thread::id owner_;
    int depth_ = 0;
};

} // namespace velmora
