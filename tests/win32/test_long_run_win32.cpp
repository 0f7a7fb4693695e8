// The long run: one velmora.exe serves 200 host windows in a row, over all
// eight modules, each with a few changes made through the dialog's controls
// and OK (every tenth Cancel). Each host's fields after the cycle are checked
// against velmora-cli's encoding of the same start words and actions: the
// encoding runs here, from the core linked into this binary, and for the first
// cycle of each module velmora-cli.exe itself is run to show it prints the
// same words. The tool's handles, GDI and USER objects, windows and working
// set after cycle 10 and after cycle 200 must stay within a small margin.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/config_app.h"
#include "win32/cycle_driver.h"
#include "win32/process_resources.h"

namespace velmora {
namespace {

using namespace velmora::testing;

constexpr int kCycles = 200;
constexpr int kFirstMeasured = 10;
// The tool's pause after each exchange, 500 ms, lets a real host close its
// window before the next poll; hostsim closes it before the press returns, so
// the run shortens it to fit the test budget.
constexpr const char* kPauseForTheRun = "50";

// Growth allowed between cycle 10 and cycle 200.
constexpr long kHandleMargin = 16;
constexpr long kObjectMargin = 16; // GDI and USER objects
constexpr long kWindowMargin = 2;
constexpr SIZE_T kWorkingSetMargin = 4u << 20;

// Runs velmora-cli.exe and returns its standard output; empty when it failed.
std::string runCli(const std::vector<std::string>& arguments) {
    const ConsoleRun run = runConsole(cliPath(), arguments);
    return run.status == 0u ? run.out : std::string();
}

// One cycle's start and what the driver did.
struct Cycle {
    ModuleKind kind = 0;
    std::vector<std::string> hostTexts;
    std::vector<std::string> actions; // velmora-cli's ACTIONs for what the driver did
    bool ok = true;
};

// Host texts in the spellings a host might hold: upper or lower case,
// leading zeros or none, so that every field the tool rewrites shows it.
std::vector<std::string> randomHostTexts(std::mt19937& random) {
    std::vector<std::string> texts;
    for (int i = 0; i < 24; ++i) {
        const auto word = static_cast<unsigned>(random() & 0xFFFF);
        char text[8];
        std::snprintf(text, sizeof text, random() % 2 ? "%04X" : "%x", word);
        texts.emplace_back(text);
    }
    return texts;
}

// The words the read finds: the 19 mapped fields, Reg20-Reg24 never read.
RegisterWords readFrom(const std::vector<std::string>& texts) {
    RegisterWords words{};
    for (int i = 0; i < 19; ++i)
        words[static_cast<std::size_t>(i)] = readHostText(texts[static_cast<std::size_t>(i)]);
    return words;
}

// The driver: a few changes through the dialog's controls, as a user makes
// them, each recorded as the ACTION velmora-cli takes for it. Controls that
// are disabled or hidden at that moment are left alone.
class Driver {
public:
    Driver(HWND dialog, std::mt19937& random, std::vector<std::string>& actions)
        : dialog_(dialog), random_(random), actions_(actions) {}

    void drive(ModuleKind kind) {
        switch (moduleInfo(kind).family) {
        case EditorFamily::Analog:
            return analog();
        case EditorFamily::Universal:
            return universal();
        case EditorFamily::Counter:
            return counter(moduleInfo(kind).channels);
        case EditorFamily::MultiPurpose:
            return multiPurpose();
        }
    }

private:
    int pick(int count) { return static_cast<int>(random_() % static_cast<unsigned>(count)); }

    bool click(int id) {
        if (!isItemEnabled(dialog_, id)) return false;
        sendClick(dialog_, id);
        return true;
    }
    void radio(int firstId, int count, const std::string& name) {
        const int code = pick(count);
        if (click(firstId + code)) actions_.push_back(name + "=" + std::to_string(code));
    }
    void checkBox(int id, const std::string& name) {
        if (click(id)) actions_.push_back(name + "=" + (isChecked(dialog_, id) ? "1" : "0"));
    }
    void typed(int id, const std::string& name, int limit) {
        if (!isItemEnabled(dialog_, id)) return;
        const std::string value = std::to_string(pick(limit));
        sendText(dialog_, id, value);
        actions_.push_back(name + "=" + value);
    }
    void list(int id, const std::string& name) {
        if (!isItemEnabled(dialog_, id)) return;
        const std::vector<std::string> entries = listEntries(dialog_, id);
        if (entries.empty()) return;
        const int index = pick(static_cast<int>(entries.size()));
        selectListEntry(dialog_, id, index);
        actions_.push_back(name + "=" + entries[static_cast<std::size_t>(index)]);
    }

