// velmora-bench.exe: the Windows figures of bench/run, measured under Wine
// against hostsim.exe and velmora.exe, which it starts from its own folder.
// Each figure is one line "VELMORA_BENCH {json}" on stdout; a figure that
// could not be measured is reported on stderr and makes the exit status 1.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
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

void require(bool holds, const std::string& what) {
    if (!holds) throw std::runtime_error(what);
}

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

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0, double e = 0,
                   double f = 0) {
    char text[300];
    std::snprintf(text, sizeof text, pattern, a, b, c, d, e, f);
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

// A user's selection: the selection, then the list box's notification.
void selectListEntry(HWND dialog, int id, int index) {
    sendTo(GetDlgItem(dialog, id), LB_SETCURSEL, static_cast<WPARAM>(index));
    sendTo(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
           reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The exchange without its 500 ms pause.
class NoPauseClock final : public Clock {
public:
    std::uint64_t nowMs() override { return GetTickCount64(); }
    void sleepMs(unsigned) override {}
};

// Counts the text messages the exchange sends and notes when it starts pressing.
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
    double firstPressMs = 0;

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
    bool isWritten(int i) const override { return i < 19; }
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

// The children of a hostsim window at the default positions: the 19
// register fields, Reg1 onwards, then the OK button.
struct HostControls {
    std::vector<HWND> fields;
    HWND ok = nullptr;
};
HostControls hostControls(HWND window) {
    HostControls controls;
    const WindowLayout layout = WindowLayout::defaults();
    int position = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++position) {
        for (int reg = 0; reg < kRegisterCount; ++reg)
            if (layout.controlPositions[static_cast<std::size_t>(reg)] == position)
                controls.fields.push_back(child);
        if (position == layout.okPosition) controls.ok = child;
    }
    require(controls.fields.size() == 19 && controls.ok, "the host window lacks its children");
    return controls;
}

// Bare text messages, as the exchange sends them, one per field.
void bareGetTexts(const std::vector<HWND>& fields) {
    char text[kGetTextMaxChars + 1];
    for (HWND field : fields) {
        DWORD_PTR length = 0;
        SendMessageTimeoutA(field, WM_GETTEXT, kGetTextMaxChars, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            kTextTimeoutMs, &length);
    }
}
void bareSetTexts(const std::vector<HWND>& fields) {
    int reg = 0;
    for (HWND field : fields) {
        const std::string text = writeHostText(static_cast<std::uint16_t>(0x1000 + 0x111 * reg++));
        DWORD_PTR result = 0;
        SendMessageTimeoutA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                            kTextTimeoutMs, &result);
    }
}
// One press of a button: the mouse down and up the exchange sends.
void barePress(HWND button) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0, SMTO_NORMAL, kButtonTimeoutMs, &result);
    SendMessageTimeoutA(button, WM_LBUTTONUP, 0, 0, SMTO_NORMAL, kButtonTimeoutMs, &result);
}

void readExchange() {
    const std::string title = uniqueTitle();
    HostsimProcess host({"--title", title});
    const HWND window = host.waitForWindow(title);
    require(window, "hostsim did not open its window");
    const std::vector<HWND> fields = hostControls(window).fields;
    Win32HostWindows windows;
    CountingWindows counting(windows);
    NoPauseClock clock;
    BenchBlock block(counting, clock, title);
    // The floor between the runs, so that both see the same load; the first runs warm up.
    std::vector<double> times, floor;
    for (int run = 0; run < kExchangeRuns + 5; ++run) {
        counting.texts = 0;
        double start = nowMs();
        require(block.exchange(ExchangeMode::Read), "the read failed");
        const double took = nowMs() - start;
        start = nowMs();
        bareGetTexts(fields);
        if (run < 5) continue;
        times.push_back(took);
        floor.push_back(nowMs() - start);
    }
    const double ratio = median(times) / std::max(median(floor), 0.001);
    BenchLine("read_exchange", "read exchange, default layout (no pause)")
        .add("text", format("median %.2f ms, max %.2f ms; %.0f bare get-texts %.2f ms; ratio %.1f",
                            median(times), maximum(times), counting.texts, median(floor), ratio))
        .add("runs", kExchangeRuns, 0)
        .add("text_messages", counting.texts, 0)
        .add("median_ms", median(times), 3)
        .add("max_ms", maximum(times), 3)
        .add("floor_median_ms", median(floor), 3)
        .add("ratio", ratio)
        .print();
    host.close();
}

