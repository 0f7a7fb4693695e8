#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdio>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "support/recursive_timed_lock.h"
#include "unit/fakes_app.h"

namespace velmora {
namespace {

using testing::AppRig;
using testing::EventLog;
using Kind = FakeHostWindows::MessageKind;

std::string titleOf(ModuleKind kind) {
    return std::string(ModuleCatalogue[kind].defaultTitle);
}

// The user's choice in the start-up window, as its handlers make it.
void choose(RunMode mode) {
    theApp()->lockState();
    theApp()->setRunMode(mode);
    theApp()->unlockState();
}

// Only the events of the start-up window and the cycle's steps, in order.
EventLog windowEvents(const EventLog& log) {
    EventLog out;
    for (const auto& e : log)
        if (e != "message" && e != "dialog deleted" && e.rfind("editor", 0) != 0) out.push_back(e);
    return out;
}

// The last two events of every run: the window is closed and its thread
// joined before the object goes.
void expectWindowClosedThenDeleted(const EventLog& log) {
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2], "close and join");
    EXPECT_EQ(log.back(), "deleted");
}

// ---------------------------------------------------------------- command line

TEST(CommandLine, SwitchesLoseTheirFirstCharacterAndNeverMatch) {
    const ParamCommandLine line({"-NO_SYNC", "/x", "plain", "", "-", "//y", "a-b"});
    const std::vector<std::pair<bool, std::string>> expected{{true, "NO_SYNC"}, {true, "x"}, {false, "plain"},
                                                             {false, ""},       {true, ""},  {true, "/y"},
                                                             {false, "a-b"}};
    ASSERT_EQ(line.params().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(line.params()[i].isSwitch, expected[i].first) << i;
        EXPECT_EQ(line.params()[i].text, expected[i].second) << i;
    }
    EXPECT_FALSE(line.hasPlainWord("NO_SYNC"));
    EXPECT_TRUE(line.hasPlainWord("PLAIN"));
    // Only ASCII letters fold; the whole word must match.
    for (const char* near : {"NO_SYNC ", "NO_SYNCX", "NO-SYNC", "\xD1O_SYNC", "NO_SYNC=1"})
        EXPECT_FALSE(ParamCommandLine({near}).hasPlainWord("NO_SYNC")) << near;
    EXPECT_TRUE(ParamCommandLine({"x", "nO_sYnC"}).hasPlainWord("NO_SYNC"));
}

// ---------------------------------------------------------------- construction

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
        EXPECT_EQ(app->currentEditor(), nullptr);
        EXPECT_TRUE(rig.messages.shown.empty());
        EXPECT_FALSE(rig.guardCalls.destroyed);
    }
    EXPECT_EQ(theApp(), nullptr);
    EXPECT_TRUE(rig.guardCalls.destroyed);
}

TEST(ConfigApp, RefusedStartShowsItsMessageAndTheRunEndsAtOnce) {
    struct Case {
        bool creates, acquires;
        const char* text;
        MessageIcon icon;
    };
    const Case cases[] = {
        {false, true, "Could not allocate resources.  Try closing some other program.", MessageIcon::Stop},
        {true, false, "\"velmora.exe\" already running.", MessageIcon::Exclamation},
    };
    for (const Case& c : cases) {
        AppRig rig;
        rig.guardCreates = c.creates;
        rig.guardAcquires = c.acquires;
        rig.host.addParameterWindow(titleOf(7));
        auto app = rig.app();
        EXPECT_EQ(app->runMode(), RunMode::Refused);
        EXPECT_NE(theApp(), app.get());
        ASSERT_EQ(rig.messages.shown.size(), 1u);
        EXPECT_EQ(rig.messages.shown[0].text, c.text);
        EXPECT_EQ(rig.messages.shown[0].icon, c.icon);

        EXPECT_FALSE(app->runCycle({"SYNC_WITH_CONCEPT"}));
        EXPECT_EQ(rig.messages.shown.size(), 1u);
        EXPECT_EQ(rig.count("startup created"), 0);
        EXPECT_EQ(rig.host.findCalls(), 0);
        EXPECT_TRUE(rig.clock.sleeps().empty());
    }
}

