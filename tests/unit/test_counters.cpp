// The counter and multi-purpose counter modules: their settings classes and
// command-line models.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "cli/counter_model.h"
#include "cli/multipurpose_model.h"
#include "modules/counter_settings.h"
#include "modules/multipurpose_settings.h"

namespace velmora {
namespace {

using Regs = CounterSettings::Registers;
using S = CounterSetting;
using M = MultiPurposeSetting;

template <class Settings, class... Channels>
Settings loaded(const typename Settings::Registers& words, Channels... channels) {
    Settings settings(channels...);
    settings.load(words);
    return settings;
}

// The pair rule: while the first channel of a pair is not "UniDirectional",
// the second is a copy of it; range and mode always belong to the first.
TEST(CounterSettings, SecondChannelOfABiDirectionalPairFollowsTheFirst) {
    auto c = loaded<CounterSettings>(Regs{0x00E5, 0x0012, 0, 0x0030, 0, 0, 0, 0, 0x1234}, 8);
    EXPECT_EQ(std::tuple(c.registerText(1), c.text(S::Range, 0), c.text(S::Mode, 1)),
              std::tuple("00E5", "12V", "BiDirectional"));
    ASSERT_TRUE(c.chooseChannel(1));
    for (std::size_t s = 0; s < kCounterSettingCount; ++s) EXPECT_FALSE(c.isEnabled(S(s))) << s;
    EXPECT_FALSE(c.choose(S::Size, 0)) << "a disabled control that still reports a click";
    ASSERT_TRUE(c.chooseChannel(0) && c.choose(S::Mode, 0));
    EXPECT_EQ(c.registers()[1], 0x00E0) << "channel 1's filters, size and rate; bits 0-3 clear";
    ASSERT_TRUE(c.choose(S::Mode, 3));
    EXPECT_EQ(std::tuple(c.registers()[1], c.registers()[3]), std::tuple(0x00ED, 0x0030)) << "copied at once";
    c.chooseChannel(3);
    EXPECT_FALSE(c.choose(S::Range, 2) || c.choose(S::Rate, 2) || c.chooseChannel(8));
    EXPECT_TRUE(c.choose(S::DigitalFilter, 0) && c.choose(S::Size, 1));
    EXPECT_EQ(c.registers()[3], 0x0060);
    c.pressDefaults();
    EXPECT_EQ(std::tuple(c.registers(), c.currentChannel(), c.delayEditText()), std::tuple(Regs{}, 0, "0"));
    // The dialog shows channels 1 to n and Reg1 to Reg(n+1), the last one the delay.
    for (int n : {8, 4}) {
        const CounterSettings shown(n);
        EXPECT_EQ(std::tuple(shown.channelShown(-1), shown.channelShown(n - 1), shown.channelShown(n),
                             shown.registerShown(-1), shown.registerShown(n), shown.registerShown(n + 1)),
                  std::tuple(false, true, false, false, true, false))
            << n;
    }
}

// Any words read: what OK stores, stated independently, and a second read
// changes nothing. Time-outs are read as signed words and held to 0..240.
TEST(CounterSettings, ArbitraryWordsReadGiveTheStoredEncoding) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 1000; ++round) {
        const int n = round % 2 ? 4 : 8;
        Regs w, expected;
        for (auto& x : w) x = static_cast<std::uint16_t>(rng());
        if (round < 4) w[5] = std::array<std::uint16_t, 4>{0x00F0, 0x00F1, 0x7FFF, 0xFFFF}[round];
        expected = w;
        for (int i = 0; i < n; ++i)
            expected[i] = i % 2 == 0 ? w[i] & 0x00FF : (w[i - 1] & 0x000C) ? expected[i - 1] : w[i] & 0x00F0;
        const auto c = loaded<CounterSettings>(w, n);
        Regs stored = w;
        c.writeRegisters(stored);
        ASSERT_EQ(stored, expected) << n << " round " << round;
        ASSERT_EQ(loaded<CounterSettings>(stored, n).registers(), c.registers());
        for (int ch = 0; ch < 4; ++ch) {
            expected[ch] = w[ch] & 0x007F;
            expected[5 + ch] = static_cast<std::uint16_t>(std::clamp<int>(std::int16_t(w[5 + ch]), 0, 240));
        }
        expected[4] = w[4];
        const auto m = loaded<MultiPurposeSettings>(w);
        m.writeRegisters(stored);
        ASSERT_EQ(std::tuple(stored, m.timeout(0)), std::tuple(expected, expected[5])) << "round " << round;
        ASSERT_EQ(loaded<MultiPurposeSettings>(stored).registers(), stored);
    }
}

