// The Windows figures of bench/run, printed rather than asserted: each test
// prints one line "VELMORA_BENCH {json}" that bench/run collects. Run them with
//   --gtest_also_run_disabled_tests --gtest_filter=BenchFigures.*

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/config_app.h"
#include "hostlink/host_windows_win32.h"
#include "hostlink/register_block.h"
#include "win32/cycle_driver.h"
#include "win32/process_resources.h"

namespace velmora {
namespace {

using namespace velmora::testing;

constexpr int kExchangeRuns = 50;
constexpr int kDialogTrials = 20;
constexpr int kStartRuns = 10;

// One machine-readable line: a figure's id, a label and a summary for the
// table, then its numbers.
class BenchLine {
public:
    BenchLine(const std::string& figure, const std::string& label) : json_("{\"figure\":\"" + figure + "\"") {
        add("label", label);
    }
    BenchLine& add(const std::string& key, const std::string& text) {
        json_ += ",\"" + key + "\":\"" + text + "\"";
        return *this;
    }
    BenchLine& add(const std::string& key, double value, int decimals = 2) {
        char number[64];
        std::snprintf(number, sizeof number, "%.*f", decimals, value);
        json_ += ",\"" + key + "\":" + number;
        return *this;
    }
    void print() const {
        std::printf("VELMORA_BENCH %s}\n", json_.c_str());
        std::fflush(stdout);
    }

private:
    std::string json_;
};

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    return text;
}

// Nearest rank.
double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size()) + 0.999999);
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}
double median(const std::vector<double>& values) {
    return percentile(values, 50);
}
double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

// The exchange without its 500 ms pause.
class NoPauseClock final : public Clock {
public:
    std::uint64_t nowMs() override { return GetTickCount64(); }
    void sleepMs(unsigned) override {}
};

// Counts the text messages the exchange sends.
class CountingWindows final : public HostWindows {
public:
    explicit CountingWindows(HostWindows& inner) : inner_(inner) {}
    HostHandle findTopLevel(std::string_view title) override { return inner_.findTopLevel(title); }
    HostHandle firstChild(HostHandle window) override { return inner_.firstChild(window); }
    HostHandle nextSibling(HostHandle window) override { return inner_.nextSibling(window); }
    bool exists(HostHandle window) override { return inner_.exists(window); }
    std::optional<std::string> getText(HostHandle window, int maxChars, unsigned timeoutMs) override {
        ++texts;
        return inner_.getText(window, maxChars, timeoutMs);
    }
    bool setText(HostHandle window, std::string_view text, unsigned timeoutMs) override {
        ++texts;
        return inner_.setText(window, text, timeoutMs);
    }
    bool sendMouse(HostHandle window, MouseMessage message, std::uintptr_t wParam, std::intptr_t lParam,
                   unsigned timeoutMs) override {
        if (!firstPressMs) firstPressMs = nowMs();
        return inner_.sendMouse(window, message, wParam, lParam, timeoutMs);
    }

    int texts = 0;
    double firstPressMs = 0; // when the exchange began to press a button

private:
    HostWindows& inner_;
};

// A register block that writes all 19 mapped registers.
class BenchBlock final : public RegisterBlock {
public:
    BenchBlock(HostWindows& windows, Clock& clock, std::string title)
        : RegisterBlock(HostContext{&windows, &clock, [title] { return title; }, nullptr}) {
        loadWindowDescription();
        for (int i = 0; i < kRegisterCount; ++i) setRegister(i, 0x1000u + static_cast<unsigned>(i) * 0x111u);
    }
    bool isWritten(int) const override { return true; }
};

template <typename Action>
std::vector<double> timed(int runs, Action action) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const double start = nowMs();
        action();
        times.push_back(nowMs() - start);
    }
    return times;
}

// The fields of a hostsim window at the default positions, Reg1 onwards.
std::vector<HWND> registerFields(HWND window) {
    std::vector<HWND> fields;
    const WindowLayout layout = WindowLayout::defaults();
    int position = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++position)
        for (int reg = 0; reg < kRegisterCount; ++reg)
            if (layout.controlPositions[static_cast<std::size_t>(reg)] == position) fields.push_back(child);
    return fields;
}

