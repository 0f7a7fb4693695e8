#include "cli/counter_model.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

RegisterWords numbered() {
    RegisterWords w;
    for (std::size_t i = 0; i < w.size(); ++i) w[i] = static_cast<std::uint16_t>(0x1100 * (i + 1) + i);
    return w;
}

TEST(CounterModel, StandaloneAndRegisterCounts) {
    auto eight = makeCounterModel(5);
    auto four = makeCounterModel(6);
    EXPECT_EQ(eight->handledCount(), 9);
    EXPECT_EQ(four->handledCount(), 5);
    EXPECT_EQ(makeCounterModel(42)->handledCount(), 9);
    eight->startStandalone();
    EXPECT_EQ(eight->finish(), RegisterWords{});
    EXPECT_EQ(eight->settings().size(), 8u * 6 + 1);
    EXPECT_EQ(four->settings().size(), 4u * 6 + 1);
}

TEST(CounterModel, FourChannelOkKeepsRegistersItDoesNotHandle) {
    auto m = makeCounterModel(6);
    const RegisterWords in = numbered();
    m->startSynchronised(in);
    ASSERT_TRUE(m->apply("delay", "250").ok());
    const RegisterWords out = m->finish();
    EXPECT_EQ(out[4], 250);
    for (std::size_t i = 5; i < out.size(); ++i) EXPECT_EQ(out[i], in[i]) << i;
    EXPECT_EQ(out[0], in[0] & 0x00FF);
}

TEST(CounterModel, AppliesChoicesAsTheDialogDoes) {
    auto m = makeCounterModel(5);
    m->startSynchronised(numbered());
    ASSERT_TRUE(m->apply("ch1.mode", "  biDIRECTIONAL ").ok());
    ASSERT_TRUE(m->apply("ch1.range", "ac").ok());
    ASSERT_TRUE(m->apply("ch1.size", "1").ok());
    ASSERT_TRUE(m->apply("ch1.digital_filter", "on").ok());
    ASSERT_TRUE(m->apply("ch1.analog_filter", "0").ok());
    ASSERT_TRUE(m->apply("ch1.rate", "0.1 Hz").ok());
    ASSERT_TRUE(m->apply("ch3.mode", "Quadrature 4X").ok());
    ASSERT_TRUE(m->apply("delay", "99999").ok());
    RegisterWords out = m->finish();
    EXPECT_EQ(out[0], 0x00D7);
    EXPECT_EQ(out[1], out[0]) << "copy at once, no second encoding needed";
    EXPECT_EQ(out[3], out[2]);
    EXPECT_EQ(out[8], 0xFFFF);

    ASSERT_TRUE(m->apply("delay", "-5").ok());
    ASSERT_TRUE(m->apply("ch1.mode", "UniDirectional").ok());
    out = m->finish();
    EXPECT_EQ(out[8], 0);
    EXPECT_EQ(out[1], 0x00D0);

    const auto s = m->settings();
    EXPECT_EQ(s[6].name, "ch2.range");
    EXPECT_EQ(s[6].text, "AC") << "a second member shows its pair's range";
    EXPECT_EQ(s[7].text, "UniDirectional");
    EXPECT_EQ(s.back().name, "delay");
    EXPECT_EQ(s.back().text, "0");
}

struct ErrorCase {
    int kind;
    const char* name;
    const char* value;
    const char* mentions;
};

TEST(CounterModel, RefusedActionsNameTheProblemAndChangeNothing) {
    const ErrorCase cases[] = {
        {5, "ch1.gate", "1", "unknown setting"},
        {5, "speed", "1", "unknown setting"},
        {5, "ch.range", "1", "unknown setting"},
        {6, "ch5.range", "5V", "ch1 to ch4"},
        {5, "ch9.mode", "0", "ch1 to ch8"},
        {5, "ch0.mode", "0", "ch1 to ch8"},
        {5, "ch99999999999999999999.mode", "0", "ch1 to ch8"},
        {5, "ch1.range", "9V", "\"5V\", \"12V\", \"24V\", \"AC\""},
        {5, "ch1.range", "4", "0 to 3"},
        {5, "ch1.range", "-1", "not offered"},
        {5, "ch1.size", "16 Bit (65K)x", "\"16 bit (65K)\""},
        {5, "ch1.digital_filter", "", "\"off\", \"on\""},
        {5, "ch2.range", "12V", "set ch1.range"},
        {5, "ch4.mode", "BiDirectional", "set ch3.mode"},
        {5, "ch2.size", "1", "\"BiDirectional\""}, // ch1 put in BiDirectional below
        {5, "delay", "12abc", "not a whole number"},
        {5, "delay", "0x10", "not a whole number"},
        {5, "delay", "", "not a whole number"},
        {5, "delay", "123456", "5 characters"},
        {5, "delay", "1\n2", "not a whole number"},
    };
    for (const auto& tc : cases) {
        auto m = makeCounterModel(tc.kind);
        m->startSynchronised(RegisterWords{0x0004, 0x0000, 0x0000});
        const RegisterWords before = m->finish();
        const ActionResult r = m->apply(tc.name, tc.value);
        EXPECT_NE(r.error.find(tc.mentions), std::string::npos)
            << tc.name << "=" << tc.value << ": " << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
        EXPECT_EQ(m->finish(), before) << tc.name;
    }
}

} // namespace
} // namespace velmora
