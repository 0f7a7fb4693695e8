// velmora.exe against a host that misbehaves, end to end: hostsim.exe with
// its faults, a driver acting through window messages, every wait bounded,
// and whatever still runs at the end ended by the process objects.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "win32/cycle_driver.h"

namespace velmora {
namespace {

using namespace velmora::testing;

constexpr ModuleKind kMultiPurpose = 7;
constexpr unsigned kTextBoundMs = 1000; // the exchange's bound on one text message
constexpr unsigned kLockBoundMs = 3000; // the state lock's bound
constexpr unsigned kPollMs = 250;
// What a loaded Wine machine adds to a step: a poll, a dialog built, a message box shown.
constexpr double kSlackMs = 1500;

// Host texts in odd spellings, so that a field the tool rewrote shows it.
const std::vector<std::string> kHostTexts = {"ff", "0a", "1F", "63", "1f4", "0100", "ffff", "7",
                                             "08", "0C", "0D", "Zz", " 12", "abcd", "FFFF", "0000",
                                             "1",  "2",  "3",  "19", "20",  "21",   "22",   "23"};

// The first `count` registers of kHostTexts as the read found them; the rest never read.
RegisterWords readUpTo(int count) {
    RegisterWords words{};
    for (int i = 0; i < count; ++i)
        words[static_cast<std::size_t>(i)] = readHostText(kHostTexts[static_cast<std::size_t>(i)]);
    return words;
}

std::vector<std::string> shownTexts(const RegisterWords& words, ModuleKind kind) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < registerFieldIds(kind).size(); ++i) texts.push_back(hex4(words[i]));
    return texts;
}

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lock.owned()) << "another end-to-end test held the driver lock too long";
        ASSERT_NE(GetFileAttributesA(velmoraPath().c_str()), INVALID_FILE_ATTRIBUTES)
            << "velmora.exe is built beside the test binary";
    }

    std::unique_ptr<VelmoraProcess> startTool(const std::vector<std::string>& arguments,
                                              const Workspace* in = nullptr) {
        auto tool = std::make_unique<VelmoraProcess>(arguments, (in ? *in : workspace).directory());
        EXPECT_TRUE(tool->started());
        return tool;
    }

    // A synchronised tool, waiting minimised for the host.
    std::unique_ptr<VelmoraProcess> startWaitingTool(const Workspace* in = nullptr) {
        auto tool = startTool({"SYNC_WITH_CONCEPT"}, in);
        EXPECT_NE(tool->waitFor(waitingMinimised), nullptr) << tool->describeWindows();
        return tool;
    }

    // A host window titled `title`, open when this returns; `window` receives it.
    std::unique_ptr<HostsimProcess>
    startHost(const std::string& title, const std::vector<std::string>& extra = {}, HWND* window = nullptr) {
        std::vector<std::string> arguments{"--title", title, "--texts", joinTexts(kHostTexts)};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto host = std::make_unique<HostsimProcess>(arguments);
        EXPECT_TRUE(host->started());
        const HWND found = host->waitForWindow(title);
        EXPECT_NE(found, nullptr);
        if (window) *window = found;
        return host;
    }

    // A new module dialog after `previous` (which may still be on its way out).
    static HWND nextDialog(VelmoraProcess& tool, HWND previous, DWORD timeoutMs = 8000) {
        const auto dialog = moduleDialog(kMultiPurpose);
        return tool.waitFor([&](HWND w) { return w != previous && dialog(w); }, timeoutMs, 5);
    }

    EndToEndLock lock;
    Workspace workspace;
};

// ------------------------------------------------------------ a hanging host