TEST(ConfigApp, MissingLockOrStartupWindowEndsTheRunWithTheResourcesMessage) {
    for (int missing = 0; missing < 2; ++missing) {
        AppRig rig;
        rig.lockCreated = missing != 0;
        rig.startupCreated = missing == 0;
        rig.host.addParameterWindow(titleOf(7));
        auto app = rig.app();
        EXPECT_FALSE(app->runCycle({"SYNC_WITH_CONCEPT"}));
        ASSERT_EQ(rig.messages.shown.size(), 1u) << missing;
        EXPECT_EQ(rig.messages.shown[0].text, kResourcesMessage);
        EXPECT_EQ(rig.messages.shown[0].icon, MessageIcon::Stop);
        EXPECT_EQ(rig.host.findCalls(), 0);
        EXPECT_TRUE(rig.editorsBuilt.empty());
    }
}

// ---------------------------------------------------------------- module selection

TEST(ConfigApp, SelectModuleClampsToTheLastModule) {
    AppRig rig;
    rig.description = "Q770_ZVI_310_00VM=\"Volts\"\nQ770_ZPM_354_00VM=\"Multi\"\n";
    auto app = rig.app();
    app->loadModuleTitles();
    const std::pair<int, int> cases[] = {{0, 0}, {3, 3},       {7, 7},       {-1, 7},
                                         {8, 7}, {INT_MIN, 7}, {INT_MAX, 7}, {5, 5}};
    for (auto [index, expected] : cases) {
        app->selectModule(index);
        EXPECT_EQ(app->moduleIndex(), expected) << index;
        EXPECT_EQ(app->currentTitle(), app->moduleTitles()[static_cast<std::size_t>(expected)]);
    }
    app->selectModule(0);
    EXPECT_EQ(app->currentTitle(), "Volts");
    app->selectModule(-1);
    EXPECT_EQ(app->currentTitle(), "Multi");
}

TEST(ConfigApp, HostWindowProbeSelectsTheModuleWhateverItFinds) {
    AppRig rig;
    rig.host.addParameterWindow(titleOf(5));
    auto app = rig.app();
    app->loadModuleTitles();
    EXPECT_FALSE(app->isHostWindowOpen(2));
    EXPECT_EQ(app->moduleIndex(), 2);
    EXPECT_EQ(app->currentTitle(), titleOf(2));
    EXPECT_TRUE(app->isHostWindowOpen(5));
    EXPECT_EQ(app->currentTitle(), titleOf(5));
    EXPECT_FALSE(app->isHostWindowOpen(42));
    EXPECT_EQ(app->moduleIndex(), 7);
}

// ---------------------------------------------------------------- run modes

TEST(RunCycle, CommandLineDecidesTheRunMode) {
    struct Case {
        std::vector<std::string> words;
        RunMode mode;
    };
    const std::vector<Case> cases{
        {{}, RunMode::Undecided},
        {{"sync_with_concept"}, RunMode::Synchronised},
        {{"No_Sync"}, RunMode::Standalone},
        {{"/NO_SYNC"}, RunMode::Undecided},
        {{"-SYNC_WITH_CONCEPT"}, RunMode::Undecided},
        {{"NO_SYNC", "SYNC_WITH_CONCEPT"}, RunMode::Standalone},
        {{"SYNC_WITH_CONCEPT", "no_sync"}, RunMode::Standalone},
        {{"-NO_SYNC", "SYNC_WITH_CONCEPT"}, RunMode::Synchronised},
    };
    for (const Case& c : cases) {
        AppRig rig;
        std::optional<RunMode> seen;
        // Standalone reaches the module list first; the others pause in the poll.
        rig.moduleList.onRun = [&] {
            if (!seen) seen = theApp()->runMode();
            choose(RunMode::Quit);
        };
        rig.clock.onSleep = [&](int, unsigned) {
            if (!seen) seen = theApp()->runMode();
            choose(RunMode::Quit);
        };
        auto app = rig.app();
        EXPECT_FALSE(app->runCycle(c.words));
        EXPECT_EQ(seen, c.mode) << ::testing::PrintToString(c.words);
        EXPECT_FALSE(rig.clock.runaway);
    }
}

