#include "modules/multipurpose_settings.h"

#include <gtest/gtest.h>

#include <random>

namespace velmora {
namespace {

using Regs = MultiPurposeSettings::Registers;
using S = MultiPurposeSetting;

MultiPurposeSettings loaded(const Regs& words) {
    MultiPurposeSettings m;
    m.load(words);
    return m;
}

TEST(MultiPurposeSettings, Defaults) {
    MultiPurposeSettings m = loaded(Regs{0x00FF, 0x0011, 0x0022, 0x0033, 99, 1, 2, 3, 4});
    m.chooseChannel(3);
    m.pressDefaults();
    EXPECT_EQ(m.registers(), (Regs{0x40, 0x40, 0x40, 0x40, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m.currentChannel(), 0);
    for (int ch = 0; ch < 4; ++ch) {
        EXPECT_EQ(m.text(S::Range, ch), "5V");
        EXPECT_EQ(m.text(S::Gate, ch), "5V");
        EXPECT_EQ(m.text(S::Size, ch), "24 Bit (16M)");
        EXPECT_EQ(m.value(S::DigitalFilter, ch) + m.value(S::AnalogFilter, ch), 0);
        EXPECT_EQ(m.timeout(ch), 0);
    }
    EXPECT_EQ(m.delayEditText(), "0");
    EXPECT_EQ(m.timeoutEditText(), "0");
    EXPECT_EQ(MultiPurposeSettings().registers(), m.registers());
    EXPECT_EQ(MultiPurposeSettings::caption(), "Configure 770-ZPC-354-00VM");
}

struct TimeoutReadCase {
    std::uint16_t word;
    int timeout;
};

TEST(MultiPurposeSettings, TimeoutsReadAreLimited) {
    const TimeoutReadCase cases[] = {{0x0100, 240}, {0xFFFF, 0},   {0x8000, 0}, {0x7FFF, 240},
                                     {0x00F0, 240}, {0x00F1, 240}, {0x0005, 5}, {0x0000, 0}};
    for (const auto& tc : cases) {
        for (int ch = 0; ch < 4; ++ch) {
            Regs in{};
            in[5 + ch] = tc.word;
            MultiPurposeSettings m = loaded(in);
            EXPECT_EQ(m.timeout(ch), tc.timeout) << tc.word;
            EXPECT_EQ(m.registers()[5 + ch], tc.timeout) << tc.word;
        }
    }
}

struct TypedCase {
    const char* typed;
    int timeout;
    std::uint16_t delay;
};

TEST(MultiPurposeSettings, TypedEntriesAreLimitedOnTheWholeNumber) {
    const TypedCase cases[] = {
        {"300", 240, 300},
        {"65536", 240, 65535},
        {"70000", 240, 65535},
        {"-1", 0, 0},
        {"-32768", 0, 0},
        {"-70000", 0, 0},
        {"240", 240, 240},
        {"17", 17, 17},
        {"12x", 12, 12},
        {"abc", 0, 0},
        {"", 0, 0},
        {" \t+9", 9, 9},
        {"99999999999999999999999", 240, 65535},
    };
    for (const auto& tc : cases) {
        MultiPurposeSettings m;
        m.chooseChannel(1);
        m.typeTimeout(tc.typed);
        EXPECT_EQ(m.registers()[6], tc.timeout) << tc.typed;
        EXPECT_EQ(m.timeoutEditText(), tc.typed) << "the edit keeps what was typed";
        m.typeDelay(tc.typed);
        EXPECT_EQ(m.registers()[4], tc.delay) << tc.typed;
        EXPECT_EQ(m.delayEditText(), tc.typed);
        EXPECT_EQ(m.timeoutEditText(), std::to_string(tc.timeout))
            << "typing the delay refreshes the time-out";
    }
}

TEST(MultiPurposeSettings, TypedTimeoutShowsInRegisterAtOnceAndInEditAfterAClick) {
    MultiPurposeSettings m;
    m.chooseChannel(1);
    m.typeTimeout("300");
    EXPECT_EQ(m.registerText(6), "00F0");
    EXPECT_EQ(m.timeoutEditText(), "300");
    EXPECT_EQ(m.timeout(0), 0) << "only the channel on show";
    m.choose(S::Range, 2);
    EXPECT_EQ(m.timeoutEditText(), "240");
}

TEST(MultiPurposeSettings, ChoosingChannelsShowsOwnTimeoutAndChangesNoRegister) {
    MultiPurposeSettings m = loaded(Regs{0x40, 0x41, 0x42, 0x43, 500, 10, 20, 30, 40});
    const Regs before = m.registers();
    for (int ch : {0, 1, 2, 3, 1}) {
        ASSERT_TRUE(m.chooseChannel(ch));
        EXPECT_EQ(m.timeoutEditText(), std::to_string((ch + 1) * 10));
        EXPECT_EQ(m.text(S::Range, ch), kMultiPurposeRangeTexts[static_cast<std::size_t>(ch)]);
    }
    EXPECT_EQ(m.registers(), before);
    EXPECT_FALSE(m.chooseChannel(4));
    EXPECT_EQ(m.currentChannel(), 1);
}

TEST(MultiPurposeSettings, GateCodeWithoutButtonIsKeptUntilAButtonIsPicked) {
    MultiPurposeSettings m = loaded(Regs{0x00FF});
    EXPECT_EQ(m.text(S::Range, 0), "AC");
    EXPECT_EQ(m.text(S::Gate, 0), "(none)");
    EXPECT_FALSE(m.hasButton(S::Gate, m.current(S::Gate)));
    EXPECT_EQ(m.value(S::DigitalFilter, 0) + m.value(S::AnalogFilter, 0), 2);
    EXPECT_EQ(m.text(S::Size, 0), "24 Bit (16M)");
    EXPECT_EQ(m.registerText(0), "007F");

    m.choose(S::Size, 0);
    EXPECT_EQ(m.registers()[0], 0x003F) << "gate code 3 survives other changes";
    EXPECT_FALSE(m.choose(S::Gate, 3));
    EXPECT_TRUE(m.choose(S::Gate, 1));
    EXPECT_EQ(m.registers()[0], 0x0037);
}

TEST(MultiPurposeSettings, ArbitraryWordsRoundTrip) {
    std::mt19937 rng(7);
    for (int round = 0; round < 1000; ++round) {
        Regs w;
        for (auto& x : w) x = static_cast<std::uint16_t>(rng());
        MultiPurposeSettings m = loaded(w);
        Regs expected = w;
        for (int ch = 0; ch < 4; ++ch) {
            expected[ch] = w[ch] & 0x007F;
            const int t = static_cast<std::int16_t>(w[5 + ch]);
            expected[5 + ch] = static_cast<std::uint16_t>(t < 0 ? 0 : t > 240 ? 240 : t);
        }
        Regs stored{};
        m.writeRegisters(stored);
        ASSERT_EQ(stored, expected) << "round " << round;
        ASSERT_EQ(loaded(stored).registers(), stored);
    }
}

} // namespace
} // namespace velmora
