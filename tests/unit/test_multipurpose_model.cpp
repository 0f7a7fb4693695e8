#include "cli/multipurpose_model.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(MultiPurposeModel, StandaloneDefaultsAndKeptRegisters) {
    auto m = makeMultiPurposeModel();
    EXPECT_EQ(m->handledCount(), 9);
    m->startStandalone();
    RegisterWords expected{};
    for (int i = 0; i < 4; ++i) expected[i] = 0x40;
    EXPECT_EQ(m->finish(), expected);

    RegisterWords in{};
    in[0] = 0xFFFF;
    in[5] = 0x0100;
    in[9] = 0x1234;
    in[23] = 0xBEEF;
    m->startSynchronised(in);
    const RegisterWords out = m->finish();
    EXPECT_EQ(out[0], 0x007F);
    EXPECT_EQ(out[5], 0x00F0);
    EXPECT_EQ(out[9], 0x1234);
    EXPECT_EQ(out[23], 0xBEEF);
}

TEST(MultiPurposeModel, AppliesChoicesAndTypedNumbers) {
    auto m = makeMultiPurposeModel();
    m->startStandalone();
    ASSERT_TRUE(m->apply("ch2.timeout", "300").ok());
    ASSERT_TRUE(m->apply("ch3.timeout", "65536").ok());
    ASSERT_TRUE(m->apply("ch4.timeout", " -7 ").ok());
    ASSERT_TRUE(m->apply("ch1.gate", "24v").ok());
    ASSERT_TRUE(m->apply("ch1.range", "3").ok());
    ASSERT_TRUE(m->apply("ch1.size", "16 BIT (65K)").ok());
    ASSERT_TRUE(m->apply("ch4.analog_filter", "ON").ok());
    ASSERT_TRUE(m->apply("delay", "70000").ok());
    const RegisterWords out = m->finish();
    EXPECT_EQ(out[0], 0x000B);
    EXPECT_EQ(out[3], 0x0060);
    EXPECT_EQ(out[4], 0xFFFF);
    EXPECT_EQ(out[6], 240);
    EXPECT_EQ(out[7], 240);
    EXPECT_EQ(out[8], 0);

    const auto s = m->settings();
    ASSERT_EQ(s.size(), 4u * 6 + 1);
    EXPECT_EQ(s[1].name, "ch1.gate");
    EXPECT_EQ(s[1].text, "24V");
    EXPECT_EQ(s[11].name, "ch2.timeout");
    EXPECT_EQ(s[11].code, 240);
    EXPECT_EQ(s.back().name, "delay");
    EXPECT_EQ(s.back().code, 65535);
}

struct ErrorCase {
    const char* name;
    const char* value;
    const char* mentions;
};

TEST(MultiPurposeModel, RefusedActionsNameTheProblemAndChangeNothing) {
    const ErrorCase cases[] = {
        {"ch1.mode", "0", "unknown setting"},
        {"ch1.rate", "0", "unknown setting"},
        {"timeout", "5", "unknown setting"},
        {"ch5.range", "5V", "ch1 to ch4"},
        {"ch0.timeout", "5", "ch1 to ch4"},
        {"ch1.gate", "AC", "\"5V\", \"12V\", \"24V\""},
        {"ch1.gate", "3", "0 to 2"},
        {"ch1.size", "16 bit", "not offered"},
        {"ch1.timeout", "1e3", "not a whole number"},
        {"ch1.timeout", "", "not a whole number"},
        {"delay", "++1", "not a whole number"},
    };
    for (const auto& tc : cases) {
        auto m = makeMultiPurposeModel();
        m->startSynchronised(RegisterWords{0x00FF, 0, 0, 0, 5, 6});
        const RegisterWords before = m->finish();
        const ActionResult r = m->apply(tc.name, tc.value);
        EXPECT_NE(r.error.find(tc.mentions), std::string::npos)
            << tc.name << "=" << tc.value << ": " << r.error;
        EXPECT_EQ(m->finish(), before) << tc.name;
    }
}

} // namespace
} // namespace velmora