TEST(RunCycle, StandaloneFromTheCommandLineTouchesNoHostAndRunsOneDialog) {
    for (int result : {1, 2}) {
        AppRig rig;
        const auto window = rig.host.addParameterWindow(titleOf(5));
        rig.moduleList.onRun = [] { theApp()->selectModule(5); };
        std::optional<bool> synchronised;
        rig.dialogAction = [&](RegisterBlock& editor) {
            synchronised = theApp()->isHostSynchronised();
            for (int i = 0; i < 9; ++i) editor.setRegister(i, 0x1234);
            return result;
        };
        auto app = rig.app();
        EXPECT_FALSE(app->runCycle({"NO_SYNC"}));

        EXPECT_EQ(rig.editorsBuilt, std::vector<ModuleKind>{5});
        EXPECT_EQ(synchronised, false);
        EXPECT_EQ(rig.host.findCalls(), 0) << result;
        EXPECT_TRUE(rig.host.messages().empty()) << result;
        EXPECT_EQ(rig.host.pressCount(window.ok), 0);
        EXPECT_TRUE(rig.clock.sleeps().empty());
        EXPECT_TRUE(rig.messages.shown.empty());
        // The window object exists but its thread never ran it.
        EXPECT_EQ(windowEvents(rig.log),
                  (EventLog{"startup created", "module list", "dialog", "close and join", "deleted"}));
        EXPECT_EQ(app->currentEditor(), nullptr);
    }
}

TEST(RunCycle, ModuleListCancelEndsTheRunWithoutAnEditor) {
    AppRig rig;
    rig.moduleList.onRun = [] { choose(RunMode::Quit); };
    auto app = rig.app();
    EXPECT_FALSE(app->runCycle({"NO_SYNC"}));
    EXPECT_TRUE(rig.editorsBuilt.empty());
    EXPECT_EQ(rig.count("dialog"), 0);
    expectWindowClosedThenDeleted(rig.log);
}

TEST(RunCycle, ModuleListWithoutAPickBuildsTheLastModule) {
    AppRig rig;
    auto app = rig.app();
    app->runCycle({"NO_SYNC"});
    EXPECT_EQ(rig.editorsBuilt, std::vector<ModuleKind>{7});
}

TEST(RunCycle, StandaloneChosenInTheStartupWindow) {
    AppRig rig;
    rig.host.addParameterWindow(titleOf(4));
    rig.clock.onSleep = [](int n, unsigned) {
        if (n == 2) choose(RunMode::Standalone);
    };
    rig.moduleList.onRun = [] { theApp()->selectModule(1); };
    auto app = rig.app();
    app->runCycle({});
    EXPECT_EQ(rig.editorsBuilt, std::vector<ModuleKind>{1});
    EXPECT_EQ(rig.clock.sleeps().size(), 2u);
    // Undecided only waits: no probes, no minimise, no caption.
    EXPECT_EQ(rig.host.findCalls(), 0);
    EXPECT_EQ(windowEvents(rig.log), (EventLog{"startup created", "start thread", "hide", "module list",
                                               "dialog", "close and join", "deleted"}));
}

TEST(RunCycle, StandaloneChosenWhileASynchronisedDialogIsOpenAnswersTheHostThenEndsTheRun) {
    for (int result : {1, 2}) {
        AppRig rig;
        const auto window = rig.host.addParameterWindow(titleOf(5));
        rig.dialogAction = [&](RegisterBlock&) {
            choose(RunMode::Standalone);
            return result;
        };
        auto app = rig.app();
        app->runCycle({"SYNC_WITH_CONCEPT"});
        EXPECT_EQ(rig.host.pressCount(result == 1 ? window.ok : window.cancel), 1) << result;
        EXPECT_EQ(rig.count("module list"), 0) << result;
        EXPECT_EQ(rig.count("dialog"), 1) << result;
        expectWindowClosedThenDeleted(rig.log);
    }
}

TEST(RunCycle, QuitFromTheStartupWindowEndsAtTheNextPoll) {
    for (const char* word : {"", "SYNC_WITH_CONCEPT"}) {
        AppRig rig;
        int findsAtQuit = -1;
        rig.clock.onSleep = [&](int n, unsigned) {
            if (n != 3) return;
            findsAtQuit = rig.host.findCalls();
            choose(RunMode::Quit);
        };
        auto app = rig.app();
        app->runCycle({word});
        EXPECT_EQ(rig.clock.sleeps(), (std::vector<unsigned>{250, 250, 250})) << word;
        EXPECT_EQ(rig.host.findCalls(), findsAtQuit) << word;
        EXPECT_TRUE(rig.editorsBuilt.empty());
        expectWindowClosedThenDeleted(rig.log);
    }
}

// ---------------------------------------------------------------- synchronised cycle