TEST_F(Faults, HostHangingInTheMiddleOfAReadGivesWhatWasReadWithinOneSecond) {
    struct Case {
        int answered; // text messages the host answers before it hangs for 5 s
    };
    for (const Case c : {Case{5}, Case{0}}) {
        SCOPED_TRACE("hang after " + std::to_string(c.answered) + " text messages");
        const auto tool = startWaitingTool();
        HWND hostWindow = nullptr;
        const auto host =
            startHost(workspace.title(kMultiPurpose),
                      {"--hang-after", std::to_string(c.answered), "--hang-ms", "5000"}, &hostWindow);
        const double opened = nowMs();
        const HWND dialog = tool->waitFor(moduleDialog(kMultiPurpose), 8000, 2);
        const double shownAfter = nowMs() - opened;
        ASSERT_NE(dialog, nullptr) << tool->describeWindows();
        std::printf("[          ] hang after %d: dialog visible %.0f ms after the host window opened\n",
                    c.answered, shownAfter);
        // One unanswered message, then the read gives up: about its one-second bound.
        EXPECT_GE(shownAfter, kTextBoundMs - 100.0) << "the read waited for the hanging host";
        EXPECT_LT(shownAfter, kTextBoundMs + kSlackMs);

        // What was read, and nothing after the hang: the words the dialog shows
        // differ from those of a complete read.
        const RegisterWords partial = wordsShownAfterRead(kMultiPurpose, readUpTo(c.answered));
        ASSERT_NE(shownTexts(partial, kMultiPurpose),
                  shownTexts(wordsShownAfterRead(kMultiPurpose, readUpTo(24)), kMultiPurpose));
        EXPECT_EQ(shownRegisters(dialog, kMultiPurpose), shownTexts(partial, kMultiPurpose));

        // The host still hangs, and the tool answers at once.
        EXPECT_FALSE(answers(hostWindow, 100)) << "the host hangs for 5 s";
        const double click = timedClick(dialog, IDC_MP_RANGE_24V, 2000);
        EXPECT_LT(click, 300.0) << "a click in the dialog while the host hangs";
        EXPECT_TRUE(isChecked(dialog, IDC_MP_RANGE_24V));
        EXPECT_FALSE(answers(hostWindow, 50)) << "still within the host's hang";

        // Once the host answers again, Cancel reaches it.
        ASSERT_TRUE(answers(hostWindow, 8000));
        sendClick(dialog, IDCANCEL);
        ASSERT_TRUE(host->waitForExit(5000).has_value()) << tool->describeWindows();
        const auto seen = host->result();
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->outcome, "CANCEL");
        EXPECT_EQ(seen->presses, 1);
        EXPECT_EQ(seen->texts, kHostTexts);
        EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << "the cycle goes on";
    }
}

