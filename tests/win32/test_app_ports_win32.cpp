// The Win32 halves of the run cycle's interfaces, against the real system
// objects: mutexes, the message box, the start-up window on its thread and
// the module list.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "../../resources/resource.h"
#include "app/app_ports_win32.h"
#include "win32/fake_app_services.h"

namespace velmora {
namespace {

using testing::FakeAppServices;
using testing::pumpUntil;
using testing::waitForWindow;
using testing::windowText;

// A mutex name no other test process uses at the same time.
std::string uniqueMutexName(const char* what) {
    return std::string("velmora-test-") + what + "-" + std::to_string(GetCurrentProcessId());
}

// Runs `body` on another thread and returns its result.
template <class Body>
auto onOtherThread(Body body) {
    decltype(body()) result{};
    std::thread([&] { result = body(); }).join();
    return result;
}

TEST(InstanceGuard, KeepsASecondOwnerOutUntilTheFirstEnds) {
    const std::string name = uniqueMutexName("instance");
    auto first = std::make_unique<Win32InstanceGuard>();
    ASSERT_TRUE(first->create(name));
    ASSERT_TRUE(first->acquire(0));

    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(onOtherThread([&] {
        Win32InstanceGuard second;
        return second.create(name) && second.acquire(200);
    }));
    EXPECT_GE(GetTickCount64() - start, 150u) << "the wait is the one asked for";

    first.reset();
    EXPECT_TRUE(onOtherThread([&] {
        Win32InstanceGuard second;
        return second.create(name) && second.acquire(200);
    }));
}

TEST(InstanceGuard, AMutexLeftByAnEndedOwnerCanBeTaken) {
    const std::string name = uniqueMutexName("abandoned");
    // A thread that owns the mutex and ends without releasing it, as a
    // crashed instance would.
    HANDLE leaked = nullptr;
    std::thread([&] { leaked = CreateMutexA(nullptr, TRUE, name.c_str()); }).join();
    ASSERT_NE(leaked, nullptr);

    Win32InstanceGuard guard;
    ASSERT_TRUE(guard.create(name));
    EXPECT_TRUE(guard.acquire(200));
    CloseHandle(leaked);
}

TEST(StateLock, RecursiveForItsOwnerBoundedForOthers) {
    const auto lock = Win32StateLock::create();
    ASSERT_NE(lock, nullptr);
    ASSERT_TRUE(lock->tryLockFor(0));
    ASSERT_TRUE(lock->tryLockFor(0)) << "taken again by its owner";

    const auto otherTries = [&] { return onOtherThread([&] { return lock->tryLockFor(100); }); };
    EXPECT_FALSE(otherTries());
    lock->unlock();
    EXPECT_FALSE(otherTries()) << "still held once";

    // An unlock by a thread that does not own it changes nothing.
    onOtherThread([&] {
        lock->unlock();
        return 0;
    });
    EXPECT_FALSE(otherTries());

    lock->unlock();
    EXPECT_TRUE(onOtherThread([&] {
        const bool taken = lock->tryLockFor(100);
        if (taken) lock->unlock();
        return taken;
    }));
}

// The static control that shows a message box's icon; its id differs by system.
HWND iconControl(HWND box) {
    HWND found = nullptr;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM result) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) return TRUE;
            *reinterpret_cast<HWND*>(result) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(MessageBoxes, SystemModalWithTheTextOneOkButtonAndTheirIcon) {
    // What each box showed: its text, style, buttons and icon.
    struct Shown {
        std::string text;
        bool topmost = false;
        bool hasOk = false;
        bool hasCancel = true;
        LRESULT icon = 0;
    };
    const auto show = [](MessageIcon icon, const std::string& text) {
        Shown shown;
        std::thread watcher([&] {
            const HWND box = waitForWindow("velmora");
            if (!box) return;
            shown.text = windowText(GetDlgItem(box, 0xFFFF));
            shown.topmost = GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST;
            shown.hasOk = GetDlgItem(box, IDOK) != nullptr;
            shown.hasCancel = GetDlgItem(box, IDCANCEL) != nullptr;
            shown.icon = SendMessageA(iconControl(box), STM_GETICON, 0, 0);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Win32MessageBoxes().show(text, icon);
        watcher.join();
        return shown;
    };
    const Shown stop = show(MessageIcon::Stop, "Could not update parameters.");
    const Shown notice = show(MessageIcon::Exclamation, "\"velmora.exe\" already running.");
    for (const Shown& shown : {stop, notice}) {
        EXPECT_TRUE(shown.topmost);
        EXPECT_TRUE(shown.hasOk);
        EXPECT_FALSE(shown.hasCancel);
        EXPECT_NE(shown.icon, 0);
    }
    EXPECT_EQ(stop.text, "Could not update parameters.");
    EXPECT_EQ(notice.text, "\"velmora.exe\" already running.");
    EXPECT_NE(stop.icon, notice.icon);
}

class StartupWindowPortTest : public ::testing::Test {
protected:
    FakeAppServices app{RunMode::Synchronised};
    std::unique_ptr<Win32StartupWindow> port = std::make_unique<Win32StartupWindow>();
};

TEST_F(StartupWindowPortTest, RunsTheWindowOnItsThreadAndEndsIt) {
    EXPECT_FALSE(port->exists());
    ASSERT_TRUE(port->startWaitingThread());
    EXPECT_FALSE(port->startWaitingThread()) << "started at most once";
    ASSERT_TRUE(pumpUntil([&] { return port->exists(); }));
    const HWND window = FindWindowA(nullptr, " Corvent I/O Configuration Tool");
    ASSERT_NE(window, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());

    port->minimise();
    EXPECT_TRUE(pumpUntil([&] { return IsIconic(window) != FALSE; }));
    app.lockState(); // as the poll holds it
    port->updateWaitingCaption();
    app.unlockState();
    EXPECT_EQ(windowText(window), ".Corvent I/O Configuration Tool");
    port->hide();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(window); }));

    const ULONGLONG start = GetTickCount64();
    port->closeAndJoin();
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_FALSE(port->exists());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(app.runMode(), RunMode::Synchronised);
    port.reset();
}

TEST_F(StartupWindowPortTest, DestroyedWhileTheWindowRunsEndsItFirst) {
    ASSERT_TRUE(port->startWaitingThread());
    ASSERT_TRUE(pumpUntil([&] { return port->exists(); }));
    // A standalone run only hid the window; the run cycle then lets it go.
    port->hide();
    port.reset();
    EXPECT_EQ(FindWindowA(nullptr, " Corvent I/O Configuration Tool"), nullptr);
}

TEST_F(StartupWindowPortTest, CloseAndJoinWithoutAThreadReturnsAtOnce) {
    const ULONGLONG start = GetTickCount64();
    port->closeAndJoin();
    port.reset();
    EXPECT_LT(GetTickCount64() - start, 100u);
}

TEST(ModuleListPort, RunsTheListModallyAndItsCancelQuits) {
    FakeAppServices app(RunMode::Standalone);
    std::thread user([] {
        const HWND list = waitForWindow("Select a module");
        pumpUntil([&] { return list && IsWindowVisible(list); });
        if (list) PostMessageA(GetDlgItem(list, IDCANCEL), BM_CLICK, 0, 0);
    });
    Win32ModuleList().runModal();
    user.join();
    EXPECT_EQ(app.runMode(), RunMode::Quit);
}

} // namespace
} // namespace velmora
