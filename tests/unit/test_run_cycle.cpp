#include <gtest/gtest.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <new>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/recursive_timed_lock.h"
#include "unit/fakes_app.h"

namespace velmora {
namespace {

using testing::AppRig;
using testing::EventLog;

const std::string kSync = "SYNC_WITH_CONCEPT";

// The user's choice in the start-up window, as its handlers make it.
void choose(RunMode mode) {
    theApp()->lockState();
    theApp()->setRunMode(mode);
    theApp()->unlockState();
}

TEST(CommandLine, SwitchesLoseTheirFirstCharacterAndOnlyWholePlainWordsMatch) {
    const ParamCommandLine line({"-NO_SYNC", "/x", "plain", "", "-", "//y"});
    std::string parsed;
    for (const CommandParam& p : line.params()) parsed += (p.isSwitch ? "switch " : "word ") + p.text + ";";
    EXPECT_EQ(parsed, "switch NO_SYNC;switch x;word plain;word ;switch ;switch /y;");
    // Only ASCII letters fold; the whole word must match.
    for (const char* near : {"NO_SYNC ", "NO_SYNCX", "NO-SYNC", "\xD1O_SYNC", "NO_SYNC=1"})
        EXPECT_FALSE(ParamCommandLine({near}).hasPlainWord("NO_SYNC")) << near;
    EXPECT_TRUE(ParamCommandLine({"x", "nO_sYnC"}).hasPlainWord("NO_SYNC"));
    EXPECT_FALSE(ParamCommandLine({"-NO_SYNC", "/NO_SYNC"}).hasPlainWord("NO_SYNC")) << "a switch is no word";
}

TEST(ConfigApp, AStartWithoutItsResourcesShowsOneMessageAndTheRunEndsAtOnce) {
    const AppRig::Shown::value_type resources{
        "Could not allocate resources.  Try closing some other program.", MessageIcon::Stop},
        running{"\"velmora.exe\" already running.", MessageIcon::Exclamation};
    // The one step that fails: creating the mutex, acquiring it, creating the state lock, the start-up
    // window.
    for (int fails = 0; fails < 4; ++fails) {
        SCOPED_TRACE(fails);
        AppRig rig;
        std::tie(rig.guardCreates, rig.guardAcquires, rig.lockCreated, rig.startupCreated) =
            std::tuple(fails != 0, fails != 1, fails != 2, fails != 3);
        auto app = rig.app();
        const bool refused = fails < 2;
        EXPECT_EQ(std::tuple(app->runMode() == RunMode::Refused, theApp() == app.get()),
                  std::tuple(refused, !refused));
        EXPECT_FALSE(app->runCycle({kSync}));
        // Nothing else: no start-up window, no poll, no probe.
        EXPECT_EQ(std::tuple(rig.shown, rig.log),
                  std::tuple(AppRig::Shown{fails == 1 ? running : resources}, EventLog{"message"}));
    }
}

// The application takes the named mutex and publishes itself until it goes. Titles come from the
// description file; a selection outside the catalogue is the last module.
TEST(ConfigApp, PublishesItselfAndSelectsAndProbesModulesByTheTitlesOfTheDescriptionFile) {
    const auto titleOf = [](ModuleKind kind) { return ModuleCatalogue[kind].defaultTitle; };
    AppRig rig;
    rig.description = "Q770_ZHC_354_00VM=\"Counter four\"\n";
    rig.host.addParameterWindow("Counter four");
    rig.host.addParameterWindow(std::string(titleOf(6))); // module 6's default title no longer applies
    rig.dialogAction = [](RegisterBlock&) { return -1; }; // leaves the window open
    rig.clock.onSleep = [](int, unsigned) { choose(RunMode::Quit); };
    auto app = rig.app();
    EXPECT_EQ(
        std::tuple(rig.guardCalls, theApp(), app->runMode(), app->moduleIndex(), app->descriptionFile()),
        std::tuple(EventLog{"create VM I/O Configure", "acquire 3000"}, app.get(), RunMode::Undecided, 7,
                   "VELMORA.WDB"));
    app->runCycle({kSync});
    EXPECT_EQ(std::tuple(rig.count("editor 6"), app->currentTitle()), std::tuple(1, "Counter four"));

    rig.open(3);
    const std::tuple<int, int, bool, std::string_view> cases[] = {
        {2, 2, false, titleOf(2)},  {3, 3, true, titleOf(3)},  {6, 6, true, "Counter four"},
        {-1, 7, false, titleOf(7)}, {8, 7, false, titleOf(7)}, {0, 0, false, titleOf(0)}};
    for (const auto& [index, selected, open, title] : cases) {
        const bool found = app->isHostWindowOpen(index);
        EXPECT_EQ(std::tuple(found, app->moduleIndex(), app->currentTitle()),
                  std::tuple(open, selected, title))
            << index;
    }
    app.reset();
    EXPECT_EQ(theApp(), nullptr);
}

// One run of the cycle, told by its event log with the length of each pause.
// The scripts have a character per poll (after its pause) or per dialog. At a
// poll '.' does nothing, 'S' and 'Q' choose Standalone and Quit, 'L' makes the
// next wait for the state lock run out, a digit opens that module's host window. A dialog answers 'o' OK, 'c'
// Cancel, 'x' as one that cannot run, the capital after choosing Quit; 's' chooses Standalone and answers OK,
// '!' throws. 'w', 'h' and 'k' answer OK after the host window closed, its second field hung or its first
// field came to keep its text.
struct CycleRun {
    std::vector<std::string> words;
    std::vector<ModuleKind> open; // host windows open at the start
    std::string polls, dialogs;
    int listPick;                // the module list's pick; -1 none, -2 Cancel
    unsigned pause;              // after each exchange; 0 leaves the ports' default
    std::string pressed, events; // host buttons, by module; the event log
};

void expectRun(const CycleRun& c) {
    SCOPED_TRACE(c.events);
    AppRig rig;
    for (ModuleKind kind : c.open) rig.open(kind);
    std::size_t polls = 0, dialogs = 0;
    rig.clock.onSleep = [&](int, unsigned ms) {
        rig.log.push_back(std::to_string(ms));
        const char step = ms == kPollIntervalMs && polls < c.polls.size() ? c.polls[polls++] : '.';
        if (step == 'S' || step == 'Q') choose(step == 'S' ? RunMode::Standalone : RunMode::Quit);
        if (std::isdigit(step)) rig.open(step - '0');
        if (step == 'L') rig.failWaits = 1;
    };
    rig.onModuleList = [&] {
        if (c.listPick == -2) choose(RunMode::Quit);
        if (c.listPick >= 0) theApp()->selectModule(c.listPick);
    };
    rig.dialogAction = [&](RegisterBlock& editor) {
        EXPECT_EQ(theApp()->isHostSynchronised(), rig.host.findCalls() > 0);
        editor.setRegister(0, 0x1234);
        const char step = c.dialogs.at(dialogs++);
        if (step == '!') throw std::bad_alloc();
        const auto window = [&] { return rig.windows.at(theApp()->moduleIndex()); };
        if (step == 'w') rig.host.destroy(window().window);
        if (step == 'h') rig.host.hang(window().fields[1]);
        if (step == 'k') rig.host.alterSetText(window().fields[0], [](std::string_view) { return "0"; });
        if (std::isupper(step)) choose(RunMode::Quit);
        if (step == 's') choose(RunMode::Standalone);
        const char answer = static_cast<char>(std::tolower(step));
        return answer == 'c' ? 2 : answer == 'x' ? -1 : 1;
    };
    AppPorts ports = rig.ports();
    if (c.pause) ports.pauseAfterExchangeMs = c.pause;
    ConfigApp app(std::move(ports));
    EXPECT_FALSE(app.runCycle(c.words));
    // Only a synchronised run probes the host. Every wait for the state lock is bounded, and nothing
    // is left held or released unowned.
    EXPECT_EQ(std::tuple(rig.story(), rig.pressed(), rig.host.findCalls() > 0, app.currentEditor(),
                         rig.lockDepth, rig.unlocksUnowned),
              std::tuple(c.events, c.pressed, c.events.find("minimise") != std::string::npos, nullptr, 0, 0));
    for (unsigned wait : rig.lockWaits) EXPECT_EQ(wait, 3000u);
    EXPECT_EQ(rig.shown, AppRig::Shown(rig.count("message"), {"Concept I/O Parameters menu is not open!"
                                                              "Could not update parameters.",
                                                              MessageIcon::Stop}));
}

TEST(RunCycle, EachRunModeDrivesTheStartupWindowTheEditorsAndTheHost) {
    const std::string start = "startup, thread, minimise, hide, editor 7, 500, dialog, ",
                      again = "message, minimise, hide, dialog deleted, editor 7, ",
                      cancel = "dialog, 500, dialog deleted, join, deleted";
    // clang-format off
    const CycleRun runs[] = {
        // Standalone, whatever follows and whatever the case: the module list's pick without any
        // host, or its Cancel.
        {{"No_Sync"}, {5}, "", "o", 5, 0, "", "startup, list, editor 5, dialog, dialog deleted, join, deleted"},
        {{kSync, "NO_SYNC"}, {}, "", "", -2, 0, "", "startup, list, join, deleted"},
        // Undecided waits without probing until Standalone or Quit is chosen; switches are no words.
        {{"-NO_SYNC", "/SYNC_WITH_CONCEPT"}, {4}, ".S", "o", 1, 0, "",
         "startup, thread, 250, 250, hide, list, editor 1, dialog, dialog deleted, join, deleted"},
        {{}, {}, "..Q", "", -1, 0, "", "startup, thread, 250, 250, 250, join, deleted"},
        // Synchronised: minimised once per wait, the caption stepped at each poll that finds nothing,
        // also by a poll whose wait for the lock ran out, which goes on as if it held the lock.
        {{kSync}, {}, "L.Q", "", -1, 0, "",
         "startup, thread, minimise, caption, 250, caption unlocked, 250, caption, 250, join, deleted"},
        {{kSync}, {}, ".7.Q", "o", -1, 40, "7 OK",
         "startup, thread, minimise, caption, 250, caption, 250, hide, editor 7, 40, dialog, 40, "
         "minimise, caption, 250, caption, 250, dialog deleted, join, deleted"},
        // Two host windows: the lower kind first.
        {{kSync}, {5, 2}, "", "cC", -1, 0, "2 Cancel, 5 Cancel",
         "startup, thread, minimise, hide, editor 2, 500, dialog, 500, minimise, hide, dialog deleted, "
         "editor 5, 500, dialog, 500, dialog deleted, join, deleted"},
        // Standalone chosen in a synchronised dialog: the host has its answer, then the run ends.
        {{kSync}, {5}, "", "s", -1, 0, "5 OK",
         "startup, thread, minimise, hide, editor 5, 500, dialog, 500, dialog deleted, join, deleted"},
        // A dialog that cannot run waits a poll before its window is found again.
        {{kSync}, {0}, "", "xX", -1, 0, "",
         "startup, thread, minimise, hide, editor 0, 500, dialog, 250, minimise, hide, dialog deleted, "
         "editor 0, 500, dialog, 250, dialog deleted, join, deleted"},
        // An exception ends the run without a message.
        {{kSync}, {6}, "", "!", -1, 0, "",
         "startup, thread, minimise, hide, editor 6, 500, dialog, dialog deleted, join, deleted"},
        // A write the host does not take, unverified included, is reported; the cycle then goes back
        // to waiting, and serves a host window left open again. A hung field fails the next read too,
        // which does not pause.
        {{kSync}, {7}, "Q", "w", -1, 0, "", start + "message, minimise, caption, 250, dialog deleted, join, deleted"},
        {{kSync}, {7}, "", "hC", -1, 0, "7 Cancel", start + again + cancel},
        {{kSync}, {7}, "", "kC", -1, 0, "7 Cancel", start + again + "500, " + cancel},
    };
    // clang-format on
    for (const CycleRun& run : runs) expectRun(run);
}

// ---------------------------------------------------------------- two real threads

// What the threaded window saw; it outlives the window object.
struct WindowStats {
    std::atomic<int> minimised{0}, captions{0};
    std::atomic<bool> cancelPressed{false};
};

// A start-up window whose handlers run on a real waiting thread: the user
// presses Concept Sync again and again while the main thread polls, then
// Cancel once the waiting display has stepped a few times.
struct ThreadedStartupWindow : StartupWindowPort {
    explicit ThreadedStartupWindow(WindowStats& stats) : stats(stats) {}
    ~ThreadedStartupWindow() override { closeAndJoin(); }

