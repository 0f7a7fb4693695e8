// The Win32 host-window implementation and the core's exchange, run against
// hostsim's real windows in another process.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <array>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/host_text.h"
#include "hostlink/host_windows_win32.h"
#include "hostlink/register_block.h"
#include "win32/hostsim_process.h"

namespace velmora {
namespace {

using testing::HostsimProcess;
using testing::HostsimResult;

// Keeps the exchange's pause out of the tests' run time but notes it.
class NoSleepClock final : public Clock {
public:
    std::uint64_t nowMs() override { return GetTickCount64(); }
    void sleepMs(unsigned ms) override { slept += ms; }
    unsigned slept = 0;
};

class TestBlock final : public RegisterBlock {
public:
    TestBlock(HostWindows& windows, Clock& clock, std::string title, int writtenCount)
        : RegisterBlock(HostContext{&windows, &clock, [title] { return title; }, nullptr}),
          writtenCount_(writtenCount) {
        loadWindowDescription();
    }
    bool isWritten(int index) const override { return index < writtenCount_; }

private:
    int writtenCount_;
};

// "10", "11", ... "123": every field starts distinct.
std::string initialText(int reg) {
    return "1" + std::to_string(reg);
}

std::vector<std::string> initialTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i < 24; ++i) texts.push_back(initialText(i));
    return texts;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string list;
    for (const std::string& text : texts) list += (list.empty() ? "" : ",") + text;
    return list;
}

// A hostsim window with a fresh title. Starting a process under Wine takes a
// few hundred milliseconds, so table-driven tests start all their hosts first.
struct Host {
    explicit Host(std::vector<std::string> extra, std::vector<std::string> texts = initialTexts())
        : title(testing::uniqueTitle()), initial(texts), process([&] {
              std::vector<std::string> args{"--title", title, "--texts", joined(texts)};
              args.insert(args.end(), extra.begin(), extra.end());
              return args;
          }()) {}

    // Waits, bounded, until the window is there with all its children.
    bool open() {
        window = process.waitForWindow(title);
        return window != nullptr;
    }

    // Closes the window if it is still open and reads what hostsim left.
    HostsimResult finish() {
        std::optional<DWORD> code = process.waitForExit(0);
        if (!code) code = process.close();
        EXPECT_EQ(code, std::optional<DWORD>(0));
        auto result = process.result();
        EXPECT_TRUE(result.has_value());
        return result.value_or(HostsimResult{});
    }

    std::string title;
    std::vector<std::string> initial;
    HostsimProcess process;
    HWND window = nullptr;
};

class HostExchange : public ::testing::Test {
protected:
    Win32HostWindows windows;
    NoSleepClock clock;
};

TEST_F(HostExchange, ReadParsesEveryMappedFieldAndChangesNothing) {
    struct Field {
        std::string text;
        std::uint16_t expected;
    };
    // Parsing itself is the core's; here each field must reach its register,
    // a field gives at most 19 characters, and registers 19-23 are unmapped.
    std::array<Field, 24> fields{};
    for (int i = 0; i < 19; ++i)
        fields[i] = {initialText(i), static_cast<std::uint16_t>(std::stoul(initialText(i), nullptr, 16))};
    fields[5] = {" 0x1a2b", 0x1A2B};
    fields[12] = {"00000000000000000001a2b", 0}; // the 20th character onward never arrives
    fields[13] = {"0000000000000000001", 1};
    for (int i = 19; i < 24; ++i) fields[i] = {std::to_string(i), 0};
    std::vector<std::string> texts;
    for (const Field& field : fields) texts.push_back(field.text);
    Host host({}, texts);
    ASSERT_TRUE(host.open());

    TestBlock block(windows, clock, host.title, 19);
    ASSERT_TRUE(block.exchange(ExchangeMode::Read)) << describe(block.lastFailure());
    for (int i = 0; i < 24; ++i) EXPECT_EQ(block.getRegister(i), fields[i].expected) << "register " << i;
    EXPECT_EQ(clock.slept, kPauseAfterExchangeMs);

    const HostsimResult result = host.finish();
    EXPECT_EQ(result.outcome, "CLOSED");
    EXPECT_EQ(result.texts, texts);
    EXPECT_EQ(result.presses, 0);
}

