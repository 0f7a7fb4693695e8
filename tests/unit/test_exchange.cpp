#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/fake_host_windows.h"
#include "core/host_text.h"
#include "hostlink/register_block.h"

namespace velmora {
namespace {

using Kind = FakeHostWindows::MessageKind;
using Button = FakeHostWindows::ButtonBehaviour;

const std::string kTitle = "KTR-ZHC-358-00VM";

class TestBlock : public RegisterBlock {
public:
    TestBlock(HostContext context, std::function<bool(int)> written)
        : RegisterBlock(std::move(context)), written_(std::move(written)) {
        loadWindowDescription();
    }
    bool isWritten(int index) const override { return written_(index); }

private:
    std::function<bool(int)> written_;
};

std::function<bool(int)> firstN(int n) {
    return [n](int i) { return i >= 0 && i < n; };
}

// A host, a clock and the application's title, wired as the run cycle wires them.
struct Rig {
    FakeHostWindows host;
    FakeClock clock;
    std::string title = kTitle;
    std::optional<std::string> description; // the window description file, none when empty

    HostContext context() {
        return {&host, &clock, [this] { return title; },
                [this]() -> std::unique_ptr<std::istream> {
                    if (!description) return nullptr;
                    return std::make_unique<std::istringstream>(*description);
                }};
    }
    std::unique_ptr<TestBlock> block(std::function<bool(int)> written = firstN(9)) {
        return std::make_unique<TestBlock>(context(), std::move(written));
    }
    int count(Kind kind) const {
        int n = 0;
        for (const auto& m : host.messages()) n += m.kind == kind;
        return n;
    }
};

std::array<std::string, kRegisterCount> numberedTexts() {
    std::array<std::string, kRegisterCount> texts;
    for (int i = 0; i < kRegisterCount; ++i) texts[i] = writeHostText(static_cast<std::uint16_t>(0x100 + i));
    return texts;
}

TEST(Exchange, ReadsEveryMappedRegisterWithTheDefaultLayout) {
    Rig rig;
    auto texts = numberedTexts();
    texts[0] = "1A2B";
    texts[1] = " 0x1a2b";
    texts[2] = "";
    texts[3] = "12345";
    texts[4] = "-1";
    const auto window = rig.host.addParameterWindow(kTitle, WindowLayout::defaults(), -1, texts);
    rig.host.setTextDirectly(window.fields[2], "");
    auto block = rig.block();
    block->setRegister(20, 0x5555);

    ASSERT_TRUE(block->exchange(ExchangeMode::Read));
    const std::uint16_t expected[kRegisterCount] = {
        0x1A2B, 0x1A2B, 0,     0x2345, 0xFFFF, 0x105, 0x106, 0x107, 0x108,  0x109, 0x10a, 0x10b,
        0x10c,  0x10d,  0x10e, 0x10f,  0x110,  0x111, 0x112, 0,     0x5555, 0,     0,     0};
    for (int i = 0; i < kRegisterCount; ++i) EXPECT_EQ(block->getRegister(i), expected[i]) << i;

    // Register 0 sits at the second child; only the 19 mapped fields are asked.
    const auto& log = rig.host.messages();
    ASSERT_EQ(log.size(), 19u);
    EXPECT_EQ(log[0].target, window.at(1));
    EXPECT_EQ(log[18].target, window.at(35));
    for (const auto& m : log) {
        EXPECT_EQ(m.kind, Kind::GetText);
        EXPECT_EQ(m.maxChars, 20);
        EXPECT_EQ(m.timeoutMs, 1000u);
    }
    EXPECT_EQ(rig.clock.sleeps(), std::vector<unsigned>{500});
}

TEST(Exchange, ReadSucceedsOnlyWhenTheWalkReachesMaxWindows) {
    const struct {
        int children;
        bool ok;
    } cases[] = {{55, true}, {54, false}, {36, false}, {1, false}};
    for (const auto& c : cases) {
        Rig rig;
        rig.host.addParameterWindow(kTitle, WindowLayout::defaults(), c.children, numberedTexts());
        auto block = rig.block();
        EXPECT_EQ(block->exchange(ExchangeMode::Read), c.ok) << c.children;
        // Every mapped register the window has is read either way.
        EXPECT_EQ(block->getRegister(18), c.children > 35 ? 0x112 : 0) << c.children;
        EXPECT_EQ(rig.clock.sleeps().size(), c.ok ? 1u : 0u) << c.children;
    }
}

TEST(Exchange, WriteSendsTheWrittenRegistersAndPressesOk) {
    Rig rig;
    const auto window = rig.host.addParameterWindow(kTitle, WindowLayout::defaults(), -1, numberedTexts());
    auto block = rig.block(firstN(3));
    block->setRegister(0, 0);
    block->setRegister(1, 0x0A00);
    block->setRegister(2, 0xFFFF);
    block->setRegister(3, 0x1234);

    ASSERT_TRUE(block->exchange(ExchangeMode::WriteAndOk));
    EXPECT_EQ(rig.host.text(window.fields[0]), "0");
    EXPECT_EQ(rig.host.text(window.fields[1]), "a00");
    EXPECT_EQ(rig.host.text(window.fields[2]), "ffff");
    for (int i = 3; i < 19; ++i) EXPECT_EQ(rig.host.text(window.fields[i]), numberedTexts()[i]) << i;
    EXPECT_EQ(rig.count(Kind::SetText), 3);
    for (const auto& m : rig.host.messages())
        if (m.kind == Kind::SetText) {
            EXPECT_EQ(m.timeoutMs, 1000u);
        }

    // The OK button closes the window on its first click: one press, as a real click sends it.
    const auto ok = rig.host.messagesTo(window.ok);
    ASSERT_EQ(ok.size(), 2u);
    EXPECT_EQ(ok[0].kind, Kind::MouseDown);
    EXPECT_EQ(ok[0].wParam, 1u);
    EXPECT_EQ(ok[1].kind, Kind::MouseUp);
    EXPECT_EQ(ok[1].wParam, 0u);
    for (const auto& m : ok) {
        EXPECT_EQ(m.lParam, 0);
        EXPECT_EQ(m.timeoutMs, 250u);
    }
    EXPECT_FALSE(rig.host.exists(window.window));
    EXPECT_TRUE(rig.host.messagesTo(window.cancel).empty());
    EXPECT_EQ(rig.clock.sleeps(), std::vector<unsigned>{500});
}

TEST(Exchange, WriteCoversOnlyRegistersMappedInOrder) {
    struct Case {
        const char* name;
        std::string description;
        std::function<bool(int)> written;
        std::vector<int> writtenFields; // registers whose host field gets a text
    };
    const std::vector<Case> cases = {
        {"alarm module", "", firstN(19), {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {"universal module", "", firstN(8), {0, 1, 2, 3, 4, 5, 6, 7}},
        {"a refused register stops the rest", "", [](int i) { return i == 0 || i == 2; }, {0}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.description = c.description;
        std::istringstream in(c.description);
        const auto window =
            rig.host.addParameterWindow(kTitle, loadWindowDescription(in), -1, numberedTexts());
        auto block = rig.block(c.written);
        for (int i = 0; i < kRegisterCount; ++i) block->setRegister(i, 0xA0 + i);

        EXPECT_TRUE(block->exchange(ExchangeMode::WriteAndOk)) << c.name;
        std::vector<int> changed;
        for (int i = 0; i < kRegisterCount; ++i)
            if (window.fields[i] && rig.host.text(window.fields[i]) != numberedTexts()[i])
                changed.push_back(i);
        EXPECT_EQ(changed, c.writtenFields) << c.name;
        EXPECT_EQ(rig.host.pressCount(window.ok), 1) << c.name;
    }
}

TEST(Exchange, CancelAtOrBeyondMaxWindowsIsNeverPressed) {
    for (const char* description : {"MAX_WINDOWS=53\n", "CANCEL_BUTTON=54\n"}) {
        Rig rig;
        rig.description = description;
        const auto window = rig.host.addParameterWindow(kTitle);
        auto block = rig.block(firstN(3));
        EXPECT_TRUE(block->exchange(ExchangeMode::Cancel)) << description;
        EXPECT_EQ(rig.count(Kind::MouseDown) + rig.count(Kind::MouseUp), 0) << description;
        EXPECT_TRUE(rig.host.exists(window.window));
    }
}

// A write that cannot reach every register it writes and then OK would leave
// the host half written and unconfirmed: it must fail before sending anything.
TEST(Exchange, WriteWhoseLayoutKeepsARegisterOrOkFromTheWalkFailsAtOnce) {
    struct Case {
        const char* name;
        std::string description;
        int written;
    };
    const std::vector<Case> cases = {
        {"OK at MAX_WINDOWS", "MAX_WINDOWS=52\n", 3},
        {"OK beyond MAX_WINDOWS", "OK_BUTTON=60\n", 3},
        {"OK before a written register", "OK_BUTTON=12\n", 9},
        {"OK on the last written register", "OK_BUTTON=3\n", 3},
        {"a register placed before its predecessor", "REG_00=40\nREG_01=39\nREG_02=41\n", 3},
        {"a written register unmapped", "", 20},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.description = c.description;
        rig.host.addParameterWindow(kTitle, WindowLayout::defaults(), 60, numberedTexts());
        auto block = rig.block(firstN(c.written));
        EXPECT_FALSE(block->exchange(ExchangeMode::WriteAndOk)) << c.name;
        EXPECT_EQ(block->lastFailure(), ExchangeFailure::Unreachable) << c.name;
        EXPECT_TRUE(rig.host.messages().empty()) << c.name;
        EXPECT_TRUE(rig.clock.sleeps().empty()) << c.name;
        EXPECT_TRUE(block->exchange(ExchangeMode::Read)) << c.name << ": a read keeps its walk";
    }
}

TEST(Exchange, CancelPressesCancelAndSendsNoText) {
    for (ExchangeMode mode :
         {ExchangeMode::Cancel, static_cast<ExchangeMode>(7), static_cast<ExchangeMode>(-1)}) {
        Rig rig;
        const auto window = rig.host.addParameterWindow(kTitle);
        auto block = rig.block();
        block->setRegister(0, 0x42);
        EXPECT_TRUE(block->exchange(mode));
        EXPECT_EQ(rig.host.pressCount(window.cancel), 1);
        EXPECT_EQ(rig.count(Kind::SetText) + rig.count(Kind::GetText), 0);
        EXPECT_EQ(rig.host.messages().size(), 2u);
        EXPECT_EQ(block->getRegister(0), 0x42);
        EXPECT_EQ(rig.clock.sleeps(), std::vector<unsigned>{500});
    }
}

// A write that the host field does not hold must not be confirmed with OK.
TEST(Exchange, WriteIsCheckedAgainstWhatTheFieldHolds) {
    struct Case {
        const char* name;
        std::function<void(FakeHostWindows&, HostHandle field)> fault;
        bool ok;
    };
    const std::vector<Case> cases = {
        {"upper case is the same value",
         [](FakeHostWindows& h, HostHandle f) {
             h.alterSetText(f, [](std::string_view t) {
                 std::string s(t);
                 for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                 return s;
             });
         },
         true},
        {"leading zeros are the same value",
         [](FakeHostWindows& h, HostHandle f) {
             h.alterSetText(f, [](std::string_view t) { return "0x00" + std::string(t); });
         },
         true},
        {"field keeps its old text", [](FakeHostWindows& h, HostHandle f) { h.ignoreSetText(f); }, false},
        {"field keeps two characters",
         [](FakeHostWindows& h, HostHandle f) {
             h.alterSetText(f, [](std::string_view t) { return std::string(t.substr(0, 2)); });
         },
         false},
        {"field hangs", [](FakeHostWindows& h, HostHandle f) { h.hang(f); }, false},
    };
    for (const Case& c : cases) {
        Rig rig;
        const auto window =
            rig.host.addParameterWindow(kTitle, WindowLayout::defaults(), -1, numberedTexts());
        c.fault(rig.host, window.fields[1]);
        auto block = rig.block(firstN(3));
        for (int i = 0; i < 3; ++i) block->setRegister(i, 0xBEE0 + i);

        EXPECT_EQ(block->exchange(ExchangeMode::WriteAndOk), c.ok) << c.name;
        EXPECT_EQ(rig.host.pressCount(window.ok), c.ok ? 1 : 0) << c.name;
        EXPECT_EQ(rig.host.text(window.fields[0]), "bee0") << c.name;
        // Nothing after the failing field is touched.
        EXPECT_EQ(rig.host.text(window.fields[2]), c.ok ? "bee2" : numberedTexts()[2]) << c.name;
        EXPECT_EQ(rig.clock.sleeps().size(), c.ok ? 1u : 0u) << c.name;
        if (!c.ok) {
            EXPECT_EQ(block->lastFailurePosition(), 2) << c.name;
        }
    }
}

TEST(Exchange, FailuresPressNothingAndDoNotPause) {
    struct Case {
        const char* name;
        ExchangeMode mode;
        std::function<void(Rig&)> setUp;
        ExchangeFailure failure;
    };
    const std::vector<Case> cases = {
        {"no window with the title", ExchangeMode::Read,
         [](Rig& r) { r.host.addParameterWindow("KTR-ZHC-354-00VM"); }, ExchangeFailure::NoHostWindow},
        {"empty title", ExchangeMode::Cancel,
         [](Rig& r) {
             r.host.addParameterWindow("");
             r.title = "";
         },
         ExchangeFailure::NoHostWindow},
        {"window without children", ExchangeMode::WriteAndOk, [](Rig& r) { r.host.addWindow(kTitle); },
         ExchangeFailure::NoChildren},
        {"read: field hangs", ExchangeMode::Read,
         [](Rig& r) { r.host.hang(r.host.addParameterWindow(kTitle).fields[3]); },
         ExchangeFailure::TextMessage},
        {"read: window closes after three messages", ExchangeMode::Read,
         [](Rig& r) { r.host.closeAfterMessages(r.host.addParameterWindow(kTitle).window, 3); },
         ExchangeFailure::ChildMissing},
        {"write: window closes during the second register", ExchangeMode::WriteAndOk,
         [](Rig& r) { r.host.closeAfterMessages(r.host.addParameterWindow(kTitle).window, 3); },
         ExchangeFailure::TextMessage},
        {"write: window shorter than the OK position", ExchangeMode::WriteAndOk,
         [](Rig& r) { r.host.addParameterWindow(kTitle, WindowLayout::defaults(), 40); },
         ExchangeFailure::ChildMissing},
        {"cancel: window shorter than the Cancel position", ExchangeMode::Cancel,
         [](Rig& r) { r.host.addParameterWindow(kTitle, WindowLayout::defaults(), 53); },
         ExchangeFailure::ChildMissing},
        {"platform layer throws", ExchangeMode::WriteAndOk,
         [](Rig& r) { r.host.throwOnMessage(r.host.addParameterWindow(kTitle).fields[0]); },
         ExchangeFailure::Exception},
    };
    for (const Case& c : cases) {
        Rig rig;
        c.setUp(rig);
        auto block = rig.block();
        EXPECT_FALSE(block->exchange(c.mode)) << c.name;
        EXPECT_EQ(block->lastFailure(), c.failure) << c.name;
        EXPECT_EQ(rig.count(Kind::MouseDown) + rig.count(Kind::MouseUp), 0) << c.name;
        EXPECT_TRUE(rig.clock.sleeps().empty()) << c.name;
    }
}

TEST(Exchange, ExceptionFromTheApplicationGivesFalse) {
    Rig rig;
    rig.host.addParameterWindow(kTitle);
    HostContext context = rig.context();
    context.currentTitle = []() -> std::string { throw std::runtime_error("no application"); };
    TestBlock block(context, firstN(3));
    EXPECT_FALSE(block.exchange(ExchangeMode::Read));
    EXPECT_EQ(block.lastFailure(), ExchangeFailure::Exception);
}

TEST(Exchange, ReadKeepsWhatItReadBeforeAFailure) {
    Rig rig;
    const auto window = rig.host.addParameterWindow(kTitle, WindowLayout::defaults(), -1, numberedTexts());
    rig.host.hang(window.fields[2]);
    auto block = rig.block();
    EXPECT_FALSE(block->exchange(ExchangeMode::Read));
    EXPECT_EQ(block->getRegister(0), 0x100);
    EXPECT_EQ(block->getRegister(1), 0x101);
    EXPECT_EQ(block->getRegister(2), 0);
    EXPECT_EQ(block->getRegister(3), 0);
}

TEST(Exchange, AnswerIsUsedOnlyUpToTheSizeAskedFor) {
    Rig rig;
    const auto window = rig.host.addParameterWindow(kTitle);
    // 19 zeros fit the request; the trailing digit does not.
    rig.host.setTextDirectly(window.fields[0], std::string(19, '0') + "7");
    rig.host.setTextDirectly(window.fields[1], std::string(19, '0') + "7");
    rig.host.answerBeyondRequest(window.fields[1]);
    rig.host.setTextDirectly(window.fields[2], std::string(18, '0') + "7");
    auto block = rig.block();
    ASSERT_TRUE(block->exchange(ExchangeMode::Read));
    EXPECT_EQ(block->getRegister(0), 0);
    EXPECT_EQ(block->getRegister(1), 0);
    EXPECT_EQ(block->getRegister(2), 7);
}

TEST(Exchange, FindsTheWindowByTheApplicationsCurrentTitle) {
    Rig rig;
    const auto first = rig.host.addParameterWindow(kTitle);
    const auto second = rig.host.addParameterWindow("Other");
    auto block = rig.block();
    rig.title = "Other"; // the application selected another module after the block was built
    EXPECT_TRUE(block->exchange(ExchangeMode::Cancel));
    EXPECT_EQ(rig.host.pressCount(second.cancel), 1);
    EXPECT_EQ(rig.host.pressCount(first.cancel), 0);
}

TEST(Exchange, PressHostButton) {
    struct Case {
        Button behaviour;
        bool goneBefore;
        bool result;
        int downs, ups;
    };
    const Case cases[] = {
        {Button::ClosesWindowOnRelease, false, true, 1, 1},
        {Button::ClosesWindowOnPress, false, true, 1, 1},
        {Button::Survives, false, true, 3, 3},
        {Button::Survives, true, false, 0, 0},
    };
    for (const Case& c : cases) {
        FakeHostWindows host;
        const HostHandle window = host.addWindow(kTitle);
        const HostHandle button = host.addButton(window, "OK", c.behaviour);
        if (c.goneBefore) host.destroy(window);
        EXPECT_EQ(pressHostButton(host, button), c.result);
        int downs = 0, ups = 0;
        for (const auto& m : host.messages()) {
            downs += m.kind == Kind::MouseDown;
            ups += m.kind == Kind::MouseUp;
        }
        EXPECT_EQ(downs, c.downs);
        EXPECT_EQ(ups, c.ups);
        EXPECT_EQ(host.pressCount(button), c.behaviour == Button::Survives && !c.goneBefore ? 3
                                           : c.behaviour == Button::ClosesWindowOnRelease   ? 1
                                                                                            : 0);
    }
}

TEST(Exchange, ButtonThatVanishesMidPressStillSucceeds) {
    Rig rig;
    const HostHandle window = rig.host.addWindow(kTitle);
    for (int p = 0; p < 52; ++p) rig.host.addField(window, "0");
    const HostHandle ok = rig.host.addButton(window, "OK", Button::ClosesWindowOnPress);
    auto block = rig.block(firstN(3));
    EXPECT_TRUE(block->exchange(ExchangeMode::WriteAndOk));
    EXPECT_FALSE(rig.host.exists(window));
    EXPECT_EQ(rig.host.messagesTo(ok).size(), 2u);
    EXPECT_EQ(rig.clock.sleeps(), std::vector<unsigned>{500});
}

TEST(Exchange, RegisterAccessOutsideTheBlock) {
    Rig rig;
    auto block = rig.block();
    block->setRegister(23, 0x12345);
    block->setRegister(24, 0x1111);
    block->setRegister(-1, 0x2222);
    block->setRegister(0, 0xFFFFFFFFu);
    EXPECT_EQ(block->getRegister(23), 0x2345);
    EXPECT_EQ(block->getRegister(0), 0xFFFF);
    EXPECT_EQ(block->getRegister(24), 0);
    EXPECT_EQ(block->getRegister(-1), 0);
    for (int i = 1; i < 23; ++i) EXPECT_EQ(block->getRegister(i), 0) << i;
}

TEST(Exchange, PositionsComeFromTheDescriptionEachTimeItIsLoaded) {
    Rig rig;
    rig.description = "REG_00=9\nOK_BUTTON=3\n";
    auto block = rig.block();
    EXPECT_EQ(block->layout().controlPositions[0], 9);
    EXPECT_EQ(block->layout().okPosition, 3);
    rig.description = "MAX_WINDOWS=10\n";
    block->loadWindowDescription();
    WindowLayout expected = WindowLayout::defaults();
    expected.maxWindows = 10;
    EXPECT_EQ(block->layout(), expected);
    rig.description.reset();
    block->loadWindowDescription();
    EXPECT_EQ(block->layout(), WindowLayout::defaults());
}

TEST(Exchange, HostWindowOpenByTitle) {
    FakeHostWindows host;
    const HostHandle window = host.addWindow(kTitle);
    host.addWindow("");
    EXPECT_TRUE(isHostWindowOpenByTitle(host, kTitle));
    EXPECT_FALSE(isHostWindowOpenByTitle(host, ""));
    EXPECT_FALSE(isHostWindowOpenByTitle(host, "KTR-ZHC-358-00V"));
    EXPECT_FALSE(isHostWindowOpenByTitle(host, kTitle + " "));
    host.destroy(window);
    EXPECT_FALSE(isHostWindowOpenByTitle(host, kTitle));
}

} // namespace
} // namespace velmora