    bool exists() override { return !stats.cancelPressed; }
    void minimise() override { ++stats.minimised; }
    void hide() override {}
    void updateWaitingCaption() override {
        theApp()->lockState(); // held already: the lock is recursive
        ++stats.captions;
        theApp()->unlockState();
    }
    bool startWaitingThread() override {
        thread = std::thread([this] { runWindow(); });
        return true;
    }
    void closeAndJoin() override {
        if (thread.joinable()) thread.join();
    }
    void runWindow() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
        while (stats.captions < 12 && std::chrono::steady_clock::now() < deadline) {
            // Concept Sync.
            theApp()->setMinimisePending(true);
            choose(RunMode::Synchronised);
            std::this_thread::yield();
        }
        choose(RunMode::Quit); // Cancel
        stats.cancelPressed = true;
    }

    WindowStats& stats;
    std::thread thread;
};

TEST(RunCycleThreads, StartupWindowHandlersRaceThePollAndCancelEndsTheRun) {
    const auto started = std::chrono::steady_clock::now();
    AppRig rig;                    // its host is for the main thread only
    rig.clock.realMicrosPerMs = 4; // sleeps for real, a little, so that the threads interleave
    rig.clock.onSleep = [&](int n, unsigned) {
        if (n == 3) rig.open(3); // at the third poll
    };
    rig.dialogAction = [](RegisterBlock&) { return 1; };
    WindowStats stats;
    AppPorts ports = rig.ports();
    ports.createStateLock = [] { return std::make_unique<RecursiveTimedLock>(); };
    ports.createStartupWindow = [&] { return std::make_unique<ThreadedStartupWindow>(stats); };

    ConfigApp app(std::move(ports));
    EXPECT_FALSE(app.runCycle({}));
    EXPECT_EQ(std::tuple(app.runMode(), rig.count("editor 3"), rig.pressed(), rig.shown.size()),
              std::tuple(RunMode::Quit, 1, "3 OK", 0u));
    EXPECT_GE(stats.captions, 12);
    EXPECT_GE(stats.minimised, 2); // the first synchronised poll, and after the dialog
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

} // namespace
} // namespace velmora
