// The application's own windows over their real templates, and the Win32
// ports of the run cycle against the real system objects: what each button
// does to the run mode (always under the state lock), the module list, the
// message boxes, the instance mutex, the state lock's bounds, and the
// start-up window on its own thread with its caption and About box.

#include <future>
#include <thread>

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
    using enum RunMode;
    struct Case {
        const char* name;
        RunMode before, after;
        UINT control, message, wParam;   // control 0: the window itself
        bool stillOpen, minimisePending; // the latter with the waiting notice shown
    };
    const Case cases[] = {
        {"Concept Sync", Undecided, Synchronised, IDC_CONCEPT_SYNC, BM_CLICK, 0, true, true},
        {"Standalone", Undecided, Standalone, IDC_STANDALONE, BM_CLICK, 0, true, false},
        {"Cancel", Undecided, Quit, IDCANCEL, BM_CLICK, 0, false, false},
        {"Cancel after Standalone", Standalone, Standalone, IDCANCEL, BM_CLICK, 0, false, false},
        {"close box", Undecided, Quit, 0, WM_CLOSE, 0, false, false},
        {"system menu Close", Synchronised, Quit, 0, WM_SYSCOMMAND, SC_CLOSE, false, false},
        {"Enter decides nothing", Undecided, Undecided, 0, WM_COMMAND, IDOK, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAppServices app(c.before);
        StartupDialog startup;
        ASSERT_TRUE(startup.createModeless());
        const HWND window = startup.hwnd();
        EXPECT_FALSE(noticeShown(window));
        SendMessageA(c.control ? GetDlgItem(window, c.control) : window, c.message, c.wParam, 0);
        pumpUntil([&] { return !IsWindow(window); }, c.stillOpen ? 100 : 3000);
        EXPECT_EQ(app.runMode(), c.after);
        EXPECT_EQ(app.writesOutsideLock, 0);
        EXPECT_FALSE(app.lockHeld());
        EXPECT_EQ(app.minimisePending, c.minimisePending);
        EXPECT_EQ(IsWindow(window) != FALSE, c.stillOpen);
        EXPECT_EQ(c.stillOpen && noticeShown(window), c.minimisePending);
    }
}

TEST(ModuleList, ListsTheCatalogueAndSelectsOrQuitsAsTheUserDoes) {
    // The entries chosen (~entry: double-clicked), the modules selected, then the button clicked (0: none,
    // -1: the close box).
    struct Case {
        std::vector<int> picks, selected;
        int button;
        RunMode mode;
    };
    const Case cases[] = {{{0, 5}, {0, 5}, IDOK, RunMode::Standalone},
                          {{1, ~6}, {1, 6}, 0, RunMode::Standalone},
                          {{2}, {2}, IDCANCEL, RunMode::Quit},
                          {{}, {}, -1, RunMode::Quit}};
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
        for (const int pick : c.picks) {
            SendDlgItemMessageA(window, IDC_MODULE_LIST, LB_SETCURSEL,
                                static_cast<WPARAM>(pick < 0 ? ~pick : pick), 0);
            SendMessageA(window, WM_COMMAND,
                         MAKEWPARAM(IDC_MODULE_LIST, pick < 0 ? LBN_DBLCLK : LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list.item(IDC_MODULE_LIST)));
        }
        if (c.button > 0) sendClick(window, c.button);
        if (c.button < 0) SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
        EXPECT_EQ(list.result(), c.mode == RunMode::Quit ? IDCANCEL : IDOK);
        EXPECT_EQ(app.selections, c.selected);
        EXPECT_EQ(app.runMode(), c.mode);
        EXPECT_EQ(app.writesOutsideLock, 0);
        EXPECT_FALSE(app.lockHeld());
    }
}

