#include "framework/sync.h"

namespace velmora {

TimedMutex::TimedMutex() : handle_(CreateMutexA(nullptr, FALSE, nullptr)) {}

TimedMutex::TimedMutex(const char* name) : handle_(CreateMutexA(nullptr, FALSE, name)) {}

TimedMutex::~TimedMutex() {
    if (handle_) CloseHandle(handle_);
}

bool TimedMutex::lock(unsigned timeoutMs) {
    if (!handle_) return false;
    const DWORD outcome = WaitForSingleObject(handle_, timeoutMs);
    return outcome == WAIT_OBJECT_0 || outcome == WAIT_ABANDONED;
}

void TimedMutex::unlock() {
    if (handle_) ReleaseMutex(handle_);
}

} // namespace velmora
