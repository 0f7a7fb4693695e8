#pragma once
// The Win32 halves of the run cycle's interfaces: the instance mutex, the
// state lock, the message boxes, the start-up window on its waiting thread
// and the module list.

#include <memory>
#include <string_view>

#include "app/config_app.h"

namespace velmora {

class TimedMutex;
class StartupDialog;
class CSplsThrd;

class Win32InstanceGuard final : public InstanceGuard {
public:
    Win32InstanceGuard();
    ~Win32InstanceGuard() override; // releases the mutex if owned

    bool create(std::string_view name) override;
    bool acquire(unsigned timeoutMs) override;

private:
    std::unique_ptr<TimedMutex> mutex_;
    bool owned_ = false;
};

// An unnamed Win32 mutex: recursive for its owner, and an unlock by a thread
// that does not own it changes nothing.
class Win32StateLock final : public StateLock {
public:
    // Null when the system could not create the mutex.
    static std::unique_ptr<StateLock> create();
    ~Win32StateLock() override;

    bool tryLockFor(unsigned timeoutMs) override;
    void unlock() override;

private:
    explicit Win32StateLock(std::unique_ptr<TimedMutex> mutex);
    std::unique_ptr<TimedMutex> mutex_;
};

class Win32MessageBoxes final : public MessageBoxes {
public:
    void show(std::string_view text, MessageIcon icon) override;
};

class Win32StartupWindow final : public StartupWindowPort {
public:
    Win32StartupWindow();
    // Closes and joins first; if the waiting thread still has not ended, the
    // window and thread objects are left to the ending process rather than
    // freed under it.
    ~Win32StartupWindow() override;

    bool exists() override;
    void minimise() override;
    void hide() override;
    void updateWaitingCaption() override;
    bool startWaitingThread() override;
    void closeAndJoin() override;

    // The longest closeAndJoin waits: a button handler of the window may be
    // waiting up to 3000 ms for the state lock when the close arrives.
    static constexpr unsigned joinWaitMs = 5000;

private:
    std::unique_ptr<StartupDialog> dialog_;
    std::unique_ptr<CSplsThrd> thread_;
};

class Win32ModuleList final : public ModuleListPort {
public:
    void runModal() override;
};

} // namespace velmora