// A write the host does not take: the failure message, the host's OK never
// pressed, and the cycle serves the host window again.
TEST_F(Faults, WriteTheHostDoesNotTakeGivesTheMessageAndOkIsNotPressed) {
    struct Case {
        const char* name;
        std::vector<std::string> fault;
        int hangMs;        // how long the host stops answering, 0: never
        int fieldsWritten; // fields that hold the tool's words at the end (more may)
        double boundMs;    // from OK to the message
    };
    // The read takes 19 text messages; each written register a set and a read-back.
    const std::vector<Case> cases = {
        {"host hangs after Reg3 was written",
         {"--hang-after", "25", "--hang-ms", "5000"},
         5000,
         3,
         kTextBoundMs + kSlackMs},
        {"Reg5 ignores the write", {"--frozen", "5"}, 0, 4, kSlackMs},
    };
    const std::vector<std::string> actions = {"delay=1234", "ch1.range=1"};
    const RegisterWords written = wordsAfterOk(kMultiPurpose, readUpTo(24), actions);
    ASSERT_NE(writeHostText(written[4]), kHostTexts[4]) << "Reg5 changes";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto tool = startWaitingTool();
        HWND hostWindow = nullptr;
        const auto host = startHost(workspace.title(kMultiPurpose), c.fault, &hostWindow);
        const HWND dialog = tool->waitFor(moduleDialog(kMultiPurpose));
        ASSERT_NE(dialog, nullptr) << tool->describeWindows();
        sendText(dialog, IDC_MP_DELAY, "1234");
        sendClick(dialog, IDC_MP_RANGE_12V);
        const double ok = nowMs();
        sendClick(dialog, IDOK);

        const HWND box = tool->waitFor(VelmoraProcess::showing(kWriteFailedText), 8000, 5);
        const double messageAfter = nowMs() - ok;
        ASSERT_NE(box, nullptr) << tool->describeWindows();
        std::printf("[          ] %s: message %.0f ms after OK\n", c.name, messageAfter);
        EXPECT_LT(messageAfter, c.boundMs);
        EXPECT_EQ(hostPresses(hostWindow), 0) << "OK is not pressed";

        // The message waits for the user; the host comes back meanwhile.
        if (c.hangMs) {
            ASSERT_TRUE(answers(hostWindow, static_cast<DWORD>(c.hangMs) + 3000));
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);

        // The host window is still open: the cycle serves it again.
        const HWND again = nextDialog(*tool, dialog);
        ASSERT_NE(again, nullptr) << tool->describeWindows();
        EXPECT_EQ(hostPresses(hostWindow), 0);
        sendClick(again, IDCANCEL);
        ASSERT_TRUE(host->waitForExit(5000).has_value()) << tool->describeWindows();
        const auto seen = host->result();
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->outcome, "CANCEL");
        EXPECT_EQ(seen->presses, 1) << "only the Cancel of the second dialog";
        for (int i = 0; i < 24; ++i) {
            const std::string& text = seen->texts[static_cast<std::size_t>(i)];
            const std::string& before = kHostTexts[static_cast<std::size_t>(i)];
            // The set-text that timed out completes after the hang: that field is unknown.
            if (i < c.fieldsWritten) {
                EXPECT_EQ(text, writeHostText(written[static_cast<std::size_t>(i)])) << "Reg" << i + 1;
            } else if (i > c.fieldsWritten || !c.hangMs) {
                EXPECT_EQ(text, before) << "Reg" << i + 1;
            }
        }
        EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << "the cycle goes on";
    }
}

TEST_F(Faults, StickyHostButtonIsPressedExactlyThreeTimesAndTheCycleGoesOn) {
    const RegisterWords written = wordsAfterOk(kMultiPurpose, readUpTo(24), {"delay=77"});
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        const auto tool = startWaitingTool();
        HWND hostWindow = nullptr;
        const auto host = startHost(workspace.title(kMultiPurpose), {"--sticky"}, &hostWindow);
        const HWND dialog = tool->waitFor(moduleDialog(kMultiPurpose));
        ASSERT_NE(dialog, nullptr) << tool->describeWindows();
        sendText(dialog, IDC_MP_DELAY, "77");
        sendClick(dialog, button);

        // The host window stays open, so the cycle serves it again.
        const HWND again = nextDialog(*tool, dialog);
        ASSERT_NE(again, nullptr) << tool->describeWindows();
        EXPECT_EQ(hostPresses(hostWindow), 3);
        EXPECT_TRUE(tool->find(VelmoraProcess::showing(kWriteFailedText)) == nullptr)
            << "a sticky button is no failure";

        // The user closes the host window, then cancels the dialog: nothing to press.
        ASSERT_TRUE(host->close(5000).has_value());
        const auto seen = host->result();
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->outcome, "CLOSED");
        EXPECT_EQ(seen->presses, 3);
        EXPECT_EQ(seen->texts,
                  button == IDOK ? hostTextsAfterOk(kHostTexts, written, kMultiPurpose) : kHostTexts);
        sendClick(again, IDCANCEL);
        EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << tool->describeWindows();
        EXPECT_TRUE(tool->running());
    }
}

// ------------------------------------------------------------ a short host window