TEST_F(HostExchange, WriteSendsLowerCaseTextsOfWrittenRegistersAndPressesOkOnce) {
    struct Case {
        int writtenCount;
        std::vector<std::pair<int, const char*>> changed; // register, text expected
    };
    const Case cases[] = {
        {3, {{0, "a00"}, {1, "0"}, {2, "ffff"}}},
        // The last mapped registers sit at positions 33-35; 19-23 are unmapped.
        {19, {{0, "a00"}, {1, "0"}, {2, "ffff"}, {8, "1234"}, {16, "abcd"}, {18, "1"}}},
    };
    std::vector<std::unique_ptr<Host>> hosts;
    for (std::size_t k = 0; k < std::size(cases); ++k)
        hosts.push_back(std::make_unique<Host>(std::vector<std::string>{}));
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        Host& host = *hosts[k];
        SCOPED_TRACE("written registers " + std::to_string(c.writtenCount));
        ASSERT_TRUE(host.open());
        TestBlock block(windows, clock, host.title, c.writtenCount);
        ASSERT_TRUE(block.exchange(ExchangeMode::Read));
        const std::uint16_t values[] = {0x0A00, 0, 0xFFFF, 0x1234, 0xABCD, 1};
        const int registers[] = {0, 1, 2, 8, 16, 18};
        for (int k = 0; k < 6; ++k) block.setRegister(registers[k], values[k]);
        for (int i = 19; i < 24; ++i) block.setRegister(i, 0x9999);

        ASSERT_TRUE(block.exchange(ExchangeMode::WriteAndOk)) << describe(block.lastFailure());
        const HostsimResult result = host.finish();
        EXPECT_EQ(result.outcome, "OK");
        EXPECT_EQ(result.presses, 1);
        std::vector<std::string> expected = host.initial;
        for (const auto& [reg, text] : c.changed) expected[reg] = text;
        EXPECT_EQ(result.texts, expected);
    }
}

TEST_F(HostExchange, CancelPressesCancelAndSendsNoText) {
    Host host({"--vanish-after", "1"}); // any text message would close the window
    ASSERT_TRUE(host.open());
    TestBlock block(windows, clock, host.title, 19);
    for (int i = 0; i < 24; ++i) block.setRegister(i, 0xDEAD);
    ASSERT_TRUE(block.exchange(ExchangeMode::Cancel));
    const HostsimResult result = host.finish();
    EXPECT_EQ(result.outcome, "CANCEL");
    EXPECT_EQ(result.presses, 1);
    EXPECT_EQ(result.texts, host.initial);
}

TEST_F(HostExchange, HungHostFailsAfterTheTextTimeOutWithoutPressing) {
    struct Case {
        ExchangeMode mode;
        const char* hangAfter;
        int failurePosition;
    };
    // A write sends set-text and a read-back per register: the fifth message
    // is register 2's set-text.
    const Case cases[] = {{ExchangeMode::Read, "3", 4}, {ExchangeMode::WriteAndOk, "4", 3}};
    std::vector<std::unique_ptr<Host>> hosts;
    for (const Case& c : cases)
        hosts.push_back(std::make_unique<Host>(
            std::vector<std::string>{"--hang-after", c.hangAfter, "--hang-ms", "1300"}));
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        Host& host = *hosts[k];
        SCOPED_TRACE(static_cast<int>(c.mode));
        ASSERT_TRUE(host.open());
        TestBlock block(windows, clock, host.title, 3);
        for (int i = 0; i < 3; ++i) block.setRegister(i, 0xA0 + i);

        const ULONGLONG start = GetTickCount64();
        EXPECT_FALSE(block.exchange(c.mode));
        const ULONGLONG elapsed = GetTickCount64() - start;
        EXPECT_GE(elapsed, 900u);
        EXPECT_LT(elapsed, 1500u);
        EXPECT_EQ(block.lastFailure(), ExchangeFailure::TextMessage);
        EXPECT_EQ(block.lastFailurePosition(), c.failurePosition);
        EXPECT_EQ(clock.slept, 0u);

        const HostsimResult result = host.finish();
        EXPECT_EQ(result.outcome, "CLOSED");
        EXPECT_EQ(result.presses, 0);
        if (c.mode == ExchangeMode::Read) {
            EXPECT_EQ(block.getRegister(0), 0x10);
            EXPECT_EQ(block.getRegister(2), 0x12);
            EXPECT_EQ(block.getRegister(3), 0);
            EXPECT_EQ(result.texts, host.initial);
        } else {
            EXPECT_EQ(result.texts[0], "a0");
            EXPECT_EQ(result.texts[1], "a1");
            // Register 2's text arrives after the caller gave up: unknown.
            EXPECT_EQ(std::vector<std::string>(result.texts.begin() + 3, result.texts.end()),
                      std::vector<std::string>(host.initial.begin() + 3, host.initial.end()));
        }
    }
}

