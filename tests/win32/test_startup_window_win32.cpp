// The start-up window and the About box, created from their real templates
// and driven by real messages; then the same window on its waiting thread,
// driven from the main thread as the run cycle does.

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "../../resources/resource.h"
#include "app/startup_dialog_win32.h"
#include "win32/fake_app_services.h"

namespace velmora {
namespace {

using testing::FakeAppServices;
using testing::pumpPending;
using testing::pumpUntil;
using testing::waitForWindow;
using testing::windowText;

const std::string templateCaption = " Corvent I/O Configuration Tool";

bool visible(HWND window) {
    return window && IsWindowVisible(window);
}

// Closes, from a second thread, every About box this process opens while
// `body` runs, and reports what each one showed.
struct AboutWatcher {
    struct Seen {
        std::string version, notice, build;
        HWND owner = nullptr;
    };

    template <class Body>
    std::vector<Seen> run(Body body) {
        std::atomic<bool> stop{false};
        std::vector<Seen> seen;
        std::thread watcher([&] {
            while (!stop) {
                const HWND about = waitForWindow("About velmora", 50);
                if (!about) continue;
                // Its texts are set before it becomes visible.
                while (!IsWindowVisible(about) && IsWindow(about) && !stop) Sleep(5);
                seen.push_back({windowText(GetDlgItem(about, IDC_VERSION)),
                                windowText(GetDlgItem(about, IDC_NOTICE)),
                                windowText(GetDlgItem(about, IDC_BUILD_TIME)), GetWindow(about, GW_OWNER)});
                PostMessageA(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                while (IsWindow(about) && !stop) Sleep(5);
            }
        });
        body();
        stop = true;
        watcher.join();
        return seen;
    }
};

class StartupWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dialog.createModeless());
        ASSERT_TRUE(pumpUntil([&] { return dialog.exists(); }));
    }

    HWND window() const { return dialog.hwnd(); }
    bool noticeVisible() const { return visible(GetDlgItem(window(), IDC_WAITING_NOTICE)); }

    FakeAppServices app;
    StartupDialog dialog;
};