TEST_F(Faults, HostWindowWithFewerChildrenThanTheWalkReaches) {
    struct Case {
        int children;
        int registersRead; // of the 19 mapped, in position order
        bool okPressed;    // the host's OK (position 52) exists
    };
    // Positions: Reg1-Reg8 at 1-8, Reg9-Reg16 at 17-24, Reg17-Reg19 at 33-35.
    const std::vector<Case> cases = {
        {0, 0, false}, {1, 0, false}, {9, 8, false}, {18, 9, false}, {53, 19, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.children) + " children");
        const RegisterWords read = readUpTo(c.registersRead);
        const RegisterWords written = wordsAfterOk(kMultiPurpose, read, {"delay=321"});
        const auto tool = startWaitingTool();
        HWND hostWindow = nullptr;
        const auto host = startHost(workspace.title(kMultiPurpose),
                                    {"--children", std::to_string(c.children)}, &hostWindow);
        const HWND dialog = tool->waitFor(moduleDialog(kMultiPurpose));
        ASSERT_NE(dialog, nullptr) << tool->describeWindows();
        EXPECT_EQ(shownRegisters(dialog, kMultiPurpose),
                  shownTexts(wordsShownAfterRead(kMultiPurpose, read), kMultiPurpose))
            << "what the children held";
        sendText(dialog, IDC_MP_DELAY, "321");
        sendClick(dialog, IDOK);

        // Every register whose field exists is written, up to where the children end.
        std::vector<std::string> expected = kHostTexts;
        const WindowLayout layout = WindowLayout::defaults();
        for (int reg = 0; reg < moduleInfo(kMultiPurpose).writtenCount; ++reg) {
            const int position = layout.controlPositions[static_cast<std::size_t>(reg)];
            if (position < c.children)
                expected[static_cast<std::size_t>(hostFieldAt(position))] =
                    writeHostText(written[static_cast<std::size_t>(reg)]);
        }

        if (c.okPressed) {
            ASSERT_TRUE(host->waitForExit(5000).has_value()) << tool->describeWindows();
            EXPECT_EQ(host->result()->outcome, "OK");
            EXPECT_EQ(host->result()->texts, expected);
            EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr);
            continue;
        }
        EXPECT_TRUE(acknowledge(*tool, kWriteFailedText)) << tool->describeWindows();
        const HWND again = nextDialog(*tool, dialog);
        ASSERT_NE(again, nullptr) << "the cycle goes on: " << tool->describeWindows();
        ASSERT_TRUE(host->close(5000).has_value());
        const auto seen = host->result();
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->outcome, "CLOSED");
        EXPECT_EQ(seen->presses, 0);
        EXPECT_EQ(seen->texts, expected);
        sendClick(again, IDCANCEL);
        EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << tool->describeWindows();
    }
}

// OK at MAX_WINDOWS: the walk could write the registers but never press OK, so
// the write must fail before it writes anything, and say so.
TEST_F(Faults, WriteThatCannotReachOkWritesNothingAndGivesTheMessage) {
    writeDescription(workspace, std::string(ModuleCatalogue[kMultiPurpose].hostKey) + "=\"" +
                                    workspace.title(kMultiPurpose) + "\"\nMAX_WINDOWS=52\n");
    const auto tool = startWaitingTool();
    const auto host = startHost(workspace.title(kMultiPurpose));
    const HWND dialog = tool->waitFor(moduleDialog(kMultiPurpose));
    ASSERT_NE(dialog, nullptr) << tool->describeWindows();
    sendText(dialog, IDC_MP_DELAY, "321");
    sendClick(dialog, IDOK);

    EXPECT_TRUE(acknowledge(*tool, kWriteFailedText)) << tool->describeWindows();
    const HWND again = nextDialog(*tool, dialog);
    ASSERT_NE(again, nullptr) << "the cycle goes on: " << tool->describeWindows();
    ASSERT_TRUE(host->close(5000).has_value());
    const auto seen = host->result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->presses, 0);
    EXPECT_EQ(seen->texts, kHostTexts) << "no field written";
    sendClick(again, IDCANCEL);
}

// ------------------------------------------------------------ window description files

// Bytes of every value, none of them a key of the file.
std::string binaryGarbage(std::size_t size) {
    std::string bytes;
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 23));
    }
    return bytes;
}