TEST_F(HostExchange, VanishingHostFailsAtOnceKeepingWhatWasRead) {
    Host host({"--vanish-after", "2"});
    ASSERT_TRUE(host.open());
    TestBlock block(windows, clock, host.title, 3);
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(block.exchange(ExchangeMode::Read));
    EXPECT_LT(GetTickCount64() - start, 500u);
    EXPECT_EQ(block.getRegister(0), 0x10);
    EXPECT_EQ(block.getRegister(1), 0x11);
    EXPECT_EQ(block.getRegister(2), 0);
    EXPECT_EQ(clock.slept, 0u);
    EXPECT_FALSE(IsWindow(host.window));
    EXPECT_FALSE(block.exchange(ExchangeMode::Cancel));
    EXPECT_EQ(block.lastFailure(), ExchangeFailure::NoHostWindow);

    const HostsimResult result = host.finish();
    EXPECT_EQ(result.outcome, "CLOSED");
    EXPECT_EQ(result.presses, 0);
}

TEST_F(HostExchange, ShortWindowFailsWhereItsChildrenEnd) {
    struct Case {
        const char* children;
        ExchangeMode mode;
        bool succeeds;
        ExchangeFailure failure;
        int registersRead; // registers holding their field's value afterwards
        const char* outcome;
        int presses;
    };
    const Case cases[] = {
        // A read must reach position 54 even though the last field is at 35.
        {"54", ExchangeMode::Read, false, ExchangeFailure::ChildMissing, 19, "CLOSED", 0},
        {"0", ExchangeMode::Read, false, ExchangeFailure::NoChildren, 0, "CLOSED", 0},
        {"53", ExchangeMode::WriteAndOk, true, ExchangeFailure::None, 0, "OK", 1},
    };
    std::vector<std::unique_ptr<Host>> hosts;
    for (const Case& c : cases)
        hosts.push_back(std::make_unique<Host>(std::vector<std::string>{"--children", c.children}));
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        const Case& c = cases[k];
        Host& host = *hosts[k];
        SCOPED_TRACE(std::string("children ") + c.children + " mode " +
                     std::to_string(static_cast<int>(c.mode)));
        ASSERT_TRUE(host.open());
        TestBlock block(windows, clock, host.title, 0);
        EXPECT_EQ(block.exchange(c.mode), c.succeeds);
        EXPECT_EQ(block.lastFailure(), c.failure);
        const int positions[] = {1, 2, 3, 4, 5, 6, 7, 8, 17, 18, 19, 20, 21, 22, 23, 24, 33, 34, 35};
        int read = 0;
        for (int i = 0; i < 19; ++i)
            read +=
                block.getRegister(i) == readHostText(initialText(i)) && positions[i] < std::stoi(c.children);
        EXPECT_EQ(read, c.registersRead);
        const HostsimResult result = host.finish();
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(result.presses, c.presses);
    }
}

TEST(Hostsim, ModuleWindowHasTheDefaultChildLayout) {
    const ModuleKind kind = 5;
    const std::string title(moduleInfo(kind).defaultTitle);
    HostsimProcess process({"--module", std::to_string(kind)});
    HWND window = process.waitForWindow(title);
    ASSERT_NE(window, nullptr);
    Win32HostWindows windows;
    EXPECT_TRUE(isHostWindowOpenByTitle(windows, title));

    std::vector<std::string> classes;
    std::vector<std::string> texts;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        std::string lower(name);
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
        classes.push_back(lower);
        // GetWindowText would not ask another process's edit for its text.
        texts.push_back(windows.getText(reinterpret_cast<HostHandle>(child), 21, 1000).value_or("?"));
    }
    ASSERT_EQ(classes.size(), 55u);
    for (int p = 0; p < 55; ++p) {
        const bool field = (p >= 1 && p <= 8) || (p >= 17 && p <= 24) || (p >= 33 && p <= 40);
        const char* expected = p == 52 || p == 53 ? "button" : field ? "edit" : "static";
        EXPECT_EQ(classes[p], expected) << "position " << p;
        if (field) {
            EXPECT_EQ(texts[p], "0") << "position " << p;
        }
    }
    EXPECT_EQ(texts[9], "Reg1");
    EXPECT_EQ(texts[52], "OK");
    EXPECT_EQ(texts[53], "Cancel");

    EXPECT_EQ(process.close(), std::optional<DWORD>(0));
    const auto result = process.result();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome, "CLOSED");
    EXPECT_EQ(result->texts, std::vector<std::string>(24, "0"));
}