    void analog() {
        const int group = pick(4);
        const std::string g = "g" + std::to_string(group + 1) + ".";
        for (int change = 0; change < 2; ++change) {
            switch (pick(6)) {
            case 0:
                list(IDC_ANALOG_RANGE1 + 2 * group, g + "range");
                break;
            case 1:
                list(IDC_ANALOG_FORMAT1 + 2 * group, g + "format");
                break;
            case 2:
                list(IDC_ANALOG_FILTER1 + 2 * group, g + "filter");
                break;
            case 3:
                list(IDC_ANALOG_ACQUISITION1 + 2 * group, g + "acquisition");
                break;
            case 4:
                list(IDC_ANALOG_CALIBRATION, "calibration");
                break;
            default:
                if (pick(2))
                    list(IDC_ANALOG_TRIGGER, "trigger");
                else
                    list(IDC_ANALOG_TIMESTAMP, "timestamp");
            }
        }
    }

    void universal() {
        struct ListName {
            int id;
            const char* name;
        };
        static const ListName lists[] = {{IDC_UNI_VOLTAGE, "voltage"},
                                         {IDC_UNI_CURRENT, "current"},
                                         {IDC_UNI_THERMOCOUPLE, "thermocouple"},
                                         {IDC_UNI_RTD, "rtd"},
                                         {IDC_UNI_RTD_WIRING, "wiring"},
                                         {IDC_UNI_RESISTANCE, "resistance"},
                                         {IDC_UNI_RES_WIRING, "wiring"},
                                         {IDC_UNI_UNITS, "units"},
                                         {IDC_UNI_FORMAT, "format"},
                                         {IDC_UNI_FILTER, "filter"},
                                         {IDC_UNI_FAULT, "fault"}};
        const int group = pick(4);
        // Choosing a group is no setting: nothing for the command line.
        click(IDC_UNI_GROUP1 + group);
        const std::string g = "g" + std::to_string(group + 1) + ".";
        if (pick(2)) radio(IDC_UNI_TYPE_VOLTAGE, 6, g + "type");
        for (int change = 0; change < 2; ++change) {
            const ListName& chosen = lists[pick(static_cast<int>(std::size(lists)))];
            list(chosen.id, g + chosen.name);
        }
    }

    void counter(int channels) {
        const int channel = pick(channels);
        click(IDC_CNT_CHANNEL1 + channel);
        const std::string ch = "ch" + std::to_string(channel + 1) + ".";
        for (int change = 0; change < 3; ++change) {
            switch (pick(7)) {
            case 0:
                radio(IDC_CNT_RANGE_5V, 4, ch + "range");
                break;
            case 1:
                radio(IDC_CNT_MODE_UNI, 4, ch + "mode");
                break;
            case 2:
                radio(IDC_CNT_SIZE_16, 2, ch + "size");
                break;
            case 3:
                radio(IDC_CNT_RATE_1HZ, 2, ch + "rate");
                break;
            case 4:
                checkBox(IDC_CNT_DIGITAL_FILTER, ch + "digital_filter");
                break;
            case 5:
                checkBox(IDC_CNT_ANALOG_FILTER, ch + "analog_filter");
                break;
            default:
                typed(IDC_CNT_DELAY, "delay", 70000);
            }
        }
    }