// A line of 10,000 characters. The reader keeps 80 characters of a line,
// drops the 81st and reads the rest as the next line, so the line is read as
// 81-character pieces: a key whose value ends the kept 80 takes effect; the
// dropped character begins no key of the next piece; a key cut by it is none.
std::string longLine(const std::string& title) {
    std::string line;
    auto piece = [&](const std::string& kept, char dropped) {
        line += std::string(80 - kept.size(), 'x') + kept + dropped;
    };
    piece("", 'x');
    piece("REG_08=18", 'x');
    piece(title + "zz", 'x');
    piece("", 'R');
    piece("EG_08=" + std::string(72, '0') + "20", 'x'); // with the R it would read 20
    line += std::string(75, 'y') + "REG_08=21";         // the 81st character is its '8'
    line.resize(10000, 'z');
    return line + "\n";
}

TEST_F(Faults, WindowDescriptionFilesReadExactlyAsTheRulesSay) {
    const std::string tag = std::to_string(GetCurrentProcessId() % 100000);
    const std::string titleKey(ModuleCatalogue[kMultiPurpose].hostKey);
    auto titleLine = [&](const std::string& title) { return titleKey + " = \"" + title + "\""; };

    struct Case {
        const char* name;
        std::string file;
        std::string title; // the title the tool serves
        std::string decoy; // a title it must not serve (empty: none)
        int reg9Position;  // child position of Reg9 in effect
    };
    const std::vector<Case> cases = {
        {"binary garbage", binaryGarbage(4096), std::string(ModuleCatalogue[kMultiPurpose].defaultTitle), "",
         17},
        {"lines of 10,000 characters", longLine(titleLine("LT" + tag)) + std::string(10000, 'q') + "\n",
         "LT" + tag, "", 18},
        {"keys without values",
         titleLine("KV" + tag) + "\nREG_08 = 18\n" + titleKey + " =\n" + titleKey + "\nREG_08 =\nREG_08\n" +
             "REG_08 = \nOK_BUTTON=\nCANCEL_BUTTON\nMAX_WINDOWS =   \n",
         "KV" + tag, "", 18},
        {"duplicate keys",
         titleLine("D1" + tag) + "\n" + titleLine("D2" + tag) + "\nREG_08 = 18\nREG_08 = 19\nREG_08 = 20x\n" +
             titleKey + " = D3" + tag + "\n",
         "D2" + tag, "D1" + tag, 19},
        {"CR-LF endings", titleLine("CR" + tag) + "\r\nREG_08 = 18\r\nOK_BUTTON = 52\r\nMAX_WINDOWS = 54\r\n",
         "CR" + tag, "", 18},
    };
    for (const char* key : {"REG_", "OK_BUTTON", "CANCEL_BUTTON", "MAX_WINDOWS", "Q770_"})
        ASSERT_EQ(cases[0].file.find(key), std::string::npos) << "the garbage holds no key";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Workspace own;
        writeDescription(own, c.file);
        const auto tool = startWaitingTool(&own);
        ASSERT_TRUE(tool->running()) << "no crash on reading the file";

        if (!c.decoy.empty()) {
            // A value that a later line replaced is not served: four polls pass.
            const auto decoy = startHost(c.decoy);
            EXPECT_EQ(tool->waitFor(moduleDialog(kMultiPurpose), 4 * kPollMs), nullptr);
            decoy->close(5000);
            EXPECT_EQ(decoy->result()->presses, 0);
        }

        const auto host = startHost(c.title);
        const HWND dialog = tool->waitFor(moduleDialog(kMultiPurpose));
        ASSERT_NE(dialog, nullptr) << "the title in effect is served: " << tool->describeWindows();

        // Reg1-Reg8 at their default positions, Reg9 where the file put it.
        const int reg9Field = hostFieldAt(c.reg9Position);
        RegisterWords read = readUpTo(8);
        read[8] = readHostText(kHostTexts[static_cast<std::size_t>(reg9Field)]);
        EXPECT_EQ(shownRegisters(dialog, kMultiPurpose),
                  shownTexts(wordsShownAfterRead(kMultiPurpose, read), kMultiPurpose));
        sendClick(dialog, IDOK);

        ASSERT_TRUE(host->waitForExit(5000).has_value())
            << "OK pressed at its position: " << tool->describeWindows();
        const auto seen = host->result();
        ASSERT_TRUE(seen.has_value());
        EXPECT_EQ(seen->outcome, "OK");
        const RegisterWords written = wordsAfterOk(kMultiPurpose, read);
        std::vector<std::string> expected = kHostTexts;
        for (int reg = 0; reg < 8; ++reg)
            expected[static_cast<std::size_t>(reg)] = writeHostText(written[static_cast<std::size_t>(reg)]);
        expected[static_cast<std::size_t>(reg9Field)] = writeHostText(written[8]);
        EXPECT_EQ(seen->texts, expected);
        EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << tool->describeWindows();
    }
}

