#pragma once
// Mutexes whose every wait is bounded. A Win32 mutex is recursive for the
// thread that owns it, which the state lock relies on.

#include <windows.h>

namespace velmora {

class TimedMutex {
public:
    // Unnamed: private to this process.
    TimedMutex();
    // Named: one object for every process that opens the same name.
    explicit TimedMutex(const char* name);
    ~TimedMutex();
    TimedMutex(const TimedMutex&) = delete;
    TimedMutex& operator=(const TimedMutex&) = delete;

    // False when the system could not create the mutex.
    bool valid() const { return handle_ != nullptr; }
    // True when the calling thread owns it (again) within timeoutMs. A mutex
    // left behind by a thread or process that ended counts as owned.
    bool lock(unsigned timeoutMs);
    // Harmless when the caller does not own it.
    void unlock();

private:
    HANDLE handle_;
};

// Owns the mutex from construction to destruction if the bounded wait succeeded.
class TimedLock {
public:
    TimedLock(TimedMutex& mutex, unsigned timeoutMs) : mutex_(mutex), owns_(mutex.lock(timeoutMs)) {}
    ~TimedLock() {
        if (owns_) mutex_.unlock();
    }
    TimedLock(const TimedLock&) = delete;
    TimedLock& operator=(const TimedLock&) = delete;

    bool owns() const { return owns_; }

private:
    TimedMutex& mutex_;
    bool owns_;
};

} // namespace velmora