// The whole number typed is limited, never wrapped ("65536" is 240 s, not the
// 0 its low 16 bits give), however many digits it has; an edit keeps its text
// until another action.
TEST(CounterSettings, TypedDelaysAndTimeoutsAreLimited) {
    // clang-format off
    const std::tuple<const char*, int, int> cases[] = {{"240", 240, 240}, {"241", 240, 241},
        {"65535", 240, 65535}, {"65536", 240, 65535}, {"99999999999999999999999999", 240, 65535},
        {"-99999999999999999999999999", 0, 0}, {"-1", 0, 0}, {"-70000", 0, 0}, {"12x", 12, 12},
        {" \t+0250", 240, 250}, {"", 0, 0}};
    // clang-format on
    for (const auto& [typed, timeout, delay] : cases) {
        for (int n : {8, 4}) {
            CounterSettings c(n);
            c.typeDelay(typed);
            EXPECT_EQ(std::tuple(c.registers()[n], c.delayEditText(), c.value(CounterSetting::Range, 8)),
                      std::tuple(delay, typed, 0));
            EXPECT_TRUE(c.chooseChannel(n - 1) && !c.chooseChannel(n)) << "a hidden channel button";
            EXPECT_EQ(c.delayEditText(), std::to_string(delay));
        }
        MultiPurposeSettings m;
        m.chooseChannel(1);
        m.typeTimeout(typed);
        EXPECT_EQ(std::tuple(m.registers()[6], m.timeout(0), m.timeoutEditText()),
                  std::tuple(timeout, 0, typed));
        m.typeDelay(typed);
        EXPECT_EQ(std::tuple(m.registers()[4], m.delayEditText(), m.timeoutEditText()),
                  std::tuple(delay, typed, std::to_string(timeout)));
    }
}

// Gate code 3 has no button: shown as none, kept through other changes.
TEST(MultiPurposeSettings, ChannelsShowTheirOwnTimeoutAndGateCodeThreeIsKept) {
    auto m = loaded<MultiPurposeSettings>(Regs{0x40, 0x41, 0x42, 0x4F, 500, 10, 20, 30, 40});
    EXPECT_TRUE(m.chooseChannel(3) && !m.chooseChannel(4));
    EXPECT_EQ(std::tuple(m.timeoutEditText(), m.text(M::Range, 3), m.text(M::Gate, 3), m.text(M::Size, 0)),
              std::tuple("40", "AC", "(none)", "24 Bit (16M)"));
    m.choose(M::Size, 0);
    EXPECT_EQ(m.registers()[3], 0x000F);
    EXPECT_TRUE(!m.choose(M::Gate, 3) && m.choose(M::Gate, 1));
    EXPECT_EQ(m.registers(), (Regs{0x40, 0x41, 0x42, 0x07, 500, 10, 20, 30, 40}));
}

// Kind 6 has four counter channels, kind 7 is the multi-purpose module. The
// actions run in turn on one model per kind; `refusal` is part of the error,
// or empty when the value is taken.
TEST(CounterModels, NamesValuesAndRefusals) {
    const auto counter = makeCounterModel(6), multi = makeMultiPurposeModel();
    counter->startSynchronised({0x0011, 0x2222, 0x0033, 0x4444, 0x5555, 0x6666, 0, 0, 0, 0xAAAA});
    // clang-format off
    const std::tuple<int, const char*, const char*, const char*> cases[] = {
        {6, "ch1.mode", "  biDIRECTIONAL ", ""}, {6, "CH1.Range", "ac", ""}, {6, "ch1.rate", "0.1 Hz", ""},
        {6, "ch3.size", "1", ""}, {6, "delay", "99999", ""}, {7, "ch2.timeout", "300", ""},
        {7, "ch1.gate", "24v", ""}, {7, "ch1.size", "16 BIT (65K)", ""}, {7, "ch4.analog_filter", "ON", ""},
        {6, "ch.range", "1", "unknown setting"}, {7, "timeout", "5", "unknown setting"},
        {7, "ch0.timeout", "5", "ch1 to ch4"}, {6, "ch99999999999999999999.mode", "0", "ch1 to ch4"},
        {6, "ch1.range", "0004", "not offered"},
        {6, "ch1.range", "9V", "0 to 3 or \"5V\", \"12V\", \"24V\", \"AC\""},
        {6, "ch2.range", "12V", "set ch1.range"}, {6, "ch2.size", "1", "\"BiDirectional\""},
        {7, "ch1.timeout", "", "not a whole number"}, {6, "delay", "123456", "5 characters"}};
    // clang-format on
    for (const auto& [kind, name, value, refusal] : cases) {
        ModuleModel& m = kind == 6 ? *counter : *multi;
        const RegisterWords before = m.finish();
        const ActionResult r = m.apply(name, value);
        EXPECT_EQ(r.ok(), *refusal == '\0') << name << "=" << value << ": " << r.error;
        EXPECT_NE(r.error.find(refusal), std::string::npos) << name << "=" << value << ": " << r.error;
        EXPECT_TRUE(r.ok() || m.finish() == before) << name;
    }
    // Registers the dialog does not handle go back as they came.
    EXPECT_EQ(counter->finish(),
              (RegisterWords{0x0097, 0x0097, 0x0073, 0x0040, 0xFFFF, 0x6666, 0, 0, 0, 0xAAAA}));
    EXPECT_EQ(multi->finish(), (RegisterWords{0x0008, 0x40, 0x40, 0x60, 0, 0, 240, 0, 0}));
}

} // namespace
} // namespace velmora