TEST_F(StartupWindow, OpensAsTheTemplateSaysWithTheNoticeHidden) {
    EXPECT_EQ(windowText(window()), templateCaption);
    EXPECT_TRUE(visible(window()));
    EXPECT_FALSE(IsIconic(window()));
    EXPECT_FALSE(noticeVisible());

    char item[64] = {};
    GetMenuStringA(GetSystemMenu(window(), FALSE), IDM_ABOUTBOX, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "&About velmora...");

    const auto icon = SendMessageA(window(), WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(SendMessageA(window(), WM_QUERYDRAGICON, 0, 0), icon);
    EXPECT_NE(SendMessageA(window(), WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(app.lockCalls, 0) << "opening decides nothing";
}

TEST_F(StartupWindow, WaitingCaptionBlinksAndShowsTheNotice) {
    const std::vector<std::string> expected{
        ".Corvent I/O Configuration Tool", " Waiting for Concept.", ".Waiting for Concept.",
        " Waiting for Concept.",           ".Waiting for Concept.",
    };
    for (std::size_t step = 0; step < expected.size(); ++step) {
        dialog.updateWaitingCaption();
        EXPECT_EQ(windowText(window()), expected[step]) << "step " << step + 1;
        // The first step only turns the blank into a dot.
        EXPECT_EQ(noticeVisible(), step > 0) << "step " << step + 1;
    }
    EXPECT_EQ(app.lockCalls, static_cast<int>(expected.size()));
    EXPECT_EQ(app.unlockCalls, app.lockCalls.load());
}

TEST(StartupWindowChoice, ButtonsAndCloseSetTheRunModeUnderTheLock) {
    enum class Act { Click, Close, SysClose, Enter };
    struct Case {
        const char* name;
        RunMode before;
        Act act;
        int button;
        RunMode after;
        bool stillOpen;
        bool minimisePending;
        bool noticeShown;
    };
    const Case cases[] = {
        {"Concept Sync", RunMode::Undecided, Act::Click, IDC_CONCEPT_SYNC, RunMode::Synchronised, true, true,
         true},
        {"Standalone", RunMode::Undecided, Act::Click, IDC_STANDALONE, RunMode::Standalone, true, false,
         false},
        {"Cancel", RunMode::Undecided, Act::Click, IDCANCEL, RunMode::Quit, false, false, false},
        {"Cancel after Standalone", RunMode::Standalone, Act::Click, IDCANCEL, RunMode::Standalone, false,
         false, false},
        {"close button", RunMode::Undecided, Act::Close, 0, RunMode::Quit, false, false, false},
        {"system menu Close", RunMode::Synchronised, Act::SysClose, 0, RunMode::Quit, false, false, false},
        {"Enter decides nothing", RunMode::Undecided, Act::Enter, 0, RunMode::Undecided, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAppServices fake(c.before);
        StartupDialog startup;
        ASSERT_TRUE(startup.createModeless());
        ASSERT_TRUE(pumpUntil([&] { return startup.exists(); }));
        const HWND window = startup.hwnd();
        switch (c.act) {
        case Act::Click:
            SendMessageA(GetDlgItem(window, c.button), BM_CLICK, 0, 0);
            break;
        case Act::Close:
            SendMessageA(window, WM_CLOSE, 0, 0);
            break;
        case Act::SysClose:
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case Act::Enter:
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            break;
        }
        pumpUntil([&] { return !IsWindow(window); }, c.stillOpen ? 100 : 3000);

        EXPECT_EQ(fake.runMode(), c.after);
        EXPECT_EQ(fake.writesOutsideLock, 0);
        EXPECT_EQ(fake.lockCalls, fake.unlockCalls.load());
        EXPECT_EQ(IsWindow(window) != FALSE, c.stillOpen);
        EXPECT_EQ(fake.minimisePending, c.minimisePending);
        if (c.stillOpen)
            EXPECT_EQ(visible(GetDlgItem(window, IDC_WAITING_NOTICE)), c.noticeShown);
        else
            EXPECT_EQ(startup.result(), IDCANCEL);
    }
}

TEST_F(StartupWindow, ConceptSyncShowsTheNoticeSoTheFirstStepKeepsIt) {
    SendMessageA(GetDlgItem(window(), IDC_CONCEPT_SYNC), BM_CLICK, 0, 0);
    dialog.updateWaitingCaption();
    EXPECT_EQ(windowText(window()), ".Corvent I/O Configuration Tool");
    EXPECT_TRUE(noticeVisible());
}

TEST_F(StartupWindow, MaximisedIsRestoredAndMinimisedPaintsTheIcon) {
    ShowWindow(window(), SW_MAXIMIZE);
    UpdateWindow(window());
    pumpPending();
    EXPECT_FALSE(IsZoomed(window()));

    ShowWindow(window(), SW_MINIMIZE);
    UpdateWindow(window());
    pumpPending();
    EXPECT_TRUE(IsIconic(window()));
    EXPECT_TRUE(IsWindow(window()));
}

TEST_F(StartupWindow, SystemCommandsSixteenToThirtyOneOpenTheAboutBox) {
    struct Case {
        WPARAM command;
        bool opens;
    };
    const Case cases[] = {{16, true}, {31, true}, {32, false}, {15, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        const auto seen = AboutWatcher().run([&] { SendMessageA(window(), WM_SYSCOMMAND, c.command, 0); });
        ASSERT_EQ(seen.size(), c.opens ? 1u : 0u);
        if (!c.opens) continue;
        EXPECT_EQ(seen[0].version, "Version 5.4");
        EXPECT_EQ(seen[0].build.rfind("Build Date/Time:\n", 0), 0u) << seen[0].build;
        // Over the start-up window, which it blocks while it runs.
        EXPECT_EQ(seen[0].owner, window());
    }
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_EQ(app.lockCalls, 0);
}

TEST(AboutBox, ShowsVersionNoticeAndTheBuildDateAndTime) {
    AboutDialog about("Feb 26 2004", "09:31:46");
    ASSERT_TRUE(about.createModeless());
    EXPECT_EQ(about.caption(), "About velmora");
    EXPECT_EQ(about.itemText(IDC_BUILD_TIME), "Build Date/Time:\nFeb 26 2004 09:31:46");
    EXPECT_EQ(about.itemText(IDC_VERSION), loadResourceString(IDS_VERSION));
    EXPECT_EQ(about.itemText(IDC_NOTICE), loadResourceString(IDS_NOTICE));
    EXPECT_FALSE(about.itemText(IDC_NOTICE).empty());
    SendMessageA(about.item(IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(about.hwnd(), nullptr);
    EXPECT_EQ(about.result(), IDOK);
}

// The run cycle's view: the window lives on CSplsThrd and the main thread
// reaches it only through StartupDialog's thread-safe operations.
class WaitingThread : public ::testing::Test {
protected:
    // A failed test must not leave the thread running over a dead dialog.
    void TearDown() override {
        dialog.requestClose();
        EXPECT_TRUE(thread.join(3000));
    }

    HWND startWindow() {
        EXPECT_TRUE(thread.start(dialog));
        EXPECT_TRUE(pumpUntil([&] { return dialog.exists(); }));
        return FindWindowA(nullptr, templateCaption.c_str());
    }

    FakeAppServices app{RunMode::Synchronised};
    StartupDialog dialog;
    CSplsThrd thread;
};

TEST_F(WaitingThread, MainThreadMinimisesHidesStepsAndClosesTheWindow) {
    const HWND window = startWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(thread.start(dialog)) << "started at most once";

    dialog.minimise();
    EXPECT_TRUE(pumpUntil([&] { return IsIconic(window) && visible(window); }));
    dialog.updateWaitingCaption();
    dialog.updateWaitingCaption();
    EXPECT_EQ(windowText(window), " Waiting for Concept.");
    EXPECT_TRUE(pumpUntil([&] { return visible(GetDlgItem(window, IDC_WAITING_NOTICE)); }));

    dialog.hide();
    EXPECT_TRUE(pumpUntil([&] { return !visible(window); }));
    dialog.minimise();
    EXPECT_TRUE(pumpUntil([&] { return IsIconic(window) && visible(window); }));

    dialog.requestClose();
    EXPECT_TRUE(thread.join(3000));
    EXPECT_FALSE(dialog.exists());
    EXPECT_EQ(app.runMode(), RunMode::Synchronised) << "closing from outside decides nothing";
}

TEST_F(WaitingThread, CancelEndsTheThreadWithQuit) {
    const HWND window = startWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(thread.join(3000));
    EXPECT_EQ(app.runMode(), RunMode::Quit);
    EXPECT_EQ(app.writesOutsideLock, 0);
}

TEST_F(WaitingThread, CloseRequestEndsAnOpenAboutBoxToo) {
    const HWND window = startWindow();
    ASSERT_NE(window, nullptr);
    PostMessageA(window, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_NE(waitForWindow("About velmora"), nullptr);
    dialog.requestClose();
    EXPECT_TRUE(thread.join(3000));
    EXPECT_EQ(waitForWindow("About velmora", 0), nullptr);
}

TEST(WaitingThreadStart, CloseRequestedBeforeTheWindowExistsStillEndsIt) {
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