// `count` bare get-text messages, as the exchange asks them, spread over the fields.
void bareGetTexts(const std::vector<HWND>& fields, int count) {
    char text[kGetTextMaxChars + 1];
    for (int i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendMessageTimeoutA(fields[static_cast<std::size_t>(i) % fields.size()], WM_GETTEXT, kGetTextMaxChars,
                            reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kTextTimeoutMs, &length);
    }
}

void printExchange(const std::string& figure, const std::string& label, const std::vector<double>& times,
                   const std::vector<double>& floor, int texts,
                   const std::vector<std::pair<std::string, double>>& extra = {}) {
    const double ratio = median(floor) > 0 ? median(times) / median(floor) : 0;
    char text[200];
    std::snprintf(text, sizeof text, "median %.2f ms, max %.2f ms; %d bare get-texts %.2f ms; ratio %.1f",
                  median(times), maximum(times), texts, median(floor), ratio);
    std::string summary = text;
    if (!extra.empty()) {
        std::snprintf(text, sizeof text, "; the OK press (hostsim closes its window) %.2f ms",
                      extra.front().second);
        summary += text;
    }
    BenchLine line(figure, label);
    line.add("text", summary);
    for (const auto& [key, value] : extra) line.add(key, value, 3);
    line.add("runs", static_cast<double>(times.size()), 0)
        .add("text_messages", texts, 0)
        .add("median_ms", median(times), 3)
        .add("max_ms", maximum(times), 3)
        .add("floor_median_ms", median(floor), 3)
        .add("floor_max_ms", maximum(floor), 3)
        .add("ratio", ratio);
    line.print();
}

// The floor is measured between the runs, so that both see the same load.
TEST(BenchFigures, DISABLED_ReadExchangeOfTheDefaultLayout) {
    const std::string title = uniqueTitle();
    HostsimProcess host({"--title", title});
    const HWND window = host.waitForWindow(title);
    ASSERT_NE(window, nullptr);
    const std::vector<HWND> fields = registerFields(window);
    ASSERT_EQ(fields.size(), 19u);
    Win32HostWindows windows;
    CountingWindows counting(windows);
    NoPauseClock clock;
    BenchBlock block(counting, clock, title);
    std::vector<double> times, floor;
    for (int run = 0; run < kExchangeRuns + 5; ++run) { // the first runs warm up
        counting.texts = 0;
        double start = nowMs();
        ASSERT_TRUE(block.exchange(ExchangeMode::Read));
        const double took = nowMs() - start;
        start = nowMs();
        bareGetTexts(fields, counting.texts);
        if (run >= 5) {
            times.push_back(took);
            floor.push_back(nowMs() - start);
        }
    }
    printExchange("read_exchange", "read exchange, default layout (no pause)", times, floor, counting.texts);
    host.close();
}

TEST(BenchFigures, DISABLED_WriteOfNineteenRegistersWithOk) {
    // OK closes the host window: one host per run, the next started
    // meanwhile; the floor's get-texts go to a host that stays.
    auto launch = [] {
        auto title = std::make_shared<std::string>(uniqueTitle());
        return std::make_pair(title,
                              std::make_unique<HostsimProcess>(std::vector<std::string>{"--title", *title}));
    };
    const auto floorHost = launch();
    const HWND floorWindow = floorHost.second->waitForWindow(*floorHost.first);
    ASSERT_NE(floorWindow, nullptr);
    const std::vector<HWND> fields = registerFields(floorWindow);
    ASSERT_EQ(fields.size(), 19u);
    Win32HostWindows windows;
    CountingWindows counting(windows);
    NoPauseClock clock;
    std::vector<double> times, presses, floor;
    auto next = launch();
    for (int run = 0; run < kExchangeRuns + 3; ++run) { // the first runs warm up
        auto current = std::move(next);
        ASSERT_NE(current.second->waitForWindow(*current.first), nullptr);
        next = run + 1 < kExchangeRuns + 3 ? launch() : decltype(next){};
        BenchBlock block(counting, clock, *current.first);
        counting.texts = 0;
        counting.firstPressMs = 0;
        const double start = nowMs();
        ASSERT_TRUE(block.exchange(ExchangeMode::WriteAndOk));
        const double end = nowMs();
        ASSERT_TRUE(current.second->waitForExit(5000).has_value());
        ASSERT_EQ(current.second->result()->outcome, "OK");
        const double floorStart = nowMs();
        bareGetTexts(fields, counting.texts);
        if (run >= 3) {
            times.push_back(end - start);
            presses.push_back(end - counting.firstPressMs);
            floor.push_back(nowMs() - floorStart);
        }
    }
    printExchange("write_exchange", "write of 19 registers and OK (no pause)", times, floor, counting.texts,
                  {{"press_median_ms", median(presses)}, {"press_max_ms", maximum(presses)}});
    floorHost.second->close();
}

