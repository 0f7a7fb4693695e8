#include <gtest/gtest.h>

#include <optional>

#include "cli/analog_model.h"

namespace velmora {
namespace {

// A copy, so it outlives the settings it came from.
std::optional<SettingView> find(const std::vector<SettingView>& settings, const std::string& name) {
    for (const SettingView& s : settings)
        if (s.name == name) return s;
    return std::nullopt;
}

TEST(AnalogModel, MadeForTheFourAnalogKindsOnly) {
    for (int kind : {-1, 4, 7}) EXPECT_EQ(makeAnalogModel(kind), nullptr) << kind;
    for (int kind : {0, 1, 2, 3}) EXPECT_NE(makeAnalogModel(kind), nullptr) << kind;
    EXPECT_EQ(makeAnalogModel(2)->handledCount(), 3);
    EXPECT_EQ(makeAnalogModel(3)->handledCount(), 19);
}

TEST(AnalogModel, StandaloneStartsFromTheDefaults) {
    auto model = makeAnalogModel(1);
    EXPECT_EQ(model->finish(), AnalogRules(1).words());
    const auto settings = model->settings();
    ASSERT_EQ(settings.size(), 19u);
    EXPECT_EQ(settings[18].name, "timestamp");
    EXPECT_EQ(settings[0].code, 4);
    EXPECT_EQ(settings[0].text, "0ma to 20ma");
    EXPECT_EQ(settings[16].text, "Once every 10 minutes");
    EXPECT_EQ(settings[18].code, 0);
    EXPECT_EQ(settings[18].text, "") << "disabled list without a selection";
}

TEST(AnalogModel, RefusedActions) {
    struct Case {
        int kind;
        const char* name;
        const char* value;
        const char* mentions;
    };
    const Case cases[] = {
        {2, "g5.range", "0", "unknown setting"},
        {2, "reg4", "1", "unknown setting"},
        {1, "g1.range", "0", "4 \"0ma to 20ma\", 5 \"4ma to 20ma\""},
        {1, "g1.range", "-10V to +10V", "not offered"},
        {0, "g2.range", "4", "not offered"},
        {3, "g1.range", "6", "not offered"},
        {3, "g1.filter", "4", "3 \"1000 Hz\""},
        {3, "g1.format", "", "not offered"},
        {3, "g1.format", "1.0", "not offered"},
        {0, "trigger", "0", "allowed: g1.range, g1.format, g1.filter, g1.acquisition, g2.range"},
        {2, "timestamp", "Enabled", "acquisition, calibration"},
        {3, "reg4", "abc", "not a decimal number"},
        {3, "reg4", "5 V", "allowed: a decimal number"},
        {3, "reg19", "nan", "not a decimal number"},
        {3, "reg20", "1", "unknown setting"},
    };
    for (const Case& c : cases) {
        auto model = makeAnalogModel(c.kind);
        const RegisterWords before = model->finish();
        const ActionResult result = model->apply(c.name, c.value);
        EXPECT_NE(result.error.find(c.mentions), std::string::npos)
            << c.kind << " " << c.name << "=" << c.value << ": " << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos);
        EXPECT_EQ(model->finish(), before) << c.name;
    }
}

TEST(AnalogModel, ValuesByCodeOrTextAnyCase) {
    struct Case {
        int kind;
        const char* name;
        const char* value;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {1, "g1.range", "5", 5, "4ma to 20ma"},
        {1, "g2.range", "  0MA TO 20MA ", 4, "0ma to 20ma"},
        {2, "g4.range", "0v to 10v", 3, "0V to 10V"},
        {3, "G3.Format", "15 bit", 3, "15 Bit"},
        {0, "g1.filter", "+3", 3, "1000 Hz"},
        {0, "g4.acquisition", "differential", 1, "Differential"},
        {2, "calibration", "1", 1, "Once a minute"},
        {3, "trigger", "Latched Trigger", 1, "Latched Trigger"},
        {3, "timestamp", "enabled", 1, "Enabled"},
    };
    for (const Case& c : cases) {
        auto model = makeAnalogModel(c.kind);
        ASSERT_TRUE(model->apply(c.name, c.value).ok()) << c.name << "=" << c.value;
        std::string name = c.name;
        for (char& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        const std::optional<SettingView> s = find(model->settings(), name);
        ASSERT_TRUE(s.has_value());
        EXPECT_EQ(s->code, c.code) << c.name;
        EXPECT_EQ(s->text, c.text) << c.name;
    }
}

TEST(AnalogModel, FinishKeepsUnhandledRegistersAsTheyCame) {
    auto model = makeAnalogModel(0);
    RegisterWords host;
    host.fill(0x7777);
    host[0] = 0x2000;
    host[1] = 0x2A92;
    host[2] = 0x8205;
    model->startSynchronised(host);
    ASSERT_TRUE(model->apply("g1.range", "1V to 5V").ok()); // rescales Reg4-Reg7 inside
    const RegisterWords out = model->finish();
    EXPECT_EQ(out[0], 0x2001);
    for (int i = 3; i < 24; ++i) EXPECT_EQ(out[i], 0x7777) << i;
}

TEST(AnalogModel, SetpointsTypedInUnits) {
    auto model = makeAnalogModel(3);
    ASSERT_TRUE(model->apply("g1.range", "0V to 10V").ok());
    ASSERT_TRUE(model->apply("reg5", " 11 ").ok());
    EXPECT_EQ(model->finish()[4], 0x2710);
    ASSERT_TRUE(model->apply("reg5", "1").ok());
    ASSERT_TRUE(model->apply("reg5", "1e999").ok()) << "too large for a double: the dialog takes it";
    EXPECT_EQ(model->finish()[4], 0x2710);
    ASSERT_TRUE(model->apply("reg5", "3").ok());
    ASSERT_TRUE(model->apply("reg4", "5").ok());
    EXPECT_EQ(model->finish()[3], 0x0000) << "a minimum above its maximum resets";
    const std::optional<SettingView> reg5 = find(model->settings(), "reg5");
    ASSERT_TRUE(reg5.has_value());
    EXPECT_EQ(reg5->code, 3000);
    EXPECT_EQ(reg5->text, "3.000");
    const auto units = dynamic_cast<AnalogModel&>(*model).setpointUnits();
    ASSERT_TRUE(units[1].has_value());
    EXPECT_DOUBLE_EQ(*units[1], 3.0);
}

TEST(AnalogModel, SetpointsOfAGroupWithoutScaling) {
    auto model = makeAnalogModel(3);
    RegisterWords host = model->finish();
    host[0] = static_cast<std::uint16_t>(host[0] | 6); // Group1 range 6
    host[3] = 0x1234;
    model->startSynchronised(host);
    const std::optional<SettingView> reg4 = find(model->settings(), "reg4");
    EXPECT_EQ(reg4->code, 0x1234);
    EXPECT_EQ(reg4->text, kNoScalingText);
    EXPECT_EQ(find(model->settings(), "g1.range")->text, "");
    EXPECT_FALSE(dynamic_cast<AnalogModel&>(*model).setpointUnits()[0].has_value());
    const ActionResult result = model->apply("reg4", "2");
    EXPECT_NE(result.error.find("no scaling; allowed: set g1.range to a code 0-5"), std::string::npos)
        << result.error;
    EXPECT_EQ(model->finish()[3], 0x1234);
    ASSERT_TRUE(model->apply("reg8", "2").ok()); // another group still takes values
    EXPECT_EQ(model->finish()[3], 0x1234);
}

} // namespace
} // namespace velmora
