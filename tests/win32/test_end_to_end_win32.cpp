// velmora.exe end to end: the tool as a separate process beside hostsim.exe,
// driven through window messages the way a user drives it.

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../../resources/multipurpose_ids.h"
#include "../../resources/resource.h"
#include "win32/cycle_driver.h"
#include "win32/hostsim_process.h"
#include "win32/velmora_process.h"

namespace velmora {
namespace {

using testing::acknowledge;
using testing::EndToEndLock;
using testing::HostsimProcess;
using testing::isChecked;
using testing::itemTextOf;
using testing::sendClick;
using testing::sendText;
using testing::textOf;
using testing::VelmoraProcess;
using testing::waitingMinimised;
using testing::Workspace;

constexpr int kMultiPurpose = 7;
const std::string kAlreadyRunning = "\"velmora.exe\" already running.";
const std::string kWriteFailed = "Concept I/O Parameters menu is not open!Could not update parameters.";

const auto startupWindow = VelmoraProcess::withControl(IDC_CONCEPT_SYNC, false);
const auto moduleList = VelmoraProcess::withControl(IDC_MODULE_LIST);
const auto multiPurposeDialog = VelmoraProcess::withControl(IDC_MP_CHANNEL1);

// Register texts of module 7's host window: odd spellings on purpose, so that
// the ones the tool must leave alone show whether it touched them.
const std::vector<std::string> kHostTexts = {
    "ff", "0a", "1F",  "63",   "1f4",  "100",  "ffff", "7", "8", // Reg1-Reg9
    "0C", "Zz", " 12", "abcd", "FFFF", "0000", "1",    "2", "3", "19", "20", "21", "22", "23", "24"};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lock.owned()) << "another end-to-end test held the driver lock too long";
        ASSERT_NE(GetFileAttributesA(testing::velmoraPath().c_str()), INVALID_FILE_ATTRIBUTES)
            << "velmora.exe is built beside the test binary";
    }

    std::unique_ptr<VelmoraProcess> startTool(const std::vector<std::string>& arguments) {
        auto tool = std::make_unique<VelmoraProcess>(arguments, workspace.directory());
        EXPECT_TRUE(tool->started());
        return tool;
    }

    // `seen`: the window is there when this returns. A window that vanishes
    // after the tool's read may be gone before the driver looks.
    std::unique_ptr<HostsimProcess> startHost(int kind, const std::vector<std::string>& extra = {},
                                              bool seen = true) {
        std::vector<std::string> arguments{"--title", workspace.title(kind), "--texts",
                                           testing::joinTexts(kHostTexts)};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto host = std::make_unique<HostsimProcess>(arguments);
        EXPECT_TRUE(host->started());
        if (seen) {
            EXPECT_NE(host->waitForWindow(workspace.title(kind)), nullptr);
        }
        return host;
    }

    EndToEndLock lock;
    Workspace workspace;
};

TEST_F(EndToEnd, StandaloneShowsTheModuleListFirstAndEndsAfterOneDialogTouchingNoHost) {
    const auto host = startHost(kMultiPurpose);
    const auto tool = startTool({"no_sync"});

    const HWND list = tool->waitFor(moduleList);
    ASSERT_NE(list, nullptr) << "the module list comes first";
    const HWND startup = tool->find(startupWindow);
    EXPECT_TRUE(startup == nullptr || !IsWindowVisible(startup)) << "the start-up window never shows";

    DWORD_PTR selection = 0;
    SendMessageTimeoutA(GetDlgItem(list, IDC_MODULE_LIST), LB_GETCURSEL, 0, 0, SMTO_NORMAL, 2000, &selection);
    EXPECT_EQ(selection, static_cast<DWORD_PTR>(kMultiPurpose)) << "the last module is preselected";
    sendClick(list, IDOK);

    const HWND dialog = tool->waitFor(multiPurposeDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(textOf(dialog), "Configure 770-ZPC-354-00VM");
    // Defaults, not the host's words: the standalone mode reads nothing.
    EXPECT_EQ(itemTextOf(dialog, IDC_MP_REG1), "0040");
    EXPECT_EQ(itemTextOf(dialog, IDC_MP_REG6), "0000");
    sendClick(dialog, IDC_MP_RANGE_AC);
    sendText(dialog, IDC_MP_DELAY, "1234");
    EXPECT_EQ(itemTextOf(dialog, IDC_MP_REG1), "0043");
    EXPECT_EQ(itemTextOf(dialog, IDC_MP_REG5), "04D2");
    sendClick(dialog, IDOK);

    EXPECT_EQ(tool->waitForExit(5000), 0u) << "the run ends after the one dialog";
    const auto result = host->close();
    ASSERT_TRUE(result.has_value());
    const auto seen = host->result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->outcome, "CLOSED");
    EXPECT_EQ(seen->presses, 0);
    EXPECT_EQ(seen->texts, kHostTexts);
}