TEST(BenchFigures, DISABLED_ProbeOfTheEightTitles) {
    const std::string title = uniqueTitle();
    HostsimProcess host({"--title", title});
    ASSERT_NE(host.waitForWindow(title), nullptr);
    // Seven titles nobody uses and the open one last, as the poll finds the last module.
    std::vector<std::string> titles;
    for (int kind = 0; kind + 1 < kModuleCount; ++kind) titles.push_back(uniqueTitle());
    titles.push_back(title);
    Win32HostWindows windows;
    for (int warm = 0; warm < 5; ++warm) isHostWindowOpenByTitle(windows, title);
    const std::vector<double> times = timed(kExchangeRuns, [&] {
        int open = 0;
        for (const std::string& t : titles) open += isHostWindowOpenByTitle(windows, t);
        ASSERT_EQ(open, 1);
    });
    int topLevel = 0;
    EnumWindows(
        [](HWND, LPARAM count) -> BOOL {
            ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&topLevel));
    BenchLine line("probe", "probe of the eight host titles (7 missing)");
    line.add("text", format("median %.2f ms, max %.2f ms, %.0f top-level windows", median(times),
                            maximum(times), topLevel))
        .add("runs", kExchangeRuns, 0)
        .add("median_ms", median(times), 3)
        .add("max_ms", maximum(times), 3)
        .add("top_level_windows", topLevel, 0)
        .print();
    host.close();
}

// Host window opening to module dialog visible, over `trials` host windows
// of every module in turn (the analog dialog, with 19 lists, is the slowest
// to build); `pause` sets the tool's pause after an exchange (nullptr: 500 ms).
std::vector<double> hostToDialog(int trials, const char* pause) {
    EndToEndLock lock;
    EXPECT_TRUE(lock.owned());
    Workspace workspace;
    std::vector<std::string> words{"SYNC_WITH_CONCEPT"};
    if (pause) words.insert(words.begin(), pause);
    VelmoraProcess tool(words, workspace.directory(), pause ? quickPausePath() : velmoraPath());
    EXPECT_NE(tool.waitFor(waitingMinimised), nullptr);
    std::vector<double> latencies;
    for (int trial = 0; trial < trials; ++trial) {
        const ModuleKind kind = trial % kModuleCount;
        HostsimProcess host({"--title", workspace.title(kind)});
        // hostsim sets the title once the window is complete: that is when it opens for the tool.
        const double deadline = nowMs() + 10000;
        while (host.started() && !FindWindowA(nullptr, workspace.title(kind).c_str()) && nowMs() < deadline)
            Sleep(1);
        const double opened = nowMs();
        const HWND dialog = tool.waitFor(moduleDialog(kind), 5000, 1);
        if (!dialog) {
            ADD_FAILURE() << tool.describeWindows();
            break;
        }
        latencies.push_back(nowMs() - opened);
        sendClick(dialog, IDCANCEL);
        EXPECT_TRUE(host.waitForExit(5000).has_value());
        EXPECT_NE(tool.waitFor(waitingMinimised, 5000), nullptr);
        // The next trial starts at another point of the 250 ms poll.
        Sleep(static_cast<DWORD>(37 * trial % 250));
    }
    return latencies;
}

