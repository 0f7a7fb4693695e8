// The application's own windows over their real templates, and the Win32
// ports of the run cycle against the real system objects: what each button
// does to the run mode (always under the state lock), the waiting caption,
// the About box, the module list, the message boxes, the instance mutex and
// the state lock's bounds.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../../resources/resource.h"
#include "app/app_ports_win32.h"
#include "app/module_select_dialog_win32.h"
#include "app/startup_dialog_win32.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

bool noticeShown(HWND startup) {
    return IsWindowVisible(GetDlgItem(startup, IDC_WAITING_NOTICE));
}

TEST(StartupWindow, ButtonsAndCloseSetTheRunModeUnderTheLock) {
    enum class Act { Click, Close, SystemClose, Enter };
    struct Case {
        const char* name;
        RunMode before;
        Act act;
        int button;
        RunMode after;
        bool stillOpen, minimisePending, noticeShown;
    };
    const Case cases[] = {
        {"Concept Sync", RunMode::Undecided, Act::Click, IDC_CONCEPT_SYNC, RunMode::Synchronised, true, true,
         true},
        {"Standalone", RunMode::Undecided, Act::Click, IDC_STANDALONE, RunMode::Standalone, true, false,
         false},
        {"Cancel", RunMode::Undecided, Act::Click, IDCANCEL, RunMode::Quit, false, false, false},
        {"Cancel after Standalone", RunMode::Standalone, Act::Click, IDCANCEL, RunMode::Standalone, false,
         false, false},
        {"close box", RunMode::Undecided, Act::Close, 0, RunMode::Quit, false, false, false},
        {"system menu Close", RunMode::Synchronised, Act::SystemClose, 0, RunMode::Quit, false, false, false},
        {"Enter decides nothing", RunMode::Undecided, Act::Enter, 0, RunMode::Undecided, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAppServices app(c.before);
        StartupDialog startup;
        ASSERT_TRUE(startup.createModeless());
        const HWND window = startup.hwnd();
        EXPECT_FALSE(noticeShown(window));
        if (c.act == Act::Click) click(window, c.button);
        if (c.act == Act::Close) SendMessageA(window, WM_CLOSE, 0, 0);
        if (c.act == Act::SystemClose) SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        if (c.act == Act::Enter) SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        pumpUntil([&] { return !IsWindow(window); }, c.stillOpen ? 100 : 3000);
        EXPECT_EQ(app.runMode(), c.after);
        EXPECT_EQ(app.writesOutsideLock, 0);
        EXPECT_FALSE(app.lockHeld());
        EXPECT_EQ(app.minimisePending, c.minimisePending);
        ASSERT_EQ(IsWindow(window) != FALSE, c.stillOpen);
        EXPECT_EQ(c.stillOpen && noticeShown(window), c.noticeShown);
    }
}

TEST(StartupWindow, WaitingCaptionBlinksFromTheTemplatesCaption) {
    FakeAppServices app;
    StartupDialog startup;
    ASSERT_TRUE(startup.createModeless());
    ASSERT_TRUE(pumpUntil([&] { return startup.exists(); }));
    EXPECT_EQ(windowText(startup.hwnd()), " Corvent I/O Configuration Tool");
    const std::vector<std::string> steps{".Corvent I/O Configuration Tool", " Waiting for Concept.",
                                         ".Waiting for Concept.", " Waiting for Concept."};
    for (std::size_t step = 0; step < steps.size(); ++step) {
        startup.updateWaitingCaption();
        EXPECT_EQ(windowText(startup.hwnd()), steps[step]) << step;
        EXPECT_TRUE(pumpUntil([&] { return noticeShown(startup.hwnd()) == (step > 0); }, 1000)) << step;
        EXPECT_FALSE(app.lockHeld());
    }
}

// Any system command 16-31 (the system keeps the low four bits) opens the
// About box over the start-up window, from the item added to its menu.
TEST(StartupWindow, SystemMenuItemOpensTheAboutBox) {
    FakeAppServices app;
    StartupDialog startup;
    ASSERT_TRUE(startup.createModeless());
    char item[64] = {};
    GetMenuStringA(GetSystemMenu(startup.hwnd(), FALSE), IDM_ABOUTBOX, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "&About velmora...");
    for (const WPARAM command : {IDM_ABOUTBOX + 15, IDM_ABOUTBOX + 16}) {
        std::string version, build;
        HWND owner = nullptr;
        std::thread user([&] {
            const HWND about = waitForWindow("About velmora", command < 32 ? 3000 : 500);
            if (!about) return;
            version = windowText(GetDlgItem(about, IDC_VERSION));
            build = windowText(GetDlgItem(about, IDC_BUILD_TIME));
            owner = GetWindow(about, GW_OWNER);
            PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        SendMessageA(startup.hwnd(), WM_SYSCOMMAND, command, 0);
        user.join();
        EXPECT_EQ(version, command < 32 ? "Version 5.4" : "") << command;
        EXPECT_EQ(build.rfind("Build Date/Time:\n", 0), command < 32 ? 0u : std::string::npos) << build;
        EXPECT_EQ(owner, command < 32 ? startup.hwnd() : nullptr);
    }
    EXPECT_EQ(app.runMode(), RunMode::Undecided);
}

TEST(ModuleList, ListsTheCatalogueAndSelectsOrQuitsAsTheUserDoes) {
    enum class Act { Select, DoubleClick, Ok, Cancel, Close };
    struct Case {
        std::vector<std::pair<Act, int>> acts; // with the entry for Select and DoubleClick
        std::vector<int> selected;
        INT_PTR result;
        RunMode mode;
    };
    const Case cases[] = {
        {{{Act::Select, 0}, {Act::Select, 5}, {Act::Ok, 0}}, {0, 5}, IDOK, RunMode::Standalone},
        {{{Act::Select, 1}, {Act::DoubleClick, 6}}, {1, 6}, IDOK, RunMode::Standalone},
        {{{Act::Select, 2}, {Act::Cancel, 0}}, {2}, IDCANCEL, RunMode::Quit},
        {{{Act::Close, 0}}, {}, IDCANCEL, RunMode::Quit},
    };
    for (const Case& c : cases) {
        FakeAppServices app(RunMode::Standalone);
        app.index = 3; // the module selected before is preselected, not selected again
        ModuleSelectDialog list;
        ASSERT_TRUE(list.createModeless());
        const HWND window = list.hwnd();
        ASSERT_EQ(list.listCount(IDC_MODULE_LIST), kModuleCount);
        for (int kind = 0; kind < kModuleCount; ++kind)
            EXPECT_EQ(list.listText(IDC_MODULE_LIST, kind), ModuleCatalogue[kind].listName);
        EXPECT_EQ(list.listSelection(IDC_MODULE_LIST), 3);
        for (const auto& [act, entry] : c.acts) {
            if (act == Act::Select || act == Act::DoubleClick) {
                SendDlgItemMessageA(window, IDC_MODULE_LIST, LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
                SendMessageA(window, WM_COMMAND,
                             MAKEWPARAM(IDC_MODULE_LIST, act == Act::Select ? LBN_SELCHANGE : LBN_DBLCLK),
                             reinterpret_cast<LPARAM>(list.item(IDC_MODULE_LIST)));
            }
            if (act == Act::Ok || act == Act::Cancel) click(window, act == Act::Ok ? IDOK : IDCANCEL);
            if (act == Act::Close) SendMessageA(window, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
        EXPECT_EQ(list.result(), c.result);
        EXPECT_EQ(app.selections, c.selected);
        EXPECT_EQ(app.title, c.selected.empty()
                                 ? "KTR-TEST-00VM"
                                 : std::string(ModuleCatalogue[c.selected.back()].defaultTitle));
        EXPECT_EQ(app.runMode(), c.mode);
        EXPECT_EQ(app.writesOutsideLock, 0);
        EXPECT_FALSE(app.lockHeld());
    }
}

TEST(MessageBoxes, SystemModalWithTheirTextOneOkButtonAndTheirIcon) {
    struct Shown {
        std::string text;
        bool topmost = false, ok = false, cancel = true;
        HICON icon = nullptr;
    };
    const auto show = [](MessageIcon icon, const std::string& text) {
        Shown shown;
        std::thread user([&] {
            const HWND box = waitForWindow("velmora");
            if (!box) return;
            shown = {windowText(GetDlgItem(box, 0xFFFF)),
                     (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
                     GetDlgItem(box, IDOK) != nullptr, GetDlgItem(box, IDCANCEL) != nullptr, nullptr};
            // The icon's static control: its id differs from system to system.
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    shown.icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Win32MessageBoxes().show(text, icon);
        user.join();
        return shown;
    };
    const Shown stop = show(MessageIcon::Stop, "Could not update parameters.");
    const Shown notice = show(MessageIcon::Exclamation, "\"velmora.exe\" already running.");
    EXPECT_EQ(stop.text, "Could not update parameters.");
    EXPECT_EQ(notice.text, "\"velmora.exe\" already running.");
    for (const Shown& shown : {stop, notice}) {
        EXPECT_TRUE(shown.topmost);
        EXPECT_TRUE(shown.ok);
        EXPECT_FALSE(shown.cancel);
    }
    EXPECT_EQ(stop.icon, LoadIconA(nullptr, IDI_HAND));
    EXPECT_EQ(notice.icon, LoadIconA(nullptr, IDI_EXCLAMATION));
}

// Runs `body` on another thread and returns its result.
template <class Body>
auto onOtherThread(Body body) {
    decltype(body()) result{};
    std::thread([&] { result = body(); }).join();
    return result;
}

TEST(InstanceGuard, KeepsASecondOwnerOutForTheWaitAskedAndTakesAnAbandonedMutex) {
    const std::string name = "velmora-test-instance-" + std::to_string(GetCurrentProcessId());
    const auto second = [&] {
        Win32InstanceGuard guard;
        return guard.create(name) && guard.acquire(200);
    };
    auto first = std::make_unique<Win32InstanceGuard>();
    ASSERT_TRUE(first->create(name) && first->acquire(0));
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(onOtherThread(second));
    EXPECT_GE(GetTickCount64() - start, 150u);
    first.reset();
    EXPECT_TRUE(onOtherThread(second));

    // Left owned by a thread that ended, as by a crashed instance.
    HANDLE leaked = nullptr;
    std::thread([&] { leaked = CreateMutexA(nullptr, TRUE, name.c_str()); }).join();
    EXPECT_TRUE(second());
    CloseHandle(leaked);
}

TEST(StateLock, RecursiveForItsOwnerBoundedForOthers) {
    const auto lock = Win32StateLock::create();
    ASSERT_NE(lock, nullptr);
    ASSERT_TRUE(lock->tryLockFor(0) && lock->tryLockFor(0));
    const auto otherTakes = [&] {
        return onOtherThread([&] {
            const ULONGLONG start = GetTickCount64();
            const bool taken = lock->tryLockFor(100);
            if (taken) lock->unlock();
            return taken ? 0 : GetTickCount64() - start;
        });
    };
    lock->unlock();
    const ULONGLONG waited = otherTakes();
    EXPECT_GE(waited, 80u) << "still held once, the wait is the one asked for";
    EXPECT_LT(waited, 1000u);
    onOtherThread([&] { // an unlock by a thread that does not own it changes nothing
        lock->unlock();
        return 0;
    });
    EXPECT_NE(otherTakes(), 0u);
    lock->unlock();
    EXPECT_EQ(otherTakes(), 0u);
}

// The run cycle's view: the window on its own thread, reached only through the port.
TEST(StartupWindowPort, RunsTheWindowOnItsThreadAndEndsItWithinTheBound) {
    FakeAppServices app(RunMode::Synchronised);
    auto port = std::make_unique<Win32StartupWindow>();
    ASSERT_TRUE(port->startWaitingThread());
    EXPECT_FALSE(port->startWaitingThread()) << "started at most once";
    ASSERT_TRUE(pumpUntil([&] { return port->exists(); }));
    const HWND window = FindWindowA(nullptr, " Corvent I/O Configuration Tool");
    ASSERT_NE(window, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    port->minimise();
    EXPECT_TRUE(pumpUntil([&] { return IsIconic(window) != FALSE; }));
    port->updateWaitingCaption();
    EXPECT_EQ(windowText(window), ".Corvent I/O Configuration Tool");
    port->hide();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(window); }));
    // An About box open on the window's thread ends with it.
    PostMessageA(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_NE(waitForWindow("About velmora"), nullptr);
    const ULONGLONG start = GetTickCount64();
    port->closeAndJoin();
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindWindowA(nullptr, "About velmora"), nullptr);
    EXPECT_EQ(app.runMode(), RunMode::Synchronised) << "closing from outside decides nothing";
}

TEST(StartupWindowPort, CloseRequestedBeforeTheWindowExistsStillEndsIt) {
    FakeAppServices app;
    StartupDialog dialog;
    CSplsThrd thread;
    ASSERT_TRUE(thread.start(dialog));
    dialog.requestClose();
    EXPECT_TRUE(thread.join(3000));
    EXPECT_EQ(app.runMode(), RunMode::Undecided);
}

} // namespace
} // namespace velmora