// The write's floor is what it cannot do without: 19 set-texts, 19
// get-texts and one press, sent bare to one host window that stays open
// (--sticky: its buttons count presses and close nothing), measured between
// the writes. OK closes the written window, so each write has a host of its
// own, the next one started meanwhile.
void writeExchange() {
    const std::string floorTitle = uniqueTitle();
    HostsimProcess floorHost({"--title", floorTitle, "--sticky"});
    const HWND floorWindow = floorHost.waitForWindow(floorTitle);
    require(floorWindow, "hostsim did not open its window");
    const HostControls floorControls = hostControls(floorWindow);
    auto launch = [] {
        auto title = std::make_shared<std::string>(uniqueTitle());
        return std::make_pair(title,
                              std::make_unique<HostsimProcess>(std::vector<std::string>{"--title", *title}));
    };
    Win32HostWindows windows;
    CountingWindows counting(windows);
    NoPauseClock clock;
    std::vector<double> times, presses, sets, gets, press, floor;
    auto next = launch();
    for (int run = 0; run < kExchangeRuns + 3; ++run) {
        auto current = std::move(next);
        require(current.second->waitForWindow(*current.first), "hostsim did not open its window");
        next = run + 1 < kExchangeRuns + 3 ? launch() : decltype(next){};
        BenchBlock block(counting, clock, *current.first);
        counting.texts = 0;
        counting.firstPressMs = 0;
        const double start = nowMs();
        require(block.exchange(ExchangeMode::WriteAndOk), "the write failed");
        const double end = nowMs();
        require(current.second->waitForExit(5000).has_value(), "the written host did not close");
        require(current.second->result()->ending.starts_with("OK "), "the written host was not ended by OK");
        const double t0 = nowMs();
        bareSetTexts(floorControls.fields);
        const double t1 = nowMs();
        bareGetTexts(floorControls.fields);
        const double t2 = nowMs();
        barePress(floorControls.ok);
        const double t3 = nowMs();
        if (run < 3) continue;
        times.push_back(end - start);
        presses.push_back(end - counting.firstPressMs);
        sets.push_back(t1 - t0);
        gets.push_back(t2 - t1);
        press.push_back(t3 - t2);
        floor.push_back(t3 - t0);
    }
    const double ratio = median(times) / std::max(median(floor), 0.001);
    BenchLine("write_exchange", "write of 19 registers and OK (no pause)")
        .add("text", format("median %.2f ms, max %.2f ms, of which the OK press (hostsim closes) %.2f ms; "
                            "floor %.2f ms; ratio %.1f",
                            median(times), maximum(times), median(presses), median(floor), ratio))
        .add("runs", kExchangeRuns, 0)
        .add("text_messages", counting.texts, 0)
        .add("median_ms", median(times), 3)
        .add("max_ms", maximum(times), 3)
        .add("press_median_ms", median(presses), 3)
        .add("floor_median_ms", median(floor), 3)
        .add("ratio", ratio)
        .print();
    BenchLine("write_floor", "its floor: 19 set-texts, 19 get-texts, 1 press, bare")
        .add("text",
             format("median %.2f ms: set-texts %.2f ms, get-texts %.2f ms, press %.2f ms; max %.2f ms",
                    median(floor), median(sets), median(gets), median(press), maximum(floor)))
        .add("median_ms", median(floor), 3)
        .add("max_ms", maximum(floor), 3)
        .add("set_texts_median_ms", median(sets), 3)
        .add("get_texts_median_ms", median(gets), 3)
        .add("press_median_ms", median(press), 3)
        .print();
    floorHost.close();
}

void probe() {
    const std::string title = uniqueTitle();
    HostsimProcess host({"--title", title});
    require(host.waitForWindow(title), "hostsim did not open its window");
    // Seven titles nobody uses and the open one last, as the poll finds the last module.
    std::vector<std::string> titles;
    for (int kind = 0; kind + 1 < kModuleCount; ++kind) titles.push_back(uniqueTitle());
    titles.push_back(title);
    Win32HostWindows windows;
    for (int warm = 0; warm < 5; ++warm) isHostWindowOpenByTitle(windows, title);
    const std::vector<double> times = timed(kExchangeRuns, [&] {
        int open = 0;
        for (const std::string& t : titles) open += isHostWindowOpenByTitle(windows, t);
        require(open == 1, "the probe did not find the one open title");
    });
    int topLevel = 0;
    EnumWindows(
        [](HWND, LPARAM count) -> BOOL {
            ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&topLevel));
    BenchLine("probe", "probe of the eight host titles (7 missing)")
        .add("text", format("median %.2f ms, max %.2f ms, %.0f top-level windows", median(times),
                            maximum(times), topLevel))
        .add("runs", kExchangeRuns, 0)
        .add("median_ms", median(times), 3)
        .add("max_ms", maximum(times), 3)
        .add("top_level_windows", topLevel, 0)
        .print();
    host.close();
}

