#include "support/recursive_timed_lock.h"

#include <chrono>

namespace velmora {

bool RecursiveTimedLock::tryLockFor(unsigned timeoutMs) {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(mutex_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_;
        return true;
    }
    if (!released_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [this] { return depth_ == 0; }))
        return false;
    owner_ = self;
    depth_ = 1;
    return true;
}

void RecursiveTimedLock::unlock() {
    std::unique_lock<std::mutex> guard(mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ > 0) return;
    owner_ = std::thread::id();
    guard.unlock();
    released_.notify_one();
}

} // namespace velmora