    void multiPurpose() {
        const int channel = pick(4);
        click(IDC_MP_CHANNEL1 + channel);
        const std::string ch = "ch" + std::to_string(channel + 1) + ".";
        for (int change = 0; change < 3; ++change) {
            switch (pick(7)) {
            case 0:
                radio(IDC_MP_RANGE_5V, 4, ch + "range");
                break;
            case 1:
                radio(IDC_MP_GATE_5V, 3, ch + "gate");
                break;
            case 2:
                radio(IDC_MP_SIZE_16BIT, 2, ch + "size");
                break;
            case 3:
                checkBox(IDC_MP_DIGITAL_FILTER, ch + "digital_filter");
                break;
            case 4:
                checkBox(IDC_MP_ANALOG_FILTER, ch + "analog_filter");
                break;
            case 5:
                typed(IDC_MP_TIMEOUT, ch + "timeout", 300);
                break;
            default:
                typed(IDC_MP_DELAY, "delay", 70000);
            }
        }
    }

    HWND dialog_;
    std::mt19937& random_;
    std::vector<std::string>& actions_;
};

std::string describe(const Cycle& cycle) {
    std::string text = "module " + std::to_string(cycle.kind) + (cycle.ok ? ", OK" : ", Cancel") +
                       "; host texts " + joinTexts(cycle.hostTexts) + "; actions:";
    for (const std::string& action : cycle.actions) text += " \"" + action + "\"";
    return text;
}

// velmora-cli.exe's encode of the same start and actions, as words.
std::vector<std::uint16_t> cliEncode(const Cycle& cycle, const RegisterWords& read) {
    std::vector<std::string> arguments{"encode", std::to_string(cycle.kind), "--from"};
    for (std::uint16_t word : read) arguments.push_back(hex4(word));
    arguments.insert(arguments.end(), cycle.actions.begin(), cycle.actions.end());
    std::istringstream output(runCli(arguments));
    std::vector<std::uint16_t> words;
    for (std::string word; output >> word;) words.push_back(readHostText(word));
    return words;
}

TEST(LongRun, TwoHundredCyclesOverEveryModuleMatchTheCommandLineEncodingWithoutGrowth) {
    EndToEndLock lock;
    ASSERT_TRUE(lock.owned()) << "another end-to-end test held the driver lock too long";
    ASSERT_NE(GetFileAttributesA(cliPath().c_str()), INVALID_FILE_ATTRIBUTES)
        << "velmora-cli.exe is built beside the test binary (the windows preset builds it)";
    Workspace workspace;
    VelmoraProcess tool({kPauseForTheRun, "SYNC_WITH_CONCEPT"}, workspace.directory(), quickPausePath());
    ASSERT_NE(tool.waitFor(waitingMinimised), nullptr) << tool.describeWindows();

    std::mt19937 random(20240611);
    std::vector<Cycle> cycles(kCycles);
    for (int c = 0; c < kCycles; ++c) {
        cycles[static_cast<std::size_t>(c)].kind = c % kModuleCount;
        cycles[static_cast<std::size_t>(c)].hostTexts = randomHostTexts(random);
        cycles[static_cast<std::size_t>(c)].ok = c % 10 != 9;
    }
    auto launch = [&](int c) {
        const Cycle& cycle = cycles[static_cast<std::size_t>(c)];
        return std::make_unique<HostsimProcess>(std::vector<std::string>{
            "--title", workspace.title(cycle.kind), "--texts", joinTexts(cycle.hostTexts)});
    };
    // Measured with the tool waiting and no host window open.
    auto measureWaiting = [&] {
        EXPECT_NE(tool.waitFor(waitingMinimised, 5000), nullptr);
        Sleep(600);
        return measureResources(tool.handle());
    };

    ProcessResources atFirst, atLast;
    int mismatches = 0;
    std::vector<double> cycleMs, hostMs, dialogMs, driveMs, endMs;
    std::string workingSets;
    HWND previous = nullptr;
    const double started = nowMs();
    std::unique_ptr<HostsimProcess> next = launch(0);
    for (int c = 0; c < kCycles; ++c) {
        Cycle& cycle = cycles[static_cast<std::size_t>(c)];
        SCOPED_TRACE("cycle " + std::to_string(c + 1));
        const double begin = nowMs();
        const std::unique_ptr<HostsimProcess> host = std::move(next);
        ASSERT_TRUE(host->started());
        ASSERT_NE(host->waitForWindow(workspace.title(cycle.kind)), nullptr);
        hostMs.push_back(nowMs() - begin);
        const auto isDialog = moduleDialog(cycle.kind);
        const HWND dialog = tool.waitFor([&](HWND w) { return w != previous && isDialog(w); }, 10000, 5);
        ASSERT_NE(dialog, nullptr) << tool.describeWindows();
        previous = dialog;
        dialogMs.push_back(nowMs() - begin);
        // The next host opens while this cycle runs; the tool finds it at its next poll.
        const bool measureAfter = c + 1 == kFirstMeasured || c + 1 == kCycles;
        if (c + 1 < kCycles && !measureAfter) next = launch(c + 1);

        std::mt19937 own(static_cast<unsigned>(c) * 7919u + 1u);
        Driver(dialog, own, cycle.actions).drive(cycle.kind);
        driveMs.push_back(nowMs() - begin);
        sendClick(dialog, cycle.ok ? IDOK : IDCANCEL);
        ASSERT_TRUE(host->waitForExit(8000).has_value()) << describe(cycle) << tool.describeWindows();
        endMs.push_back(nowMs() - begin);
        const auto seen = host->result();
        ASSERT_TRUE(seen.has_value());

        const RegisterWords read = readFrom(cycle.hostTexts);
        std::vector<std::string> expected = cycle.hostTexts;
        if (cycle.ok) {
            RegisterWords written{};
            try {
                written = wordsAfterOk(cycle.kind, read, cycle.actions);
            } catch (const std::exception& refused) {
                ADD_FAILURE() << "velmora-cli refuses what the dialog allowed: " << refused.what() << "; "
                              << describe(cycle);
                ++mismatches;
                continue;
            }
            expected = hostTextsAfterOk(cycle.hostTexts, written, cycle.kind);
            if (c < kModuleCount) {
                const std::vector<std::uint16_t> printed = cliEncode(cycle, read);
                EXPECT_EQ(printed,
                          std::vector<std::uint16_t>(written.begin(),
                                                     written.begin() + moduleInfo(cycle.kind).writtenCount))
                    << "velmora-cli.exe prints the words computed here; " << describe(cycle);
            }
        }
        const std::string outcome = cycle.ok ? "OK" : "CANCEL";
        if (seen->outcome != outcome || seen->texts != expected) {
            if (++mismatches <= 5)
                ADD_FAILURE() << "host ended " << seen->outcome << " with " << joinTexts(seen->texts)
                              << "\n  expected " << outcome << " with " << joinTexts(expected) << "\n  "
                              << describe(cycle);
        }
        EXPECT_EQ(seen->presses, 1);

        if (measureAfter) {
            (c + 1 == kFirstMeasured ? atFirst : atLast) = measureWaiting();
            if (c + 1 < kCycles) next = launch(c + 1);
        }
        if ((c + 1) % 50 == 0)
            workingSets += " " + std::to_string(c + 1) + ": " +
                           std::to_string(measureResources(tool.handle()).workingSet / 1024) + " KB";
        cycleMs.push_back(nowMs() - begin);
    }
    EXPECT_EQ(mismatches, 0);

    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    std::printf("[          ] %d cycles in %.1f s: median %.0f ms per cycle (host window %.0f, dialog %.0f, "
                "changes made %.0f, host closed %.0f ms into it)\n",
                kCycles, (nowMs() - started) / 1000.0, median(cycleMs), median(hostMs), median(dialogMs),
                median(driveMs), median(endMs));
    std::printf("[          ] working set after cycle%s\n", workingSets.c_str());
    std::printf("[          ] after cycle %d:  %s\n", kFirstMeasured, atFirst.describe().c_str());
    std::printf("[          ] after cycle %d: %s\n", kCycles, atLast.describe().c_str());

    EXPECT_LE(atLast.handles, atFirst.handles + kHandleMargin);
    EXPECT_LE(atLast.gdiObjects, atFirst.gdiObjects + kObjectMargin) << gdiGrowth(atFirst, atLast);
    EXPECT_LE(atLast.userObjects, atFirst.userObjects + kObjectMargin);
    EXPECT_LE(atLast.windows, atFirst.windows + kWindowMargin);
    EXPECT_LE(atLast.workingSet, atFirst.workingSet + kWorkingSetMargin);
    EXPECT_TRUE(tool.running());
}

} // namespace
} // namespace velmora
