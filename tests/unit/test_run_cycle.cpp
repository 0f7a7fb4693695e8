#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <functional>
#include <new>
#include <optional>
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

std::string titleOf(ModuleKind kind) {
    return std::string(ModuleCatalogue[kind].defaultTitle);
}

// The user's choice in the start-up window, as its handlers make it.
void choose(RunMode mode) {
    theApp()->lockState();
    theApp()->setRunMode(mode);
    theApp()->unlockState();
}

int quit(int dialogResult) {
    choose(RunMode::Quit);
    return dialogResult;
}

TEST(CommandLine, SwitchesLoseTheirFirstCharacterAndNeverMatch) {
    const ParamCommandLine line({"-NO_SYNC", "/x", "plain", "", "-", "//y", "a-b"});
    const std::vector<std::pair<bool, std::string>> expected{{true, "NO_SYNC"}, {true, "x"}, {false, "plain"},
                                                             {false, ""},       {true, ""},  {true, "/y"},
                                                             {false, "a-b"}};
    ASSERT_EQ(line.params().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(std::pair(line.params()[i].isSwitch, line.params()[i].text), expected[i]) << i;
    EXPECT_FALSE(line.hasPlainWord("NO_SYNC"));
    // Only ASCII letters fold; the whole word must match.
    for (const char* near : {"NO_SYNC ", "NO_SYNCX", "NO-SYNC", "\xD1O_SYNC", "NO_SYNC=1"})
        EXPECT_FALSE(ParamCommandLine({near}).hasPlainWord("NO_SYNC")) << near;
    EXPECT_TRUE(ParamCommandLine({"x", "nO_sYnC"}).hasPlainWord("NO_SYNC"));
}

TEST(ConfigApp, TakesTheNamedMutexAndPublishesItself) {
    AppRig rig;
    {
        auto app = rig.app();
        EXPECT_EQ(rig.guardCalls.created, std::vector<std::string>{"VM I/O Configure"});
        EXPECT_EQ(rig.guardCalls.waits, std::vector<unsigned>{3000});
        EXPECT_EQ(theApp(), app.get());
        EXPECT_EQ(app->runMode(), RunMode::Undecided);
        EXPECT_EQ(app->moduleIndex(), 7);
        EXPECT_EQ(app->currentTitle(), "");
        EXPECT_EQ(app->descriptionFile(), "VELMORA.WDB");
        EXPECT_TRUE(rig.messages.shown.empty());
    }
    EXPECT_EQ(theApp(), nullptr);
}

TEST(ConfigApp, AStartWithoutItsResourcesShowsOneMessageAndTheRunEndsAtOnce) {
    const char* const resources = "Could not allocate resources.  Try closing some other program.";
    struct Case {
        bool creates = true, acquires = true, lock = true, startup = true;
        const char* text;
        MessageIcon icon = MessageIcon::Stop;
    };
    const Case cases[] = {
        {.creates = false, .text = resources},
        {.acquires = false, .text = "\"velmora.exe\" already running.", .icon = MessageIcon::Exclamation},
        {.lock = false, .text = resources},
        {.startup = false, .text = resources},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        AppRig rig;
        rig.guardCreates = c.creates;
        rig.guardAcquires = c.acquires;
        rig.lockCreated = c.lock;
        rig.startupCreated = c.startup;
        rig.open(7);
        auto app = rig.app();
        const bool refused = !c.creates || !c.acquires;
        EXPECT_EQ(app->runMode() == RunMode::Refused, refused);
        EXPECT_EQ(theApp() == app.get(), !refused);
        EXPECT_FALSE(app->runCycle({"SYNC_WITH_CONCEPT"}));
        ASSERT_EQ(rig.messages.shown.size(), 1u);
        EXPECT_EQ(rig.messages.shown[0].text, c.text);
        EXPECT_EQ(rig.messages.shown[0].icon, c.icon);
        EXPECT_EQ(rig.log, (EventLog{"message"}));
        EXPECT_EQ(rig.host.findCalls(), 0);
        EXPECT_TRUE(rig.clock.sleeps().empty());
    }
}

// Titles come from the description file; a selection outside the catalogue is the last module.
TEST(ConfigApp, ModulesAreSelectedAndProbedByTheTitlesOfTheDescriptionFile) {
    AppRig rig;
    rig.description = "Q770_ZHC_354_00VM=\"Counter four\"\n";
    rig.host.addParameterWindow("Counter four");
    rig.host.addParameterWindow(titleOf(6)); // module 6's default title no longer applies
    rig.dialogAction = [](RegisterBlock&) { return quit(-1); };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    EXPECT_EQ(rig.count("editor 6"), 1);
    EXPECT_EQ(app->currentTitle(), "Counter four");

    rig.open(3);
    const std::tuple<int, int, bool, std::string> cases[] = {
        {2, 2, false, titleOf(2)},       {3, 3, true, titleOf(3)},  {6, 6, true, "Counter four"},
        {-1, 7, false, titleOf(7)},      {8, 7, false, titleOf(7)}, {INT_MIN, 7, false, titleOf(7)},
        {INT_MAX, 7, false, titleOf(7)}, {0, 0, false, titleOf(0)}};
    for (const auto& [index, selected, open, title] : cases) {
        EXPECT_EQ(app->isHostWindowOpen(index), open) << index;
        EXPECT_EQ(app->moduleIndex(), selected) << index;
        EXPECT_EQ(app->currentTitle(), title) << index;
    }
}

TEST(RunCycle, CommandLineDecidesTheRunMode) {
    const std::pair<std::vector<std::string>, RunMode> cases[] = {
        {{}, RunMode::Undecided},
        {{"sync_with_concept"}, RunMode::Synchronised},
        {{"No_Sync"}, RunMode::Standalone},
        {{"/NO_SYNC"}, RunMode::Undecided},
        {{"-SYNC_WITH_CONCEPT"}, RunMode::Undecided},
        {{"NO_SYNC", "SYNC_WITH_CONCEPT"}, RunMode::Standalone},
        {{"SYNC_WITH_CONCEPT", "no_sync"}, RunMode::Standalone},
        {{"-NO_SYNC", "SYNC_WITH_CONCEPT"}, RunMode::Synchronised},
    };
    for (const auto& [words, mode] : cases) {
        AppRig rig;
        std::optional<RunMode> seen;
        // Standalone reaches the module list first; the others pause in the poll.
        const auto see = [&] {
            if (!seen) seen = theApp()->runMode();
            choose(RunMode::Quit);
        };
        rig.moduleList.onRun = see;
        rig.clock.onSleep = [&](int, unsigned) { see(); };
        EXPECT_FALSE(rig.app()->runCycle(words));
        EXPECT_EQ(seen, mode) << ::testing::PrintToString(words);
    }
}

// One run of the cycle told by its event log: the host windows open at the
// start, what the user does at each poll, in the module list and in each
// dialog; then the pauses, the host buttons pressed and whether the host was
// looked at at all.
TEST(RunCycle, EachRunModeDrivesTheStartupWindowTheEditorsAndTheHost) {
    constexpr int kListCancel = -2;
    struct Case {
        const char* name;
        std::vector<std::string> words{};
        std::vector<ModuleKind> open{};
        std::function<void(AppRig&, int)> atPoll{}; // after each poll's pause, numbered from 1
        int listPick = -1;                          // none, a module, or kListCancel
        std::function<int(int)> dialog{};           // each dialog's result, numbered from 1
        std::function<void(ModuleKind)> beforeEditor{};
        std::optional<unsigned> pause{};
        EventLog events{};
        std::vector<unsigned> sleeps{};
        std::string pressed{};
        bool probes = true;
    };
    const Case cases[] = {
        {.name = "standalone: the module list's pick, without any host",
         .words = {"NO_SYNC"},
         .open = {5},
         .listPick = 5,
         .dialog =
             [](int) {
                 EXPECT_FALSE(theApp()->isHostSynchronised());
                 return 1;
             },
         .events = {"startup created", "module list", "editor 5", "dialog", "dialog deleted",
                    "close and join", "deleted"},
         .probes = false},
        {.name = "standalone: Cancel in the module list",
         .words = {"NO_SYNC"},
         .listPick = kListCancel,
         .events = {"startup created", "module list", "close and join", "deleted"},
         .probes = false},
        {.name = "undecided waits without probing until standalone is chosen",
         .open = {4},
         .atPoll =
             [](AppRig&, int n) {
                 if (n == 2) choose(RunMode::Standalone);
             },
         .listPick = 1,
         .events = {"startup created", "start thread", "hide", "module list", "editor 1", "dialog",
                    "dialog deleted", "close and join", "deleted"},
         .sleeps = {250, 250},
         .probes = false},
        {.name = "undecided: Quit ends the run at the next poll",
         .atPoll =
             [](AppRig&, int n) {
                 if (n == 3) choose(RunMode::Quit);
             },
         .events = {"startup created", "start thread", "close and join", "deleted"},
         .sleeps = {250, 250, 250},
         .probes = false},
        {.name = "synchronised: Quit ends the run at the next poll",
         .words = {"SYNC_WITH_CONCEPT"},
         .atPoll =
             [](AppRig&, int n) {
                 if (n == 3) choose(RunMode::Quit);
             },
         .events = {"startup created", "start thread", "minimise", "caption", "caption", "caption",
                    "close and join", "deleted"},
         .sleeps = {250, 250, 250}},
        {.name = "synchronised: minimised once per wait, OK, back to waiting",
         .words = {"SYNC_WITH_CONCEPT"},
         .atPoll =
             [](AppRig& rig, int n) {
                 if (n == 2) rig.open(7);
                 if (n == 4) choose(RunMode::Quit);
             },
         .dialog = [](int) { return 1; },
         .pause = 40,
         .events = {"startup created", "start thread", "minimise", "caption", "caption", "hide", "editor 7",
                    "dialog", "minimise", "caption", "caption", "dialog deleted", "close and join",
                    "deleted"},
         .sleeps = {250, 250, 40, 40, 250, 250},
         .pressed = "7 OK"},
        {.name = "two host windows: the lower kind first",
         .words = {"SYNC_WITH_CONCEPT"},
         .open = {5, 2},
         .dialog = [](int n) { return n == 2 ? quit(2) : 2; },
         .events = {"startup created", "start thread", "minimise", "hide", "editor 2", "dialog", "minimise",
                    "hide", "dialog deleted", "editor 5", "dialog", "dialog deleted", "close and join",
                    "deleted"},
         .sleeps = {500, 500, 500, 500},
         .pressed = "2 Cancel, 5 Cancel"},
        {.name = "standalone chosen in a synchronised dialog: the host has its answer, the run ends",
         .words = {"SYNC_WITH_CONCEPT"},
         .open = {5},
         .dialog =
             [](int) {
                 choose(RunMode::Standalone);
                 return 1;
             },
         .events = {"startup created", "start thread", "minimise", "hide", "editor 5", "dialog",
                    "dialog deleted", "close and join", "deleted"},
         .sleeps = {500, 500},
         .pressed = "5 OK"},
        {.name = "a dialog that cannot run waits a poll before the window is found again",
         .words = {"SYNC_WITH_CONCEPT"},
         .open = {0},
         .dialog = [](int n) { return n == 2 ? quit(-1) : -1; },
         .events = {"startup created", "start thread", "minimise", "hide", "editor 0", "dialog", "minimise",
                    "hide", "dialog deleted", "editor 0", "dialog", "dialog deleted", "close and join",
                    "deleted"},
         .sleeps = {500, 250, 500, 250}},
        {.name = "an exception in a dialog ends the run silently",
         .words = {"SYNC_WITH_CONCEPT"},
         .open = {6},
         .dialog = [](int) -> int { throw std::bad_alloc(); },
         .events = {"startup created", "start thread", "minimise", "hide", "editor 6", "dialog",
                    "dialog deleted", "close and join", "deleted"},
         .sleeps = {500}},
        {.name = "an exception building the editor ends the run silently",
         .words = {"SYNC_WITH_CONCEPT"},
         .open = {6},
         .beforeEditor = [](ModuleKind) { throw 42; },
         .events = {"startup created", "start thread", "minimise", "hide", "close and join", "deleted"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AppRig rig;
        for (ModuleKind kind : c.open) rig.open(kind);
        int polls = 0, dialogs = 0;
        rig.clock.onSleep = [&](int, unsigned ms) {
            if (ms == kPollIntervalMs && c.atPoll) c.atPoll(rig, ++polls);
        };
        rig.moduleList.onRun = [&] {
            if (c.listPick == kListCancel) choose(RunMode::Quit);
            if (c.listPick >= 0) theApp()->selectModule(c.listPick);
        };
        rig.dialogAction = [&](RegisterBlock&) { return c.dialog ? c.dialog(++dialogs) : 2; };
        rig.beforeEditor = c.beforeEditor;
        AppPorts ports = rig.ports();
        if (c.pause) ports.pauseAfterExchangeMs = *c.pause;
        ConfigApp app(std::move(ports));
        EXPECT_FALSE(app.runCycle(c.words));
        EXPECT_EQ(rig.log, c.events);
        EXPECT_EQ(rig.clock.sleeps(), c.sleeps);
        EXPECT_EQ(rig.pressed(), c.pressed);
        EXPECT_EQ(rig.host.findCalls() > 0, c.probes);
        EXPECT_EQ(app.currentEditor(), nullptr);
    }
}

TEST(RunCycle, SynchronisedDialogSeesTheHostsRegistersAndOkWritesTheModulesBack) {
    AppRig rig;
    std::array<std::string, kRegisterCount> texts;
    texts.fill("7777");
    texts[0] = "1A2B";
    const auto window = rig.open(7, texts); // module 7 writes registers 0 to 8
    rig.dialogAction = [](RegisterBlock& editor) {
        EXPECT_TRUE(theApp()->isHostSynchronised());
        EXPECT_EQ(editor.getRegister(0), 0x1A2B);
        EXPECT_EQ(editor.getRegister(18), 0x7777);
        for (int i = 0; i < kRegisterCount; ++i) editor.setRegister(i, 0x0AB0 + i);
        return quit(1);
    };
    rig.app()->runCycle({"SYNC_WITH_CONCEPT"});
    for (int i = 0; i < 19; ++i)
        EXPECT_EQ(rig.host.text(window.fields[i]), i < 9 ? "ab" + std::to_string(i) : "7777") << i;
}

// A write the host does not take, unverified included, is reported; the cycle
// then goes back to waiting.
TEST(RunCycle, FailedWriteShowsTheMessageAndTheCycleGoesOn) {
    using Window = FakeHostWindows::ParameterWindow;
    const std::pair<const char*, std::function<void(FakeHostWindows&, const Window&)>> cases[] = {
        {"none", [](FakeHostWindows&, const Window&) {}},
        {"window closed", [](FakeHostWindows& host, const Window& w) { host.destroy(w.window); }},
        {"field hangs", [](FakeHostWindows& host, const Window& w) { host.hang(w.fields[1]); }},
        {"field keeps its old text",
         [](FakeHostWindows& host, const Window& w) {
             host.alterSetText(w.fields[0], [](std::string_view) { return "0"; });
         }},
    };
    for (const auto& [name, fault] : cases) {
        SCOPED_TRACE(name);
        AppRig rig;
        const auto window = rig.open(7);
        int dialogs = 0;
        rig.dialogAction = [&](RegisterBlock& editor) {
            editor.setRegister(0, 0x1234);
            if (++dialogs > 1) return quit(2); // a host window left open is served again
            fault(rig.host, window);
            return 1;
        };
        rig.clock.onSleep = [&](int, unsigned ms) {
            if (ms == kPollIntervalMs) choose(RunMode::Quit);
        };
        rig.app()->runCycle({"SYNC_WITH_CONCEPT"});
        const bool fails = name != std::string("none");
        ASSERT_EQ(rig.messages.shown.size(), fails ? 1u : 0u);
        if (fails) {
            EXPECT_EQ(rig.messages.shown[0].text,
                      "Concept I/O Parameters menu is not open!Could not update parameters.");
            EXPECT_EQ(rig.messages.shown[0].icon, MessageIcon::Stop);
            // Back to waiting: the window is minimised again.
            EXPECT_EQ(*(std::find(rig.log.begin(), rig.log.end(), "message") + 1), "minimise");
        }
        EXPECT_EQ(rig.count("minimise"), 2);
    }
}

TEST(RunCycle, PollHoldsTheLockForProbesAndCaptionAndNeverReleasesAnUnownedOne) {
    AppRig rig;
    rig.clock.onSleep = [&](int n, unsigned) {
        if (n == 1) rig.lock.failWaits = 1; // the next poll's wait runs out
        if (n == 3) choose(RunMode::Quit);
    };
    rig.app()->runCycle({"SYNC_WITH_CONCEPT"});
    // The poll whose wait ran out goes on as if it held the lock.
    EXPECT_EQ(rig.count("caption unlocked"), 1);
    EXPECT_EQ(rig.count("caption"), 2);
    EXPECT_EQ(rig.lock.unlocksUnowned, 0);
    EXPECT_EQ(rig.lock.depth, 0);
    for (unsigned wait : rig.lock.waits) EXPECT_EQ(wait, 3000u);
}

// ---------------------------------------------------------------- two real threads

// What the threaded window saw; it outlives the window object.
struct WindowStats {
    std::atomic<int> starts{0};
    std::atomic<int> minimised{0};
    std::atomic<int> captions{0};
    std::atomic<bool> cancelPressed{false};
    std::atomic<bool> joinedBeforeDelete{false};
};

// A start-up window whose handlers run on a real waiting thread: the user
// presses Concept Sync again and again while the main thread polls, then
// Cancel once the waiting display has stepped a few times.
class ThreadedStartupWindow : public StartupWindowPort {
public:
    explicit ThreadedStartupWindow(WindowStats& stats) : stats_(stats) {}
    ~ThreadedStartupWindow() override {
        stats_.joinedBeforeDelete = !thread_.joinable();
        closeAndJoin();
    }

    bool exists() override { return open_.load(); }
    void minimise() override { stats_.minimised.fetch_add(1); }
    void hide() override {}
    void updateWaitingCaption() override {
        theApp()->lockState();
        caption_ = caption_.front() == ' ' ? "." + caption_.substr(1) : " Waiting for Concept.";
        stats_.captions.fetch_add(1);
        theApp()->unlockState();
    }
    bool startWaitingThread() override {
        stats_.starts.fetch_add(1);
        thread_ = std::thread([this] { runWindow(); });
        return true;
    }
    void closeAndJoin() override {
        closeRequested_ = true;
        if (thread_.joinable()) thread_.join();
    }

private:
    void runWindow() {
        open_ = true;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
        while (!closeRequested_ && stats_.captions.load() < 12 &&
               std::chrono::steady_clock::now() < deadline) {
            // Concept Sync.
            theApp()->setMinimisePending(true);
            choose(RunMode::Synchronised);
            std::this_thread::yield();
        }
        // Cancel.
        theApp()->lockState();
        if (theApp()->runMode() != RunMode::Standalone) theApp()->setRunMode(RunMode::Quit);
        theApp()->unlockState();
        stats_.cancelPressed = true;
        open_ = false;
    }

    WindowStats& stats_;
    std::thread thread_;
    std::atomic<bool> open_{false};
    std::atomic<bool> closeRequested_{false};
    std::string caption_ = " Corvent I/O Configuration Tool"; // under the state lock
};

TEST(RunCycleThreads, StartupWindowHandlersRaceThePollAndCancelEndsTheRun) {
    const auto started = std::chrono::steady_clock::now();
    AppRig rig;                    // its host is for the main thread only
    rig.clock.realMicrosPerMs = 4; // sleeps for real, a little, so that the threads interleave
    rig.clock.limit = 1'000'000;
    WindowStats stats;
    int polls = 0;
    rig.clock.onSleep = [&](int, unsigned ms) {
        if (ms == kPollIntervalMs && ++polls == 3) rig.open(3);
    };
    rig.dialogAction = [](RegisterBlock&) { return 1; };
    AppPorts ports = rig.ports();
    ports.createStateLock = [] { return std::make_unique<RecursiveTimedLock>(); };
    ports.createStartupWindow = [&] { return std::make_unique<ThreadedStartupWindow>(stats); };

    ConfigApp app(std::move(ports));
    EXPECT_FALSE(app.runCycle({}));
    EXPECT_EQ(app.runMode(), RunMode::Quit);
    EXPECT_TRUE(stats.cancelPressed);
    EXPECT_TRUE(stats.joinedBeforeDelete);
    EXPECT_EQ(stats.starts, 1);
    EXPECT_GE(stats.captions, 12);
    EXPECT_GE(stats.minimised, 2); // the first synchronised poll, and after the dialog
    EXPECT_EQ(rig.count("editor 3"), 1);
    EXPECT_EQ(rig.pressed(), "3 OK");
    EXPECT_TRUE(rig.messages.shown.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST(RunCycleThreads, StateLockIsRecursiveForItsOwnerAndBoundedForOthers) {
    RecursiveTimedLock lock;
    ASSERT_TRUE(lock.tryLockFor(0));
    ASSERT_TRUE(lock.tryLockFor(0));
    bool otherGotIt = true;
    std::thread([&] {
        lock.unlock(); // not the owner: nothing happens
        otherGotIt = lock.tryLockFor(20);
    }).join();
    EXPECT_FALSE(otherGotIt);
    lock.unlock();
    lock.unlock();
    std::thread([&] {
        otherGotIt = lock.tryLockFor(20);
        if (otherGotIt) lock.unlock();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

} // namespace
} // namespace velmora