TEST_F(EndToEnd, StandaloneCancelInTheModuleListEndsTheRun) {
    const auto tool = startTool({"NO_SYNC"});
    const HWND list = tool->waitFor(moduleList);
    ASSERT_NE(list, nullptr);
    sendClick(list, IDCANCEL);
    EXPECT_EQ(tool->waitForExit(5000), 0u);
}

TEST_F(EndToEnd, SynchronisedOkWritesRegistersOneToNineAndPressesOk) {
    const auto tool = startTool({"SYNC_WITH_CONCEPT"});
    ASSERT_NE(tool->waitFor(waitingMinimised), nullptr) << "the start-up window waits, minimised";

    const auto host = startHost(kMultiPurpose);
    const HWND dialog = tool->waitFor(multiPurposeDialog);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(tool->find(startupWindow))) << "hidden while a module is edited";

    // Channel 1 read as 00FF: AC input, no gate button, both filters, 24 bit.
    EXPECT_TRUE(isChecked(dialog, IDC_MP_CHANNEL1));
    EXPECT_TRUE(isChecked(dialog, IDC_MP_RANGE_AC));
    for (int gate : {IDC_MP_GATE_5V, IDC_MP_GATE_12V, IDC_MP_GATE_24V}) EXPECT_FALSE(isChecked(dialog, gate));
    EXPECT_TRUE(isChecked(dialog, IDC_MP_DIGITAL_FILTER));
    EXPECT_TRUE(isChecked(dialog, IDC_MP_ANALOG_FILTER));
    EXPECT_TRUE(isChecked(dialog, IDC_MP_SIZE_24BIT));
    EXPECT_EQ(itemTextOf(dialog, IDC_MP_DELAY), "500");
    EXPECT_EQ(itemTextOf(dialog, IDC_MP_TIMEOUT), "240");
    const std::vector<std::pair<int, std::string>> shown = {
        {IDC_MP_REG1, "007F"}, {IDC_MP_REG2, "000A"}, {IDC_MP_REG3, "001F"},
        {IDC_MP_REG4, "0063"}, {IDC_MP_REG5, "01F4"}, {IDC_MP_REG6, "00F0"},
        {IDC_MP_REG7, "0000"}, {IDC_MP_REG8, "0007"}, {IDC_MP_REG9, "0008"}};
    for (const auto& [id, text] : shown) EXPECT_EQ(itemTextOf(dialog, id), text) << "field " << id;

    sendClick(dialog, IDC_MP_CHANNEL2);
    sendClick(dialog, IDC_MP_RANGE_AC);
    sendText(dialog, IDC_MP_TIMEOUT, "35");
    sendText(dialog, IDC_MP_DELAY, "1234");
    sendClick(dialog, IDOK);

    ASSERT_TRUE(host->waitForExit(5000).has_value()) << "the host's OK closed its window";
    const auto seen = host->result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->outcome, "OK");
    std::vector<std::string> expected = {"7f", "b", "1f", "63", "4d2", "f0", "23", "7", "8"};
    expected.insert(expected.end(), kHostTexts.begin() + 9, kHostTexts.end());
    EXPECT_EQ(seen->texts, expected) << "Reg1-Reg9 in lower-case hex, Reg10-Reg24 as they were";

    EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr)
        << "the start-up window returns minimised with the waiting caption";
    EXPECT_TRUE(tool->running()) << "the cycle goes on";
}

// The first poll finds the host window at once, while the waiting thread may
// still be creating the start-up window: that window must not come up over the
// module dialog.
TEST_F(EndToEnd, HostWindowOpenAtStartIsServedWithTheStartupWindowOutOfTheWay) {
    const auto host = startHost(kMultiPurpose);
    const auto tool = startTool({"SYNC_WITH_CONCEPT"});
    const HWND dialog = tool->waitFor(multiPurposeDialog);
    ASSERT_NE(dialog, nullptr) << tool->describeWindows();
    for (int look = 0; look < 40; ++look) {
        const HWND startup = tool->find(startupWindow);
        ASSERT_TRUE(startup == nullptr || !IsWindowVisible(startup))
            << "the start-up window shows over the module dialog:" << tool->describeWindows();
        Sleep(25);
    }
    sendClick(dialog, IDOK);
    ASSERT_TRUE(host->waitForExit(5000).has_value());
    EXPECT_EQ(host->result()->outcome, "OK");
    EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr)
        << "back, minimised, with the waiting caption:" << tool->describeWindows();
}