TEST(RunCycle, SynchronisedMinimisesOncePerCycleAndStepsTheCaptionWhileWaiting) {
    AppRig rig;
    int polls = 0;
    rig.clock.onSleep = [&](int, unsigned ms) {
        if (ms != kPollIntervalMs) return;
        ++polls;
        if (polls == 2) rig.host.addParameterWindow(titleOf(7));
        if (polls == 4) choose(RunMode::Quit);
    };
    rig.dialogAction = [](RegisterBlock&) { return 1; }; // OK closes the host window
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});

    EXPECT_EQ(windowEvents(rig.log), (EventLog{"startup created", "start thread", "minimise", "caption",
                                               "caption",                        // two polls find nothing
                                               "hide", "dialog",                 // the third finds module 7
                                               "minimise", "caption", "caption", // back to waiting
                                               "close and join", "deleted"}));
    // The read's and the write's pauses between the polls.
    EXPECT_EQ(rig.clock.sleeps(), (std::vector<unsigned>{250, 250, 500, 500, 250, 250}));
}

TEST(RunCycle, TwoHostWindowsAreServedLowerKindFirst) {
    AppRig rig;
    rig.host.addParameterWindow(titleOf(5));
    rig.host.addParameterWindow(titleOf(2));
    std::vector<std::string> titlesSeen;
    rig.dialogAction = [&](RegisterBlock&) {
        titlesSeen.push_back(theApp()->currentTitle());
        if (titlesSeen.size() == 2) choose(RunMode::Quit);
        return 2; // Cancel closes the host window
    };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    EXPECT_EQ(rig.editorsBuilt, (std::vector<ModuleKind>{2, 5}));
    EXPECT_EQ(titlesSeen, (std::vector<std::string>{titleOf(2), titleOf(5)}));
    EXPECT_FALSE(rig.clock.runaway);
}

TEST(RunCycle, SynchronisedDialogSeesTheRegistersReadFromTheHost) {
    AppRig rig;
    std::array<std::string, kRegisterCount> texts{};
    texts[0] = "1A2B";
    texts[1] = " 0x1a2b";
    texts[8] = "12345";
    rig.host.addParameterWindow(titleOf(6), WindowLayout::defaults(), -1, texts);
    std::vector<std::uint16_t> seen;
    rig.dialogAction = [&](RegisterBlock& editor) {
        EXPECT_TRUE(theApp()->isHostSynchronised());
        for (int i : {0, 1, 8}) seen.push_back(editor.getRegister(i));
        choose(RunMode::Quit);
        return 2;
    };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{0x1A2B, 0x1A2B, 0x2345}));
}

TEST(RunCycle, OkWritesTheModulesRegistersInLowerCaseHexAndPressesOk) {
    for (ModuleKind kind = 0; kind < kModuleCount; ++kind) {
        AppRig rig;
        std::array<std::string, kRegisterCount> texts;
        texts.fill("7777");
        const auto window = rig.host.addParameterWindow(titleOf(kind), WindowLayout::defaults(), -1, texts);
        rig.dialogAction = [](RegisterBlock& editor) {
            for (int i = 0; i < kRegisterCount; ++i) editor.setRegister(i, 0x0AB0 + i);
            choose(RunMode::Quit);
            return 1;
        };
        auto app = rig.app();
        app->runCycle({"SYNC_WITH_CONCEPT"});

        const int written = ModuleCatalogue[kind].writtenCount;
        for (int i = 0; i < kRegisterCount; ++i) {
            const HostHandle field = window.fields[static_cast<std::size_t>(i)];
            if (field == 0) continue;
            char expected[8];
            std::snprintf(expected, sizeof expected, "%x", 0x0AB0 + i);
            EXPECT_EQ(rig.host.text(field), i < written ? expected : "7777")
                << "module " << kind << " register " << i;
        }
        EXPECT_EQ(rig.host.pressCount(window.ok), 1) << kind;
        EXPECT_EQ(rig.host.pressCount(window.cancel), 0) << kind;
        EXPECT_TRUE(rig.messages.shown.empty()) << kind;
    }
}

TEST(RunCycle, CancelPressesCancelAndWritesNothing) {
    AppRig rig;
    const auto window = rig.host.addParameterWindow(titleOf(4));
    rig.dialogAction = [](RegisterBlock& editor) {
        editor.setRegister(0, 0xBEEF);
        choose(RunMode::Quit);
        return 2;
    };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    int setTexts = 0;
    for (const auto& m : rig.host.messages()) setTexts += m.kind == Kind::SetText;
    EXPECT_EQ(setTexts, 0);
    EXPECT_EQ(rig.host.pressCount(window.cancel), 1);
    EXPECT_EQ(rig.host.pressCount(window.ok), 0);
    EXPECT_TRUE(rig.messages.shown.empty());
}

