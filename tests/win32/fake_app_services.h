#pragma once
// A stand-in for the application object in window tests: records the module
// selections and checks that the run mode is only written under the state
// lock, which is a real recursive mutex with the application's 3000 ms bound.

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "app/app_services.h"
#include "core/catalogue.h"
#include "framework/sync.h"

namespace velmora::testing {

class FakeAppServices final : public AppServices {
public:
    explicit FakeAppServices(RunMode mode = RunMode::Undecided) : previous_(theApp()), mode_(mode) {
        setTheApp(this);
    }
    ~FakeAppServices() override { setTheApp(previous_); }
    FakeAppServices(const FakeAppServices&) = delete;
    FakeAppServices& operator=(const FakeAppServices&) = delete;

    RegisterBlock* currentEditor() override { return nullptr; }
    bool isHostSynchronised() const override { return false; }
    std::string currentTitle() const override { return title; }
    int moduleIndex() const override { return index; }
    void selectModule(int selected) override {
        selections.push_back(selected);
        index = clampModuleKind(selected);
        title = std::string(ModuleCatalogue[index].defaultTitle);
    }

    void lockState() override {
        ++lockCalls;
        if (mutex_.lock(3000)) {
            owner_ = GetCurrentThreadId();
            ++depth_;
        }
    }
    void unlockState() override {
        ++unlockCalls;
        if (owner_ != GetCurrentThreadId()) return;
        if (--depth_ == 0) owner_ = 0;
        mutex_.unlock();
    }
    RunMode runMode() const override { return mode_; }
    void setRunMode(RunMode mode) override {
        if (owner_ != GetCurrentThreadId()) ++writesOutsideLock;
        mode_ = mode;
    }
    void setMinimisePending(bool pending) override { minimisePending = pending; }

    int index = kModuleCount - 1;
    std::string title;
    std::vector<int> selections;
    std::atomic<int> lockCalls{0};
    std::atomic<int> unlockCalls{0};
    std::atomic<int> writesOutsideLock{0};
    std::atomic<bool> minimisePending{false};

private:
    AppServices* previous_;
    TimedMutex mutex_;
    std::atomic<DWORD> owner_{0};
    int depth_ = 0; // touched by the owner only
    std::atomic<RunMode> mode_;
};

// Dispatches this thread's messages until done() holds or timeoutMs pass;
// the final value of done().
template <class Done>
bool pumpUntil(Done done, unsigned timeoutMs = 3000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// Dispatches what is queued now (posted commands, paints).
inline void pumpPending() {
    pumpUntil([] { return false; }, 50);
}

inline std::string windowText(HWND window) {
    char text[256] = {};
    const int length = GetWindowTextA(window, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// Waits, bounded, for a top-level window of this process with `caption`.
inline HWND waitForWindow(const std::string& caption, unsigned timeoutMs = 3000) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        HWND window = FindWindowA(nullptr, caption.c_str());
        DWORD process = 0;
        if (window) GetWindowThreadProcessId(window, &process);
        if (window && process == GetCurrentProcessId()) return window;
        if (GetTickCount64() >= end) return nullptr;
        Sleep(10);
    }
}

} // namespace velmora::testing
