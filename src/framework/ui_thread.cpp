#include "framework/ui_thread.h"

#include <memory>

namespace velmora {

UiThread::~UiThread() {
    if (!handle_) return;
    join(destructionWaitMs);
    CloseHandle(handle_);
}

bool UiThread::start(std::function<int()> body) {
    if (handle_ || !body) return false;
    // The thread owns its body, so this object may go before the thread does.
    auto* owned = new std::function<int()>(std::move(body));
    handle_ = CreateThread(nullptr, 0, entry, owned, 0, &threadId_);
    if (!handle_) delete owned;
    return handle_ != nullptr;
}

bool UiThread::running() const {
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool UiThread::join(unsigned timeoutMs) {
    return !handle_ || WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD WINAPI UiThread::entry(void* body) {
    // The first call to PeekMessage gives the thread its message queue.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const std::unique_ptr<std::function<int()>> owned(static_cast<std::function<int()>*>(body));
    try {
        return static_cast<DWORD>((*owned)());
    } catch (...) {
        // A failed body ends its thread, never the process.
        return kFailedExitCode;
    }
}

} // namespace velmora