TEST(MessageBoxes, SystemModalWithTheirTextOneOkButtonAndTheirIcon) {
    for (const auto& [icon, systemIcon] :
         {std::pair{MessageIcon::Stop, IDI_HAND}, std::pair{MessageIcon::Exclamation, IDI_EXCLAMATION}}) {
        std::string seen;
        std::thread user([&] {
            const HWND box = waitForWindow("velmora");
            if (!box) return;
            // The icon's control: its id differs from system to system.
            HICON shown = nullptr;
            for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                    shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
            seen = textOf(GetDlgItem(box, 0xFFFF)) +
                   (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST ? " topmost" : "") +
                   (GetDlgItem(box, IDOK) && !GetDlgItem(box, IDCANCEL) ? " OK only" : "") +
                   (shown == LoadIconA(nullptr, systemIcon) ? " its icon" : "");
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        });
        Win32MessageBoxes().show("\"velmora.exe\" already running.", icon);
        user.join();
        EXPECT_EQ(seen, "\"velmora.exe\" already running. topmost OK only its icon");
    }
}

TEST(InstanceGuard, KeepsASecondOwnerOutUntilTheFirstEndsOrCrashes) {
    const std::string name = "velmora-test-instance-" + std::to_string(GetCurrentProcessId());
    const auto second = [&] {
        Win32InstanceGuard guard;
        return guard.create(name) && guard.acquire(200);
    };
    {
        Win32InstanceGuard first;
        ASSERT_TRUE(first.create(name) && first.acquire(0));
        EXPECT_FALSE(std::async(std::launch::async, second).get());
    }
    // Left owned by a thread that ended, as by a crashed instance.
    HANDLE leaked = nullptr;
    std::thread([&] { leaked = CreateMutexA(nullptr, TRUE, name.c_str()); }).join();
    EXPECT_TRUE(second());
    CloseHandle(leaked);
}

TEST(StateLock, RecursiveForItsOwnerBoundedForOthers) {
    const auto lock = Win32StateLock::create();
    ASSERT_NE(lock, nullptr);
    // How long another thread waited in vain for the lock; 0 when it took it.
    const auto otherWaits = [&] {
        ULONGLONG waited = 0, start = GetTickCount64();
        std::thread([&] {
            waited = lock->tryLockFor(100) ? (lock->unlock(), 0) : GetTickCount64() - start;
        }).join();
        return waited;
    };
    ASSERT_TRUE(lock->tryLockFor(0) && lock->tryLockFor(0));
    lock->unlock();
    const ULONGLONG waited = otherWaits();
    EXPECT_GE(waited, 80u) << "still held once; the wait is the one asked for";
    EXPECT_LT(waited, 1000u);
    std::thread([&] { lock->unlock(); }).join(); // by a thread that does not own it: nothing
    EXPECT_NE(otherWaits(), 0u);
    lock->unlock();
    EXPECT_EQ(otherWaits(), 0u);
}

// The run cycle's view: the window on its own thread, reached only through
// the port. Its caption blinks from the template's caption; the item added to
// its system menu opens the About box (the system keeps the low four bits of
// a command for itself), which ends with the window.
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
    for (const std::string caption : {".Corvent I/O Configuration Tool", " Waiting for Concept.",
                                      ".Waiting for Concept.", " Waiting for Concept."}) {
        port->updateWaitingCaption();
        EXPECT_EQ(textOf(window), caption);
        EXPECT_TRUE(pumpUntil([&] { return noticeShown(window) == (caption[1] == 'W'); }, 1000)) << caption;
        EXPECT_FALSE(app.lockHeld());
    }
    port->hide();
    EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(window); }));
    char item[64] = {};
    GetMenuStringA(GetSystemMenu(window, FALSE), IDM_ABOUTBOX, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "&About velmora...");
    PostMessageA(window, WM_SYSCOMMAND, IDM_ABOUTBOX | 0xF, 0);
    const HWND about = waitForWindow("About velmora");
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(textOf(GetDlgItem(about, IDC_VERSION)), "Version 5.4");
    EXPECT_EQ(textOf(GetDlgItem(about, IDC_BUILD_TIME)).rfind("Build Date/Time:\n", 0), 0u);
    EXPECT_EQ(GetWindow(about, GW_OWNER), window);
    const ULONGLONG start = GetTickCount64();
    port->closeAndJoin();
    EXPECT_LT(GetTickCount64() - start, 1000u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(FindWindowA(nullptr, "About velmora"), nullptr);
    EXPECT_EQ(app.runMode(), RunMode::Synchronised)
        << "neither the About box nor closing from outside decides";
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
