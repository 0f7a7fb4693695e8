#pragma once
// A user-interface thread: runs one function on a thread of its own, whose
// message queue exists from the start so that nothing posted to it early is
// lost. The function brings its own message loop (a modal dialog's). Every
// wait for the thread to end is bounded.

#include <windows.h>

#include <functional>

namespace velmora {

class UiThread {
public:
    UiThread() = default;
    // Waits for the thread at most destructionWaitMs, then lets it go.
    virtual ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Starts `body` at most once per object; false when already started or
    // when the thread could not be created. The body's result is the exit code
    // (kFailedExitCode when it throws).
    bool start(std::function<int()> body);

    bool started() const { return handle_ != nullptr; }
    // True when the thread was started and has not ended.
    bool running() const;
    // True when the thread ended within timeoutMs (or never started).
    bool join(unsigned timeoutMs);
    DWORD threadId() const { return threadId_; }

    static constexpr unsigned destructionWaitMs = 5000;
    // The exit code of a thread whose body threw.
    static constexpr DWORD kFailedExitCode = 0xFFFFFFFEu;

private:
    static DWORD WINAPI entry(void* body);

    HANDLE handle_ = nullptr;
    DWORD threadId_ = 0;
};

} // namespace velmora