void printLatencies(const std::string& figure, const std::string& label,
                    const std::vector<double>& latencies) {
    if (latencies.empty()) return;
    const double least = *std::min_element(latencies.begin(), latencies.end());
    BenchLine line(figure, label);
    line.add("text", format("median %.0f ms, p95 %.0f ms, min %.0f ms, max %.0f ms", median(latencies),
                            percentile(latencies, 95), least, maximum(latencies)))
        .add("trials", static_cast<double>(latencies.size()), 0)
        .add("median_ms", median(latencies), 1)
        .add("p95_ms", percentile(latencies, 95), 1)
        .add("min_ms", least, 1)
        .add("max_ms", maximum(latencies), 1)
        .print();
}

// The read pauses 500 ms after it succeeds, as every exchange does, before
// the dialog is built.
TEST(BenchFigures, DISABLED_HostWindowToModuleDialog) {
    printLatencies("host_to_dialog", "host window open to module dialog visible (8 modules in turn)",
                   hostToDialog(kDialogTrials, nullptr));
}

TEST(BenchFigures, DISABLED_HostWindowToModuleDialogWithoutThePause) {
    printLatencies("host_to_dialog_no_pause",
                   "the same with the pause after the read set to 0 (test setting)",
                   hostToDialog(kDialogTrials, "0"));
}

TEST(BenchFigures, DISABLED_StartUpOfNoSyncToItsFirstWindow) {
    EndToEndLock lock;
    ASSERT_TRUE(lock.owned());
    Workspace workspace;
    std::vector<double> times;
    for (int run = 0; run < kStartRuns + 1; ++run) {
        const double start = nowMs();
        VelmoraProcess tool({"NO_SYNC"}, workspace.directory());
        const HWND list = tool.waitFor(VelmoraProcess::withControl(IDC_MODULE_LIST), 10000, 1);
        const double took = nowMs() - start;
        ASSERT_NE(list, nullptr);
        if (run > 0) // the first start loads the files into the cache
            times.push_back(took);
        sendClick(list, IDCANCEL);
        ASSERT_TRUE(tool.waitForExit(5000).has_value());
    }
    BenchLine line("startup", "start-up of velmora.exe NO_SYNC to its first window");
    line.add("text", format("median %.0f ms, max %.0f ms", median(times), maximum(times)))
        .add("runs", kStartRuns, 0)
        .add("median_ms", median(times), 1)
        .add("max_ms", maximum(times), 1)
        .print();
}

TEST(BenchFigures, DISABLED_PeakWorkingSetOverASynchronisedCycle) {
    EndToEndLock lock;
    ASSERT_TRUE(lock.owned());
    Workspace workspace;
    VelmoraProcess tool({"SYNC_WITH_CONCEPT"}, workspace.directory());
    ASSERT_NE(tool.waitFor(waitingMinimised), nullptr);
    const ProcessResources waiting = measureResources(tool.handle());
    // The heaviest dialog: module 3's, with its 19 lists and the alarm setpoints.
    constexpr ModuleKind kind = 3;
    HostsimProcess host({"--title", workspace.title(kind)});
    ASSERT_NE(host.waitForWindow(workspace.title(kind)), nullptr);
    const HWND dialog = tool.waitFor(moduleDialog(kind));
    ASSERT_NE(dialog, nullptr);
    selectListEntry(dialog, IDC_ANALOG_FILTER1, 2);
    sendClick(dialog, IDOK);
    ASSERT_TRUE(host.waitForExit(5000).has_value());
    EXPECT_EQ(host.result()->outcome, "OK");
    ASSERT_NE(tool.waitFor(waitingMinimised, 5000), nullptr);
    const ProcessResources after = measureResources(tool.handle());
    BenchLine line("working_set", "peak working set over a synchronised cycle (module 3, OK)");
    line.add("text", format("peak %.1f MB; %.1f MB while waiting", after.peakWorkingSet / 1048576.0,
                            waiting.workingSet / 1048576.0))
        .add("peak_mb", after.peakWorkingSet / 1048576.0, 1)
        .add("waiting_mb", waiting.workingSet / 1048576.0, 1)
        .add("handles", after.handles, 0)
        .add("gdi_objects", after.gdiObjects, 0)
        .print();
}

} // namespace
} // namespace velmora