// ------------------------------------------------------------ the start-up window's buttons

// Top-level windows of the driver's own, hidden: each probe of the poll
// compares every top-level window's title, so they lengthen the time the poll
// holds the lock.
class FillerWindows {
public:
    explicit FillerWindows(int count) {
        for (int i = 0; i < count; ++i)
            if (HWND w = CreateWindowExA(0, "STATIC", "filler", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                         nullptr, nullptr))
                windows_.push_back(w);
    }
    ~FillerWindows() {
        for (HWND w : windows_) DestroyWindow(w);
    }
    FillerWindows(const FillerWindows&) = delete;
    FillerWindows& operator=(const FillerWindows&) = delete;

private:
    std::vector<HWND> windows_;
};

// Concept Sync, again and again, while the poll takes the lock every 250 ms
// and host windows come and go. A click that meets the poll holding the lock
// waits for the lock's bound: the poll's caption update sends to the window's
// thread, which waits for the lock. Each click must still be recorded (the
// window minimises at the next poll), and none may wait beyond that bound.
TEST_F(Faults, StartupButtonsPressedWhileThePollHoldsTheLockAreEachRecorded) {
    const auto tool = startTool({});
    const HWND startup = tool->waitFor(VelmoraProcess::withControl(IDC_CONCEPT_SYNC));
    ASSERT_NE(startup, nullptr);
    ASSERT_FALSE(IsIconic(startup)) << "undecided: the window waits for a choice";

    const double bound = kLockBoundMs + 600.0;
    std::vector<double> clicks;
    auto clickConceptSync = [&] {
        clicks.push_back(timedClick(startup, IDC_CONCEPT_SYNC));
        return clicks.back();
    };
    auto minimisedWithin = [&](double ms) {
        return tool->waitFor([&](HWND w) { return w == startup && IsIconic(w); }, static_cast<DWORD>(ms),
                             2) != nullptr;
    };
    auto restore = [&] {
        ShowWindowAsync(startup, SW_RESTORE);
        return tool->waitFor([&](HWND w) { return w == startup && IsWindowVisible(w) && !IsIconic(w); },
                             3000) != nullptr;
    };
    auto caption = [&] {
        char text[64] = {};
        GetWindowTextA(startup, text, sizeof text); // no message: the window belongs to another process
        return std::string(text);
    };

    EXPECT_LT(clickConceptSync(), bound);
    ASSERT_TRUE(minimisedWithin(kPollMs + bound)) << tool->describeWindows();
    ASSERT_NE(tool->waitFor(waitingMinimised, 2000), nullptr);

    // Restored without a click, the window stays restored.
    ASSERT_TRUE(restore());
    Sleep(3 * kPollMs);
    EXPECT_FALSE(IsIconic(startup)) << "only a click minimises it";

    int recorded = 0;
    int rounds = 0;
    std::uint32_t phase = 7;
    for (int round = 0; round < 12; ++round) {
        if (round % 6 == 5) {
            // A host window comes and goes; the click meets the hidden window.
            const ModuleKind kind = (round / 6) % kModuleCount;
            const auto host = startHost(workspace.title(kind));
            const HWND dialog = tool->waitFor(moduleDialog(kind));
            ASSERT_NE(dialog, nullptr) << tool->describeWindows();
            EXPECT_LT(clickConceptSync(), bound);
            sendClick(dialog, IDCANCEL);
            ASSERT_TRUE(host->waitForExit(5000).has_value());
            EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << tool->describeWindows();
            continue;
        }
        ++rounds;
        ASSERT_TRUE(restore());
        // At different points of the poll.
        phase = phase * 1103515245u + 12345u;
        Sleep((phase >> 16) % kPollMs);
        EXPECT_LT(clickConceptSync(), bound);
        recorded += minimisedWithin(kPollMs + bound);
    }

    // Aimed: the caption changes as the poll lets the lock go, and the next
    // poll takes it 250 ms later for its probes, lengthened here.
    const FillerWindows filler(1000);
    int waited = 0;
    for (int attempt = 0; attempt < 8 && waited < 2; ++attempt) {
        ++rounds;
        ASSERT_TRUE(restore());
        const std::string before = caption();
        const double deadline = nowMs() + 2000;
        while (caption() == before && nowMs() < deadline) Sleep(1);
        const double aim = nowMs() + kPollMs + 4;
        Sleep(kPollMs - 2);
        while (nowMs() < aim) {}
        const double click = clickConceptSync();
        EXPECT_LT(click, bound);
        waited += click > 1000;
        recorded += minimisedWithin(kPollMs + bound);
    }
    EXPECT_EQ(recorded, rounds) << "every Concept Sync minimised the window at the next poll";
    EXPECT_GE(waited, 1) << "no click met the poll holding the lock";

    std::sort(clicks.begin(), clicks.end());
    std::printf(
        "[          ] %zu Concept Sync clicks: median %.1f ms, max %.1f ms, %d waited for the lock\n",
        clicks.size(), clicks[clicks.size() / 2], clicks.back(),
        static_cast<int>(std::count_if(clicks.begin(), clicks.end(), [](double ms) { return ms > 1000; })));

    // The last choice, Cancel, ends the run within a poll and the lock's bound.
    const double cancel = timedClick(startup, IDCANCEL);
    EXPECT_LT(cancel, bound);
    EXPECT_EQ(tool->waitForExit(static_cast<DWORD>(kPollMs + bound)), 0u) << tool->describeWindows();
}

