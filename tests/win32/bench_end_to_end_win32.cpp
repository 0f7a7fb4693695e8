// Figures of velmora.exe under Wine, printed rather than asserted: run with
//   --gtest_also_run_disabled_tests --gtest_filter=EndToEndBench.*

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "../../resources/multipurpose_ids.h"
#include "../../resources/resource.h"
#include "win32/hostsim_process.h"
#include "win32/velmora_process.h"

namespace velmora {
namespace {

using testing::EndToEndLock;
using testing::HostsimProcess;
using testing::sendClick;
using testing::VelmoraProcess;
using testing::Workspace;

double nowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    // Nearest rank.
    const auto rank = static_cast<std::size_t>(p / 100.0 * static_cast<double>(values.size()) + 0.999999);
    return values[std::min(values.size(), std::max<std::size_t>(rank, 1)) - 1];
}

bool iconic(HWND window) {
    return IsWindowVisible(window) && IsIconic(window);
}

TEST(EndToEndBench, DISABLED_Figures) {
    EndToEndLock lock;
    ASSERT_TRUE(lock.owned());
    Workspace workspace;

    WIN32_FILE_ATTRIBUTE_DATA file{};
    ASSERT_TRUE(GetFileAttributesExA(testing::velmoraPath().c_str(), GetFileExInfoStandard, &file));
    std::printf("velmora.exe size: %lu bytes (%.2f MB)\n", file.nFileSizeLow, file.nFileSizeLow / 1048576.0);

    VelmoraProcess tool({"SYNC_WITH_CONCEPT"}, workspace.directory());
    const auto startup = VelmoraProcess::withControl(IDC_CONCEPT_SYNC, false);
    ASSERT_NE(tool.waitFor([&](HWND w) { return startup(w) && iconic(w); }), nullptr);

    // Idle polling: no host window open.
    Sleep(1000);
    const double cpuBefore = tool.cpuMs();
    const double wallBefore = nowMs();
    Sleep(30000);
    const double cpuUsed = tool.cpuMs() - cpuBefore;
    const double wall = nowMs() - wallBefore;
    if (cpuUsed > 0)
        std::printf("idle polling: %.1f ms of processor time in %.1f s = %.3f%% of one core\n", cpuUsed,
                    wall / 1000.0, 100.0 * cpuUsed / wall);
    else
        // Wine gives another process's times as zero: read /proc/PID/stat of
        // velmora.exe (and of the wineserver) from the Linux side instead.
        std::printf("idle polling: processor time of another process not reported here\n");

    // Host window opening to module dialog visible. The host window is found
    // by its title, which hostsim sets once the window is complete.
    std::vector<double> latencies;
    for (int trial = 0; trial < 20; ++trial) {
        HostsimProcess host({"--title", workspace.title(7)});
        ASSERT_TRUE(host.started());
        double opened = 0;
        while (!FindWindowA(nullptr, workspace.title(7).c_str())) {
            ASSERT_TRUE(host.waitForExit(0) == std::nullopt);
            Sleep(1);
        }
        opened = nowMs();
        const HWND dialog = tool.waitFor(
            [](HWND w) { return GetDlgItem(w, IDC_MP_CHANNEL1) && IsWindowVisible(w); }, 5000, 1);
        ASSERT_NE(dialog, nullptr);
        latencies.push_back(nowMs() - opened);
        sendClick(dialog, IDCANCEL);
        ASSERT_TRUE(host.waitForExit(5000).has_value());
        ASSERT_NE(tool.waitFor([&](HWND w) { return startup(w) && iconic(w); }, 5000), nullptr);
        // Start the next trial at a different point of the poll.
        Sleep(static_cast<DWORD>(37 * trial % 250));
    }
    std::printf("host window to dialog visible over %zu trials: median %.1f ms, 95th percentile %.1f ms, "
                "min %.1f ms, max %.1f ms\n",
                latencies.size(), percentile(latencies, 50), percentile(latencies, 95),
                *std::min_element(latencies.begin(), latencies.end()),
                *std::max_element(latencies.begin(), latencies.end()));

    const SIZE_T peak = tool.peakWorkingSet();
    std::printf("peak working set: %zu bytes (%.1f MB)\n", static_cast<std::size_t>(peak), peak / 1048576.0);
}

} // namespace
} // namespace velmora