// Host window opening to module dialog visible, over host windows of every
// module in turn; `pause` sets the tool's pause after an exchange (nullptr: 500 ms).
void hostToDialog(const std::string& figure, const std::string& label, const char* pause) {
    Workspace workspace;
    require(workspace.locked(), "another driver holds the end-to-end lock");
    std::vector<std::string> words{"SYNC_WITH_CONCEPT"};
    if (pause) words.insert(words.begin(), pause);
    VelmoraProcess tool(words, workspace.directory(), pause ? kQuickPauseExe : kVelmoraExe);
    require(tool.waitFor(waitingMinimised), "velmora.exe did not wait minimised");
    std::vector<double> latencies;
    for (int trial = 0; trial < kDialogTrials; ++trial) {
        const ModuleKind kind = trial % kModuleCount;
        HostsimProcess host({"--title", workspace.title(kind)});
        // hostsim sets the title once the window is complete: that is when it opens for the tool.
        const double deadline = nowMs() + 10000;
        while (host.started() && !FindWindowA(nullptr, workspace.title(kind).c_str()) && nowMs() < deadline)
            Sleep(1);
        const double opened = nowMs();
        const HWND dialog = tool.waitFor(moduleDialog(kind), 5000, 1);
        require(dialog, "no module dialog:" + tool.describeWindows());
        latencies.push_back(nowMs() - opened);
        sendClick(dialog, IDCANCEL);
        require(host.waitForExit(5000).has_value(), "the host was not cancelled");
        require(tool.waitFor(waitingMinimised, 5000), "velmora.exe did not wait again");
        // The next trial starts at another point of the 250 ms poll.
        Sleep(static_cast<DWORD>(37 * trial % 250));
    }
    const double least = *std::min_element(latencies.begin(), latencies.end());
    BenchLine(figure, label)
        .add("text", format("median %.0f ms, p95 %.0f ms, min %.0f ms, max %.0f ms", median(latencies),
                            percentile(latencies, 95), least, maximum(latencies)))
        .add("trials", static_cast<double>(latencies.size()), 0)
        .add("median_ms", median(latencies), 1)
        .add("p95_ms", percentile(latencies, 95), 1)
        .add("min_ms", least, 1)
        .add("max_ms", maximum(latencies), 1)
        .print();
}

void startUp() {
    Workspace workspace;
    require(workspace.locked(), "another driver holds the end-to-end lock");
    std::vector<double> times;
    for (int run = 0; run < kStartRuns + 1; ++run) {
        const double start = nowMs();
        VelmoraProcess tool({"NO_SYNC"}, workspace.directory());
        const HWND list = tool.waitFor(withControl(IDC_MODULE_LIST), 10000, 1);
        const double took = nowMs() - start;
        require(list, "velmora.exe NO_SYNC showed no module list");
        if (run > 0) times.push_back(took); // the first start loads the files into the cache
        sendClick(list, IDCANCEL);
        require(tool.waitForExit(5000).has_value(), "velmora.exe did not end");
    }
    BenchLine("startup", "start-up of velmora.exe NO_SYNC to its first window")
        .add("text", format("median %.0f ms, max %.0f ms", median(times), maximum(times)))
        .add("runs", kStartRuns, 0)
        .add("median_ms", median(times), 1)
        .add("max_ms", maximum(times), 1)
        .print();
}

void workingSet() {
    Workspace workspace;
    require(workspace.locked(), "another driver holds the end-to-end lock");
    VelmoraProcess tool({"SYNC_WITH_CONCEPT"}, workspace.directory());
    require(tool.waitFor(waitingMinimised), "velmora.exe did not wait minimised");
    const ProcessResources waiting = measureResources(tool.handle());
    // The heaviest dialog: module 3's, with its 19 lists and the alarm setpoints.
    constexpr ModuleKind kind = 3;
    HostsimProcess host({"--title", workspace.title(kind)});
    require(host.waitForWindow(workspace.title(kind)), "hostsim did not open its window");
    const HWND dialog = tool.waitFor(moduleDialog(kind));
    require(dialog, "no module dialog");
    selectListEntry(dialog, IDC_ANALOG_FILTER1, 2);
    sendClick(dialog, IDOK);
    require(host.waitForExit(5000).has_value() && host.result()->ending.starts_with("OK "),
            "the host was not written");
    require(tool.waitFor(waitingMinimised, 5000), "velmora.exe did not wait again");
    const ProcessResources after = measureResources(tool.handle());
    BenchLine("working_set", "peak working set over a synchronised cycle (module 3, OK)")
        .add("text", format("peak %.1f MB; %.1f MB while waiting", after.peakWorkingSet / 1048576.0,
                            waiting.workingSet / 1048576.0))
        .add("peak_mb", after.peakWorkingSet / 1048576.0, 1)
        .add("waiting_mb", waiting.workingSet / 1048576.0, 1)
        .add("handles", after.handles, 0)
        .add("gdi_objects", after.gdiObjects, 0)
        .print();
}

} // namespace
} // namespace velmora

int main() {
    using namespace velmora;
    const std::pair<const char*, std::function<void()>> figures[] = {
        {"read exchange", readExchange},
        {"write exchange", writeExchange},
        {"probe", probe},
        {"host window to dialog",
         [] {
             hostToDialog("host_to_dialog", "host window open to module dialog visible (8 modules)", nullptr);
         }},
        {"host window to dialog without the pause",
         [] {
             hostToDialog("host_to_dialog_no_pause",
                          "the same with the pause after the read set to 0 (test build)", "0");
         }},
        {"start-up", startUp},
        {"working set", workingSet},
    };
    int failed = 0;
    for (const auto& [name, measure] : figures) {
        try {
            measure();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "velmora-bench: %s: %s\n", name, error.what());
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