TEST(Hostsim, LauncherOpensAParameterWindowPerClick) {
    HostsimProcess process({}, false);
    HWND launcher = process.waitForWindow("hostsim - host window simulator");
    ASSERT_NE(launcher, nullptr);

    // The introduction holds its text as the message font wraps it, above the headings.
    HWND intro = GetWindow(launcher, GW_CHILD);
    char text[256] = {};
    GetWindowTextA(intro, text, sizeof text);
    RECT box{};
    GetClientRect(intro, &box);
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    const HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, font);
    RECT needed{0, 0, box.right, 0};
    DrawTextA(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    EXPECT_LE(needed.bottom, box.bottom) << text;
    RECT introFrame{}, headingFrame{};
    GetWindowRect(intro, &introFrame);
    GetWindowRect(GetWindow(intro, GW_HWNDNEXT), &headingFrame);
    EXPECT_GE(headingFrame.top, introFrame.bottom);

    const ModuleKind kind = 6;
    HWND open = GetDlgItem(launcher, 100 + kind);
    ASSERT_NE(open, nullptr);
    const std::string title(moduleInfo(kind).defaultTitle);
    for (std::size_t click = 1; click <= 2; ++click) {
        SendMessageA(open, BM_CLICK, 0, 0);
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (process.windowsTitled(title).size() < click && GetTickCount64() < deadline) Sleep(5);
        EXPECT_EQ(process.windowsTitled(title).size(), click);
    }
    // Closing a parameter window leaves the launcher; closing the launcher ends it all.
    PostMessageA(process.windowsTitled(title).front(), WM_CLOSE, 0, 0);
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (process.windowsTitled(title).size() > 1 && GetTickCount64() < deadline) Sleep(5);
    EXPECT_EQ(process.windowsTitled(title).size(), 1u);
    EXPECT_TRUE(IsWindow(launcher));
    EXPECT_EQ(process.close(), std::optional<DWORD>(0));
}

TEST(Hostsim, EscapeInAFieldCancelsLikeTheButton) {
    const std::string title = testing::uniqueTitle();
    HostsimProcess process({"--title", title});
    HWND window = process.waitForWindow(title);
    ASSERT_NE(window, nullptr);
    HWND field = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDNEXT);
    PostMessageA(field, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(process.waitForExit(), std::optional<DWORD>(0));
    const auto result = process.result();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->outcome, "CANCEL");
    EXPECT_EQ(result->presses, 1);
}

TEST(Hostsim, ExitCodeTellsTheResultFileWasNotWritten) {
    const std::string title = testing::uniqueTitle();
    HostsimProcess process({"--title", title, "--result", "C:\\no\\such\\folder\\result.txt"}, false);
    ASSERT_NE(process.waitForWindow(title), nullptr);
    EXPECT_EQ(process.close(), std::optional<DWORD>(3));
}

TEST(Hostsim, RejectsABadCommandLineWithoutOpeningAWindow) {
    const std::vector<std::vector<std::string>> commandLines = {
        {"--module", "8"},
        {"--title", "T", "--children"},
        {"--title", "T", "--bogus", "1"},
        {"--title", "T", "--texts", std::string(24, ',')},
    };
    std::vector<std::unique_ptr<HostsimProcess>> processes;
    for (const auto& arguments : commandLines)
        processes.push_back(std::make_unique<HostsimProcess>(arguments, false));
    for (std::size_t k = 0; k < processes.size(); ++k) {
        SCOPED_TRACE(commandLines[k].back());
        EXPECT_EQ(processes[k]->waitForExit(), std::optional<DWORD>(2));
    }
}

TEST(Win32HostWindows, RefusesWhatCannotBeAskedFor) {
    Win32HostWindows windows;
    EXPECT_EQ(windows.findTopLevel(""), 0u);
    EXPECT_EQ(windows.findTopLevel(std::string_view("A\0B", 3)), 0u);
    EXPECT_EQ(windows.firstChild(0), 0u);
    EXPECT_FALSE(windows.exists(0));
    EXPECT_FALSE(windows.getText(0, kGetTextMaxChars, 100));
    EXPECT_FALSE(windows.setText(0, "1", 100));

    Host host({}, {std::string(40, '7')});
    ASSERT_TRUE(host.open());
    const HostHandle field = windows.nextSibling(windows.firstChild(windows.findTopLevel(host.title)));
    ASSERT_NE(field, 0u);
    // The buffer holds 21 bytes: whatever is asked, no more than 20 characters come back.
    EXPECT_EQ(windows.getText(field, kGetTextMaxChars, 1000), std::string(19, '7'));
    EXPECT_EQ(windows.getText(field, 1000, 1000), std::string(20, '7'));
    EXPECT_EQ(windows.getText(field, 0, 1000), std::string());
    EXPECT_TRUE(windows.setText(field, "c0de", 1000));
    EXPECT_EQ(windows.getText(field, kGetTextMaxChars, 1000), "c0de");
    EXPECT_EQ(host.finish().texts[0], "c0de");
    EXPECT_FALSE(windows.exists(field));
    EXPECT_FALSE(windows.getText(field, kGetTextMaxChars, 100));
}

} // namespace
} // namespace velmora