TEST_F(EndToEnd, SynchronisedCancelPressesTheHostsCancelAndWritesNothing) {
    const auto tool = startTool({"Sync_With_Concept"});
    const auto host = startHost(kMultiPurpose);
    const HWND dialog = tool->waitFor(multiPurposeDialog);
    ASSERT_NE(dialog, nullptr);
    sendClick(dialog, IDC_MP_DEFAULTS);
    sendText(dialog, IDC_MP_DELAY, "77");
    sendClick(dialog, IDCANCEL);

    ASSERT_TRUE(host->waitForExit(5000).has_value());
    const auto seen = host->result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->outcome, "CANCEL");
    EXPECT_EQ(seen->texts, kHostTexts);
    EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr);
}

TEST_F(EndToEnd, SecondInstanceIsRefusedWhileTheFirstRunsOn) {
    const auto first = startTool({"SYNC_WITH_CONCEPT"});
    ASSERT_NE(first->waitFor(waitingMinimised), nullptr);

    const auto second = startTool({"SYNC_WITH_CONCEPT"});
    const ULONGLONG started = GetTickCount64();
    EXPECT_TRUE(acknowledge(*second, kAlreadyRunning))
        << "the second instance says so; it shows:" << second->describeWindows();
    EXPECT_GE(GetTickCount64() - started, 2500u) << "after waiting for the instance mutex";
    EXPECT_EQ(second->waitForExit(5000), 0u);
    EXPECT_EQ(second->find(startupWindow), nullptr);

    EXPECT_TRUE(first->running());
    // The first still serves host windows.
    const auto host = startHost(kMultiPurpose);
    const HWND dialog = first->waitFor(multiPurposeDialog);
    ASSERT_NE(dialog, nullptr);
    sendClick(dialog, IDCANCEL);
    EXPECT_TRUE(host->waitForExit(5000).has_value()) << first->describeWindows();
}

TEST_F(EndToEnd, HostWindowGoneBeforeOkGivesTheMessageAndTheCycleGoesOn) {
    enum class Gone { ClosedByUser, VanishedAfterTheRead };
    for (Gone how : {Gone::ClosedByUser, Gone::VanishedAfterTheRead}) {
        SCOPED_TRACE(how == Gone::ClosedByUser ? "closed" : "vanished");
        const auto tool = startTool({"SYNC_WITH_CONCEPT"});
        // Registers 1-19 are mapped: the read takes 19 text messages.
        const auto host = how == Gone::ClosedByUser
                              ? startHost(kMultiPurpose)
                              : startHost(kMultiPurpose, {"--vanish-after", "19"}, false);
        const HWND dialog = tool->waitFor(multiPurposeDialog);
        ASSERT_NE(dialog, nullptr) << tool->describeWindows();
        EXPECT_EQ(itemTextOf(dialog, IDC_MP_REG1), "007F") << "what was read is shown";
        if (how == Gone::ClosedByUser) host->close(5000);
        ASSERT_TRUE(host->waitForExit(5000).has_value());
        EXPECT_EQ(host->result()->outcome, "CLOSED");

        sendClick(dialog, IDC_MP_RANGE_12V);
        sendClick(dialog, IDOK);
        EXPECT_TRUE(acknowledge(*tool, kWriteFailed)) << tool->describeWindows();
        EXPECT_NE(tool->waitFor(waitingMinimised, 5000), nullptr) << "the cycle goes on";

        // And serves the next host window.
        const auto next = startHost(kMultiPurpose);
        const HWND again = tool->waitFor(multiPurposeDialog);
        ASSERT_NE(again, nullptr);
        sendClick(again, IDOK);
        ASSERT_TRUE(next->waitForExit(5000).has_value());
        EXPECT_EQ(next->result()->outcome, "OK");
    }
}

TEST_F(EndToEnd, CancelInTheStartupWindowEndsTheProcessWithinOnePoll) {
    for (const char* word : {"", "SYNC_WITH_CONCEPT"}) {
        SCOPED_TRACE(word);
        const auto tool = startTool(*word ? std::vector<std::string>{word} : std::vector<std::string>{});
        const HWND startup = tool->waitFor(VelmoraProcess::withControl(IDC_CONCEPT_SYNC));
        ASSERT_NE(startup, nullptr);
        if (*word)
            ASSERT_NE(tool->waitFor(waitingMinimised), nullptr);
        else
            EXPECT_FALSE(IsIconic(startup)) << "undecided: the window waits for a choice";
        const ULONGLONG clicked = GetTickCount64();
        sendClick(startup, IDCANCEL);
        ASSERT_EQ(tool->waitForExit(3000), 0u);
        const ULONGLONG took = GetTickCount64() - clicked;
        // One poll is 250 ms; the rest is the end of a Wine process.
        EXPECT_LT(took, 1000u);
        std::printf("[          ] Cancel to process end (%s): %llu ms\n", *word ? word : "no word",
                    static_cast<unsigned long long>(took));
    }
}

} // namespace
} // namespace velmora