TEST(RunCycle, FailedWriteShowsTheMessageAndTheCycleGoesOn) {
    using Window = FakeHostWindows::ParameterWindow;
    struct Case {
        const char* name;
        std::function<void(FakeHostWindows&, const Window&)> fault;
        bool fails;
    };
    const std::vector<Case> cases{
        {"none", [](FakeHostWindows&, const Window&) {}, false},
        {"window closed", [](FakeHostWindows& host, const Window& w) { host.destroy(w.window); }, true},
        {"field hangs", [](FakeHostWindows& host, const Window& w) { host.hang(w.fields[1]); }, true},
        {"field drops the text",
         [](FakeHostWindows& host, const Window& w) { host.ignoreSetText(w.fields[0]); }, true},
    };
    for (const Case& c : cases) {
        AppRig rig;
        const auto window = rig.host.addParameterWindow(titleOf(7));
        int dialogs = 0;
        rig.dialogAction = [&](RegisterBlock& editor) {
            editor.setRegister(0, 0x1234);
            if (++dialogs == 1) {
                c.fault(rig.host, window);
                return 1;
            }
            choose(RunMode::Quit); // a host window left open is served again
            return 2;
        };
        rig.clock.onSleep = [&](int, unsigned ms) {
            if (ms == kPollIntervalMs) choose(RunMode::Quit);
        };
        auto app = rig.app();
        app->runCycle({"SYNC_WITH_CONCEPT"});
        if (c.fails) {
            ASSERT_EQ(rig.messages.shown.size(), 1u) << c.name;
            EXPECT_EQ(rig.messages.shown[0].text,
                      "Concept I/O Parameters menu is not open!Could not update parameters.");
            EXPECT_EQ(rig.messages.shown[0].icon, MessageIcon::Stop);
        } else {
            EXPECT_TRUE(rig.messages.shown.empty()) << c.name;
        }
        // The cycle went back to waiting: the window was minimised again.
        const auto lastMinimise = std::find(rig.log.rbegin(), rig.log.rend(), "minimise");
        const auto message = std::find(rig.log.begin(), rig.log.end(), "message");
        EXPECT_EQ(rig.count("minimise"), 2) << c.name;
        if (message != rig.log.end()) {
            EXPECT_LT(message - rig.log.begin(), rig.log.rend() - lastMinimise - 1) << c.name;
        }
        EXPECT_FALSE(rig.clock.runaway) << c.name;
    }
}

TEST(RunCycle, DialogThatCannotRunPausesBeforeTheNextPoll) {
    AppRig rig;
    const auto window = rig.host.addParameterWindow(titleOf(0));
    int dialogs = 0;
    rig.dialogAction = [&](RegisterBlock&) {
        if (++dialogs == 2) choose(RunMode::Quit);
        return -1;
    };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    EXPECT_EQ(dialogs, 2);
    // Each pass: the read's pause, then one poll interval instead of a spin.
    EXPECT_EQ(rig.clock.sleeps(), (std::vector<unsigned>{500, 250, 500, 250}));
    EXPECT_EQ(rig.host.pressCount(window.ok) + rig.host.pressCount(window.cancel), 0);
}

TEST(RunCycle, AnExceptionEndsTheRunSilently) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        bool inDialog;
    };
    const std::vector<Case> cases{
        {"out of memory building the editor", [] { throw std::bad_alloc(); }, false},
        {"runtime error building the editor", [] { throw std::runtime_error("x"); }, false},
        {"foreign exception building the editor", [] { throw 42; }, false},
        {"exception from the dialog", [] { throw std::bad_alloc(); }, true},
    };
    for (const Case& c : cases) {
        AppRig rig;
        const auto window = rig.host.addParameterWindow(titleOf(6));
        if (c.inDialog)
            rig.dialogAction = [&](RegisterBlock&) -> int {
                c.raise();
                return 1;
            };
        else
            rig.beforeEditor = [&](ModuleKind) { c.raise(); };
        auto app = rig.app();
        EXPECT_FALSE(app->runCycle({"SYNC_WITH_CONCEPT"})) << c.name;
        EXPECT_TRUE(rig.messages.shown.empty()) << c.name;
        EXPECT_EQ(rig.host.pressCount(window.ok), 0) << c.name;
        EXPECT_TRUE(rig.clock.sleeps().empty() || rig.clock.sleeps() == std::vector<unsigned>{500}) << c.name;
        EXPECT_EQ(app->currentEditor(), nullptr);
        EXPECT_EQ(rig.count("dialog deleted"), c.inDialog ? 1 : 0) << c.name;
        expectWindowClosedThenDeleted(rig.log);
    }
}

