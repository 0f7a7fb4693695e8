// Timings of the host link against hostsim, printed rather than asserted:
// run with --gtest_also_run_disabled_tests --gtest_filter=HostExchangeBench.*

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/catalogue.h"
#include "hostlink/host_windows_win32.h"
#include "hostlink/register_block.h"
#include "win32/hostsim_process.h"

namespace velmora {
namespace {

class InstantClock final : public Clock {
public:
    std::uint64_t nowMs() override { return GetTickCount64(); }
    void sleepMs(unsigned) override {}
};

class ReadBlock final : public RegisterBlock {
public:
    ReadBlock(HostWindows& windows, Clock& clock, std::string title)
        : RegisterBlock(HostContext{&windows, &clock, [title] { return title; }, nullptr}) {
        loadWindowDescription();
    }
    bool isWritten(int) const override { return false; }
};

double elapsedMs(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

template <typename Action>
void measure(const char* name, int runs, Action action) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        action();
        QueryPerformanceCounter(&end);
        times.push_back(elapsedMs(start, end));
    }
    std::sort(times.begin(), times.end());
    std::printf("%s: median %.2f ms, max %.2f ms over %d runs\n", name, times[times.size() / 2], times.back(),
                runs);
}

TEST(HostExchangeBench, DISABLED_ReadOfDefaultLayoutAndProbeOfEightTitles) {
    const ModuleKind lastProbed = kModuleCount - 1;
    const std::string title(moduleInfo(lastProbed).defaultTitle);
    testing::HostsimProcess host({"--module", std::to_string(lastProbed)});
    ASSERT_NE(host.waitForWindow(title), nullptr);

    Win32HostWindows windows;
    InstantClock clock;
    ReadBlock block(windows, clock, title);
    measure("read exchange, default layout (19 fields, 55 children)", 50,
            [&] { ASSERT_TRUE(block.exchange(ExchangeMode::Read)); });
    measure("probe of the eight titles (7 missing)", 50, [&] {
        int open = 0;
        for (const ModuleInfo& module : ModuleCatalogue)
            open += isHostWindowOpenByTitle(windows, std::string(module.defaultTitle));
        ASSERT_GE(open, 1);
    });

    // What the two are made of.
    const HostHandle window = windows.findTopLevel(title);
    const HostHandle field = windows.nextSibling(windows.firstChild(window));
    measure("  walk of the 55 children (first child, next sibling)", 50, [&] {
        int children = 0;
        for (HostHandle c = windows.firstChild(window); c; c = windows.nextSibling(c)) ++children;
        ASSERT_EQ(children, 55);
    });
    measure("  one get-text of a field in the other process", 200,
            [&] { ASSERT_TRUE(windows.getText(field, kGetTextMaxChars, kTextTimeoutMs)); });
    measure("  one missing title", 200, [&] { ASSERT_EQ(windows.findTopLevel("no such window"), 0u); });
    host.close();
}

} // namespace
} // namespace velmora
