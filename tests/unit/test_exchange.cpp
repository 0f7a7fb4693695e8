#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "support/fake_clock.h"
#include "support/fake_host_windows.h"
#include "core/host_text.h"
#include "hostlink/register_block.h"

namespace velmora {
namespace {

using Kind = FakeHostWindows::MessageKind;

const std::string kTitle = "KTR-ZHC-358-00VM";

struct TestBlock : RegisterBlock {
    TestBlock(HostContext context, std::function<bool(int)> written)
        : RegisterBlock(std::move(context)), written(std::move(written)) {
        loadWindowDescription();
    }
    bool isWritten(int index) const override { return written(index); }
    std::function<bool(int)> written;
};

std::function<bool(int)> firstN(int n) {
    return [n](int i) { return i >= 0 && i < n; };
}

// A host, a clock and the application's title, wired as the run cycle wires them.
struct Rig {
    FakeHostWindows host;
    FakeClock clock;
    std::function<std::string()> title = [] { return kTitle; };
    std::optional<std::string> description; // the window description file, if any

    std::unique_ptr<TestBlock> block(std::function<bool(int)> written = firstN(9)) {
        HostContext context{
            &host, &clock, [this] { return title(); },
            [this] { return description ? std::make_unique<std::istringstream>(*description) : nullptr; }};
        return std::make_unique<TestBlock>(context, std::move(written));
    }
    int count(Kind kind) const {
        return static_cast<int>(std::count_if(host.messages().begin(), host.messages().end(),
                                              [kind](const auto& m) { return m.kind == kind; }));
    }
};

// Register i's field holds the text of 0x100 + i.
std::array<std::string, kRegisterCount> numberedTexts() {
    std::array<std::string, kRegisterCount> texts;
    for (int i = 0; i < kRegisterCount; ++i) texts[i] = writeHostText(static_cast<std::uint16_t>(0x100 + i));
    return texts;
}

TEST(Exchange, ReadFillsTheMappedRegistersFromNoMoreThanTheCharactersAskedFor) {
    Rig rig;
    auto texts = numberedTexts();
    texts[0] = "1A2B";                                // read as the host's texts are read
    texts[5] = texts[6] = std::string(19, '0') + "7"; // the 7 is beyond the 19 characters asked for
    texts[7] = std::string(18, '0') + "7";
    const auto window = rig.host.addParameterWindow(kTitle, -1, texts);
    rig.host.setTextDirectly(window.fields[2], "");
    rig.host.answerBeyondRequest(window.fields[6]);
    auto block = rig.block();
    block->setRegister(20, 0x5555);

    ASSERT_TRUE(block->exchange(ExchangeMode::Read));
    const std::uint16_t expected[kRegisterCount] = {0x1A2B, 0x101, 0,     0x103, 0x104,  0,     0,     7,
                                                    0x108,  0x109, 0x10a, 0x10b, 0x10c,  0x10d, 0x10e, 0x10f,
                                                    0x110,  0x111, 0x112, 0,     0x5555, 0,     0,     0};
    for (int i = 0; i < kRegisterCount; ++i) EXPECT_EQ(block->getRegister(i), expected[i]) << i;

    // Only the 19 mapped fields are asked.
    ASSERT_EQ(rig.host.messages().size(), 19u);
    for (const auto& m : rig.host.messages())
        EXPECT_EQ(std::tuple(m.kind, m.maxChars, m.timeoutMs), std::tuple(Kind::GetText, 20, 1000u));
    EXPECT_EQ(rig.clock.sleeps(), std::vector<unsigned>{500});
}

// A write that the host field does not hold must not be confirmed with OK.
TEST(Exchange, WriteSendsTheWrittenRegistersInIndexOrderChecksEachAndPressesOk) {
    // Register 1's field holds this after the write (nothing: the text written; "hangs": it does not answer).
    const std::tuple<std::function<bool(int)>, int, const char*, ExchangeFailure> cases[] = {
        {firstN(3), 3, nullptr, ExchangeFailure::None},
        {firstN(19), 19, nullptr, ExchangeFailure::None}, // every mapped register
        {[](int i) { return i == 0 || i == 2; }, 1, nullptr,
         ExchangeFailure::None},                               // a refusal stops the rest
        {firstN(3), 3, "0x00A1", ExchangeFailure::None},       // upper case and leading zeros: the same value
        {firstN(3), 3, "101", ExchangeFailure::WriteMismatch}, // the field keeps its old text
        {firstN(3), 3, "hangs", ExchangeFailure::TextMessage},
    };
    for (const auto& [written, count, holds, failure] : cases) {
        SCOPED_TRACE(std::to_string(count) + (holds ? holds : ""));
        Rig rig;
        const auto window = rig.host.addParameterWindow(kTitle, -1, numberedTexts());
        const bool hangs = holds && holds == std::string("hangs");
        if (hangs)
            rig.host.hang(window.fields[1]);
        else if (holds)
            rig.host.alterSetText(window.fields[1], [holds = holds](std::string_view) { return holds; });
        auto block = rig.block(written);
        for (int i = 0; i < kRegisterCount; ++i) block->setRegister(i, 0xA0 + i);

        const bool ok = failure == ExchangeFailure::None, done = block->exchange(ExchangeMode::WriteAndOk);
        EXPECT_EQ(std::tuple(done, block->lastFailure(), block->lastFailurePosition()),
                  std::tuple(ok, failure, ok ? -1 : 2));
        // Nothing after a failing field is touched.
        for (int i = 0; i < 19; ++i) {
            std::string expected = i < (ok ? count : 1) ? writeHostText(static_cast<std::uint16_t>(0xA0 + i))
                                                        : numberedTexts()[i];
            if (i == 1 && holds) expected = hangs ? numberedTexts()[1] : holds;
            EXPECT_EQ(rig.host.text(window.fields[i]), expected) << i;
        }
        // Each written field is read back; the OK button closes the window on its first click.
        EXPECT_EQ(std::tuple(rig.count(Kind::SetText), rig.count(Kind::GetText)),
                  ok ? std::tuple(count, count) : std::tuple(2, hangs ? 1 : 2));
        for (const auto& m : rig.host.messages())
            EXPECT_EQ(m.timeoutMs, m.kind == Kind::SetText || m.kind == Kind::GetText ? 1000u : 250u);
        EXPECT_EQ(std::tuple(rig.host.pressCount(window.ok), rig.count(Kind::MouseDown),
                             rig.host.exists(window.window), rig.clock.sleeps()),
                  std::tuple(ok ? 1 : 0, ok ? 1 : 0, !ok,
                             ok ? std::vector<unsigned>{500} : std::vector<unsigned>{}));
    }
}

// A write that cannot reach every register it writes and then OK would leave
// the host half written and unconfirmed: it must fail before sending anything.
TEST(Exchange, WriteWhoseLayoutKeepsARegisterOrOkFromTheWalkFailsAtOnce) {
    const std::pair<std::string, int> cases[] = {
        {"MAX_WINDOWS=52\n", 3},                  // OK at MAX_WINDOWS
        {"OK_BUTTON=60\n", 3},                    // OK beyond MAX_WINDOWS
        {"OK_BUTTON=12\n", 9},                    // OK before a written register
        {"OK_BUTTON=3\n", 3},                     // OK on the last written register
        {"REG_00=40\nREG_01=39\nREG_02=41\n", 3}, // a register placed before its predecessor
        {"REG_01=1\n", 3},                        // two registers at one position
        {"", 20},                                 // a written register unmapped
    };
    for (const auto& [description, written] : cases) {
        SCOPED_TRACE(description);
        Rig rig;
        rig.description = description;
        rig.host.addParameterWindow(kTitle, 60, numberedTexts());
        auto block = rig.block(firstN(written));
        EXPECT_FALSE(block->exchange(ExchangeMode::WriteAndOk));
        EXPECT_EQ(std::tuple(block->lastFailure(), rig.host.messages().size(), rig.clock.sleeps().size()),
                  std::tuple(ExchangeFailure::Unreachable, 0u, 0u));
        // A read keeps its walk, and a success clears the failure.
        EXPECT_TRUE(block->exchange(ExchangeMode::Read));
        EXPECT_EQ(block->lastFailure(), ExchangeFailure::None);
    }
}

// Cancel, and any mode that is neither Read nor WriteAndOk, presses the Cancel
// of the window with the application's title at the time of the exchange.
TEST(Exchange, CancelPressesCancelUnlessItIsBeyondTheWalk) {
    const std::tuple<ExchangeMode, std::string, int> cases[] = {
        {ExchangeMode::Cancel, "", 1},
        {static_cast<ExchangeMode>(-1), "", 1},
        {ExchangeMode::Cancel, "MAX_WINDOWS=53\n", 0},
        {ExchangeMode::Cancel, "CANCEL_BUTTON=54\n", 0}};
    for (const auto& [mode, description, presses] : cases) {
        SCOPED_TRACE(description + std::to_string(static_cast<int>(mode)));
        Rig rig;
        rig.description = description;
        const auto window = rig.host.addParameterWindow(kTitle);
        rig.host.addParameterWindow("Other");
        rig.title = [] { return std::string("Other"); };
        auto block = rig.block(firstN(3));
        rig.title = [] { return kTitle; };
        EXPECT_TRUE(block->exchange(mode));
        // One button-down and button-up, no text.
        EXPECT_EQ(
            std::tuple(rig.host.pressCount(window.cancel), rig.host.messages().size(), rig.clock.sleeps()),
            std::tuple(presses, 2u * presses, std::vector<unsigned>{500}));
    }
}

TEST(Exchange, FailuresPressNothingAndDoNotPause) {
    const auto shortWindow = [](int children) {
        return [children](Rig& r) { r.host.addParameterWindow(kTitle, children); };
    };
    using enum ExchangeFailure;
    // clang-format off
    const std::tuple<ExchangeMode, std::function<void(Rig&)>, ExchangeFailure, int> cases[] = {
        // no window with the title, an empty title, a window without children
        {ExchangeMode::Read, [](Rig& r) { r.host.addParameterWindow("KTR-ZHC-354-00VM"); }, NoHostWindow, -1},
        {ExchangeMode::Cancel, [](Rig& r) { r.host.addParameterWindow(""); r.title = [] { return std::string(); }; },
         NoHostWindow, -1},
        {ExchangeMode::WriteAndOk, [](Rig& r) { r.host.addWindow(kTitle); }, NoChildren, -1},
        {ExchangeMode::Read, [](Rig& r) { r.host.hang(r.host.addParameterWindow(kTitle).fields[3]); }, TextMessage, 4},
        // windows one child short of MAX_WINDOWS, of the OK and of the Cancel position
        {ExchangeMode::Read, shortWindow(54), ChildMissing, 54},
        {ExchangeMode::WriteAndOk, shortWindow(40), ChildMissing, 40},
        {ExchangeMode::Cancel, shortWindow(53), ChildMissing, 53},
        {ExchangeMode::Read, [](Rig& r) {
            r.host.addParameterWindow(kTitle);
            r.title = []() -> std::string { throw std::runtime_error("no application"); };
        }, Exception, -1},
    };
    // clang-format on
    for (const auto& [mode, setUp, failure, position] : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::tuple(mode, failure)));
        Rig rig;
        setUp(rig);
        auto block = rig.block();
        EXPECT_FALSE(block->exchange(mode));
        EXPECT_EQ(std::tuple(block->lastFailure(), block->lastFailurePosition(),
                             rig.count(Kind::MouseDown) + rig.count(Kind::MouseUp),
                             rig.clock.sleeps().size()),
                  std::tuple(failure, position, 0, 0u));
    }
}