TEST(RunCycle, PollHoldsTheLockForProbesAndCaptionAndNeverReleasesAnUnownedOne) {
    AppRig rig;
    rig.clock.onSleep = [&](int n, unsigned) {
        if (n == 1) rig.lock.failWaits = 1; // the next poll's wait runs out
        if (n == 3) choose(RunMode::Quit);
    };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    // The poll whose wait ran out goes on as if it held the lock.
    EXPECT_EQ(rig.count("caption unlocked"), 1);
    EXPECT_EQ(rig.count("caption"), 2);
    EXPECT_EQ(rig.lock.unlocksUnowned, 0);
    EXPECT_EQ(rig.lock.depth, 0);
    for (unsigned wait : rig.lock.waits) EXPECT_EQ(wait, 3000u);
}

TEST(RunCycle, TitlesComeFromTheDescriptionFile) {
    AppRig rig;
    rig.description = "Q770_ZHC_354_00VM=\"Counter four\"\n";
    rig.host.addParameterWindow("Counter four");
    rig.host.addParameterWindow(titleOf(6)); // the default title no longer applies
    rig.dialogAction = [](RegisterBlock&) {
        choose(RunMode::Quit);
        return 2;
    };
    auto app = rig.app();
    app->runCycle({"SYNC_WITH_CONCEPT"});
    EXPECT_EQ(rig.editorsBuilt, std::vector<ModuleKind>{6});
    EXPECT_EQ(app->currentTitle(), "Counter four");
}

// ---------------------------------------------------------------- two real threads

// Pauses are real but short, so the poll and the window's handlers interleave.
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
            theApp()->lockState();
            theApp()->setRunMode(RunMode::Synchronised);
            theApp()->unlockState();
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
    EventLog log;
    FakeHostWindows host; // main thread only
    FakeClock clock;      // sleeps for real, a little, so that the threads interleave
    clock.realMicrosPerMs = 4;
    clock.limit = 1'000'000;
    testing::RecordingMessages messages(log);
    testing::FakeInstanceGuard::Calls guardCalls;
    WindowStats stats;
    std::vector<ModuleKind> built;
    FakeHostWindows::ParameterWindow hostWindow;
    int polls = 0;
    clock.onSleep = [&](int, unsigned ms) {
        if (ms == kPollIntervalMs && ++polls == 3) hostWindow = host.addParameterWindow(titleOf(3));
    };

    AppPorts ports;
    ports.instanceMutex = std::make_unique<testing::FakeInstanceGuard>(guardCalls, true, true);
    ports.createStateLock = [] { return std::make_unique<RecursiveTimedLock>(); };
    ports.messages = &messages;
    ports.windows = &host;
    ports.clock = &clock;
    ports.createStartupWindow = [&] { return std::make_unique<ThreadedStartupWindow>(stats); };
    ports.createEditor = [&](ModuleKind kind, HostContext context) {
        built.push_back(kind);
        return makeEditor(kind, std::move(context), [&](const DialogRequest&) {
            return std::make_unique<testing::FakeDialog>(log, [] { return 1; });
        });
    };
    ports.openDescription = [] { return std::unique_ptr<std::istream>(); };

    ConfigApp app(std::move(ports));
    EXPECT_FALSE(app.runCycle({}));
    EXPECT_EQ(app.runMode(), RunMode::Quit);
    EXPECT_TRUE(stats.cancelPressed);
    EXPECT_TRUE(stats.joinedBeforeDelete);
    EXPECT_EQ(stats.starts, 1);
    EXPECT_GE(stats.captions, 12);
    EXPECT_GE(stats.minimised, 2); // the first synchronised poll, and after the dialog
    EXPECT_EQ(built, std::vector<ModuleKind>{3});
    EXPECT_EQ(host.pressCount(hostWindow.ok), 1);
    EXPECT_TRUE(messages.shown.empty());
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