TEST_F(Faults, StandaloneOrCancelWhileSynchronisedIsRecordedWithinTheBounds) {
    const double bound = kLockBoundMs + 600.0;
    for (const int button : {IDC_STANDALONE, IDCANCEL}) {
        SCOPED_TRACE(button == IDCANCEL ? "Cancel" : "Standalone");
        std::uint32_t phase = 99;
        for (int attempt = 0; attempt < 3; ++attempt) {
            const auto tool = startWaitingTool();
            const HWND startup = tool->find(isStartupWindow);
            ASSERT_NE(startup, nullptr);
            phase = phase * 1103515245u + 12345u;
            Sleep((phase >> 16) % kPollMs);
            const double click = timedClick(startup, button);
            EXPECT_LT(click, bound);
            if (button == IDCANCEL) {
                EXPECT_EQ(tool->waitForExit(static_cast<DWORD>(kPollMs + bound)), 0u)
                    << tool->describeWindows();
                continue;
            }
            const HWND list = tool->waitFor(VelmoraProcess::withControl(IDC_MODULE_LIST),
                                            static_cast<DWORD>(kPollMs + bound));
            ASSERT_NE(list, nullptr) << "the standalone run's module list: " << tool->describeWindows();
            sendClick(list, IDCANCEL);
            EXPECT_EQ(tool->waitForExit(3000), 0u);
        }
    }
}

} // namespace
} // namespace velmora
