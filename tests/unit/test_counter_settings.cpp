#include "modules/counter_settings.h"

#include <gtest/gtest.h>

#include <random>

namespace velmora {
namespace {

using Regs = CounterSettings::Registers;
using S = CounterSetting;

CounterSettings loaded(int channels, const Regs& words) {
    CounterSettings c(channels);
    c.load(words);
    return c;
}

TEST(CounterSettings, DefaultsAreAllZeroOnChannelOne) {
    for (int n : {8, 4}) {
        CounterSettings c(n);
        c.load(Regs{0x00FF, 0x00FF, 0x00FF, 0x00FF, 0x1234, 0x00FF, 0x00FF, 0x00FF, 0x1234});
        c.chooseChannel(2);
        c.pressDefaults();
        Regs expected{};
        if (n == 4) std::copy(c.registers().begin() + 5, c.registers().end(), expected.begin() + 5);
        EXPECT_EQ(c.registers(), expected) << n;
        EXPECT_EQ(c.currentChannel(), 0);
        EXPECT_EQ(c.text(S::Range, 0), "5V");
        EXPECT_EQ(c.text(S::Mode, 0), "UniDirectional");
        EXPECT_EQ(c.text(S::Size, 0), "16 bit (65K)");
        EXPECT_EQ(c.text(S::Rate, 0), "1.0 Hz");
        EXPECT_EQ(c.current(S::DigitalFilter) + c.current(S::AnalogFilter), 0);
        EXPECT_EQ(c.delayEditText(), "0");
        for (std::size_t s = 0; s < kCounterSettingCount; ++s) EXPECT_TRUE(c.isEnabled(static_cast<S>(s)));
    }
}

TEST(CounterSettings, PairInBiDirectionalLocksSecondChannel) {
    CounterSettings c = loaded(8, Regs{0x00C5, 0x0012});
    EXPECT_EQ(c.text(S::Range, 0), "12V");
    EXPECT_EQ(c.text(S::Mode, 0), "BiDirectional");
    EXPECT_EQ(c.text(S::Size, 0), "24 bit (16M)");
    EXPECT_EQ(c.text(S::Rate, 0), "0.1 Hz");
    EXPECT_EQ(c.value(S::DigitalFilter, 0) + c.value(S::AnalogFilter, 0), 0);
    EXPECT_EQ(c.registerText(1), "00C5");

    ASSERT_TRUE(c.chooseChannel(1));
    EXPECT_EQ(c.text(S::Range, 1), "12V");
    EXPECT_EQ(c.text(S::Mode, 1), "BiDirectional");
    for (std::size_t s = 0; s < kCounterSettingCount; ++s) EXPECT_FALSE(c.isEnabled(static_cast<S>(s))) << s;

    // A disabled control that still reports a click changes nothing.
    const Regs before = c.registers();
    EXPECT_FALSE(c.choose(S::Mode, 0));
    EXPECT_FALSE(c.choose(S::Size, 0));
    EXPECT_FALSE(c.choose(S::DigitalFilter, 1));
    EXPECT_EQ(c.registers(), before);
}

TEST(CounterSettings, ModeSwitchCopiesAtOnceAndUncopiesKeepingSettings) {
    CounterSettings c = loaded(8, Regs{0x00F1, 0x0000, 0x0000, 0x0030});
    ASSERT_TRUE(c.choose(S::Mode, 1));
    EXPECT_EQ(c.registers()[0], 0x00F5);
    EXPECT_EQ(c.registers()[1], 0x00F5);
    EXPECT_EQ(c.registers()[3], 0x0030) << "other pairs untouched";

    ASSERT_TRUE(c.choose(S::Mode, 0));
    EXPECT_EQ(c.registers()[0], 0x00F1);
    EXPECT_EQ(c.registers()[1], 0x00F0) << "channel 1's filters, size and rate, bits 0-3 clear";

    // While copied, a change on the first channel shows in the second at once.
    c.choose(S::Mode, 3);
    c.choose(S::AnalogFilter, 0);
    EXPECT_EQ(c.registers()[1], c.registers()[0]);
    EXPECT_EQ(c.registers()[0], 0x00DD);
}

TEST(CounterSettings, SecondChannelOfUniDirectionalPairKeepsItsOwnSettings) {
    CounterSettings c(8);
    c.chooseChannel(3);
    EXPECT_FALSE(c.isEnabled(S::Range));
    EXPECT_FALSE(c.choose(S::Range, 2));
    EXPECT_TRUE(c.choose(S::Size, 1));
    EXPECT_TRUE(c.choose(S::DigitalFilter, 1));
    EXPECT_EQ(c.registers()[3], 0x0050);
    EXPECT_EQ(c.registers()[2], 0x0000);
}

struct DecodeCase {
    int channels;
    Regs in;
    Regs out; // what the dialog shows, and OK stores, right after reading `in`
};

TEST(CounterSettings, ReadWordsGiveTheStoredEncoding) {
    const DecodeCase cases[] = {
        // Uni pair: second member's bits 0-3 dropped; bits 8-15 dropped everywhere.
        {8, {0x0000, 0x00FF}, {0x0000, 0x00F0}},
        {8, {0xFF31, 0xAB0C}, {0x0031, 0x0000}},
        // Other modes: the second member copies the first whatever it held.
        {8, {0x0005, 0x1234}, {0x0005, 0x0005}},
        {8, {0, 0, 0, 0, 0, 0, 0x00BE, 0x0041, 0xFFFF}, {0, 0, 0, 0, 0, 0, 0x00BE, 0x00BE, 0xFFFF}},
        // 4 channels: register 4 is the delay, 5-8 are not the dialog's.
        {4,
         {0x0008, 0x0001, 0x0000, 0x0077, 0xFFFF, 1, 2, 3, 4},
         {0x0008, 0x0008, 0x0000, 0x0070, 0xFFFF, 1, 2, 3, 4}},
    };
    for (const auto& tc : cases) {
        CounterSettings c = loaded(tc.channels, tc.in);
        Regs stored = tc.in;
        c.writeRegisters(stored);
        EXPECT_EQ(stored, tc.out) << tc.channels << " " << tc.in[0] << " " << tc.in[1];
    }
}

// Independent statement of what OK stores for any words read.
Regs expectedStore(int n, const Regs& w) {
    Regs out = w;
    for (int i = 0; i < n; ++i) {
        if (i % 2 == 0)
            out[i] = w[i] & 0x00FF;
        else
            out[i] = ((w[i - 1] >> 2) & 3) != 0 ? out[i - 1] : static_cast<std::uint16_t>(w[i] & 0x00F0);
    }
    return out;
}

TEST(CounterSettings, ArbitraryWordsRoundTrip) {
    std::mt19937 rng(20240611);
    for (int n : {8, 4}) {
        for (int round = 0; round < 500; ++round) {
            Regs w;
            for (auto& x : w) x = static_cast<std::uint16_t>(rng());
            CounterSettings c = loaded(n, w);
            Regs stored = w;
            c.writeRegisters(stored);
            ASSERT_EQ(stored, expectedStore(n, w)) << n << " round " << round;
            EXPECT_EQ(c.delay(), w[n]);
            CounterSettings again = loaded(n, stored);
            ASSERT_EQ(again.registers(), c.registers()) << "a second read changes nothing";
        }
    }
}

struct DelayCase {
    const char* typed;
    std::uint16_t delay;
};

TEST(CounterSettings, TypedDelayIsLimitedNotWrapped) {
    const DelayCase cases[] = {
        {"250", 250},
        {"99999", 65535},
        {"65536", 65535},
        {"65535", 65535},
        {"-5", 0},
        {"-0", 0},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"  +42", 42},
        {"0250", 250},
        {"99999999999999999999999999", 65535},
        {"-99999999999999999999", 0},
    };
    for (int n : {8, 4}) {
        for (const auto& tc : cases) {
            CounterSettings c(n);
            c.typeDelay(tc.typed);
            EXPECT_EQ(c.delay(), tc.delay) << tc.typed;
            EXPECT_EQ(c.registers()[n], tc.delay) << tc.typed;
            EXPECT_EQ(c.delayEditText(), tc.typed) << "the edit keeps what was typed";
            c.chooseChannel(1);
            EXPECT_EQ(c.delayEditText(), std::to_string(tc.delay));
        }
    }
    CounterSettings c(8);
    c.typeDelay("250");
    EXPECT_EQ(c.registerText(8), "00FA");
}

TEST(CounterSettings, FourChannelLayout) {
    CounterSettings c(4);
    EXPECT_EQ(c.caption(), " Configure 770-ZHC-354-00VM");
    EXPECT_EQ(CounterSettings(8).caption(), " Configure 770-ZHC-358-00VM");
    EXPECT_EQ(CounterSettings(5).channelCount(), 8);
    EXPECT_EQ(c.delayRegister(), 4);
    EXPECT_EQ(registerLabel(c.delayRegister()), "Reg5:");
    for (int i = 0; i < 8; ++i) EXPECT_EQ(c.channelShown(i), i < 4) << i;
    for (int i = 0; i < 9; ++i) EXPECT_EQ(c.registerShown(i), i < 5) << i;
    EXPECT_FALSE(c.chooseChannel(4)) << "hidden channel button";
    EXPECT_FALSE(c.chooseChannel(-1));
    EXPECT_EQ(c.currentChannel(), 0);

    c.load(Regs{1, 2, 3, 4, 5, 0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD});
    Regs out;
    out.fill(0x5555);
    c.writeRegisters(out);
    EXPECT_EQ(out, (Regs{1, 0, 3, 0, 5, 0x5555, 0x5555, 0x5555, 0x5555}));
}

TEST(CounterSettings, CodesOutsideAControlAreRefused) {
    CounterSettings c(8);
    EXPECT_FALSE(c.choose(S::Range, 4));
    EXPECT_FALSE(c.choose(S::Size, 2));
    EXPECT_FALSE(c.choose(S::Rate, -1));
    EXPECT_EQ(c.registers(), Regs{});
    EXPECT_EQ(c.registerText(9), "");
}

} // namespace
} // namespace velmora