TEST(Exchange, PressHostButtonClicksUntilTheWindowIsGoneAtMostThreeTimes) {
    // The button survives its presses, the window is gone before; the result, the button-down messages, the
    // presses the button took.
    const std::tuple<bool, bool, bool, int, int> cases[] = {
        {false, false, true, 1, 1}, {true, false, true, 3, 3}, {true, true, false, 0, 0}};
    for (const auto& [survives, goneBefore, result, downs, presses] : cases) {
        FakeHostWindows host;
        const HostHandle window = host.addWindow(kTitle);
        const HostHandle button = host.addButton(window, "OK", survives);
        if (goneBefore) host.destroy(window);
        EXPECT_EQ(pressHostButton(host, button), result);
        EXPECT_EQ(std::tuple(host.messages().size(), host.pressCount(button)),
                  std::tuple(2u * downs, presses));
        // Each click is a button-down with the left-button flag and a button-up, as a real click sends it.
        for (std::size_t i = 0; i < host.messages().size(); ++i) {
            const auto& m = host.messages()[i];
            EXPECT_EQ(std::tuple(m.kind, m.wParam, m.lParam, m.timeoutMs),
                      std::tuple(i % 2 ? Kind::MouseUp : Kind::MouseDown, i % 2 ? 0u : 1u, 0, 250u));
        }
    }
}

// The block's registers, and the probe of the run cycle.
TEST(Exchange, BlockKeepsItsRegistersInRangeAndAnEmptyTitleFindsNoWindow) {
    Rig rig;
    auto block = rig.block();
    for (int i : {23, 24, -1}) block->setRegister(i, 0x12345);
    for (int i = -1; i <= 24; ++i) EXPECT_EQ(block->getRegister(i), i == 23 ? 0x2345 : 0) << i;

    rig.host.addWindow("");
    EXPECT_FALSE(isHostWindowOpenByTitle(rig.host, ""));
}

} // namespace
} // namespace velmora
