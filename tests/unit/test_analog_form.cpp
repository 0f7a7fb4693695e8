#include <gtest/gtest.h>

#include "modules/analog_form.h"

namespace velmora {
namespace {

// Index into analogLists of the list for `setting` (and group).
int listOf(AnalogSetting setting, int group = -1) {
    for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
        if (analogLists[i].setting == setting && analogLists[i].group == group) return i;
    ADD_FAILURE() << "no such list";
    return -1;
}

AnalogRules hostRules(int kind, std::uint16_t reg1, std::uint16_t reg2, std::uint16_t reg3) {
    AnalogRules rules(kind);
    RegisterWords words = rules.words();
    words[0] = reg1;
    words[1] = reg2;
    words[2] = reg3;
    rules.load(words);
    return rules;
}

using Texts = std::vector<std::string>;

TEST(AnalogForm, ListEntriesByModel) {
    struct Case {
        int kind;
        Texts ranges;
        Texts trigger;
        bool alarms;
    };
    const Case cases[] = {
        {0, {"-10V to +10V", "1V to 5V", "0V to 5V", "0V to 10V"}, {"Disabled", "Disabled"}, false},
        {1, {"0ma to 20ma", "4ma to 20ma"}, {"Disabled", "Disabled"}, false},
        {2,
         {"-10V to +10V", "1V to 5V", "0V to 5V", "0V to 10V", "0ma to 20ma", "4ma to 20ma"},
         {"Disabled", "Disabled"},
         false},
        {3,
         {"-10V to +10V", "1V to 5V", "0V to 5V", "0V to 10V", "0ma to 20ma", "4ma to 20ma"},
         {"Scrolling Trigger", "Latched Trigger"},
         true},
    };
    for (const Case& c : cases) {
        AnalogRules rules(c.kind);
        const AnalogInputForm form(rules);
        for (int g = 0; g < 4; ++g) EXPECT_EQ(form.entries(listOf(AnalogSetting::Range, g)), c.ranges);
        EXPECT_EQ(form.entries(listOf(AnalogSetting::Trigger)), c.trigger);
        EXPECT_EQ(form.isEnabled(listOf(AnalogSetting::Trigger)), c.alarms);
        EXPECT_EQ(form.isEnabled(listOf(AnalogSetting::Timestamp)), c.alarms);
        EXPECT_EQ(form.alarmsEnabled(), c.alarms);
        EXPECT_TRUE(form.isEnabled(listOf(AnalogSetting::Range, 0)));
    }
}

TEST(AnalogForm, ShowsDefaultsSelected) {
    AnalogRules rules(1);
    const AnalogInputForm form(rules);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Range, 0)), 0); // code 4 is position 0
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Format, 0)), 1);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Filter, 3)), 2);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Calibration)), 2);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Trigger)), -1);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Timestamp)), -1);
    EXPECT_EQ(form.wordTexts(), (std::array<std::string, 3>{"2924", "2A92", "8205"}));
    EXPECT_EQ(analogDialogCaption("KTR-ZCI-310-00VM"), " Configuring KTR-ZCI-310-00VM");

    AnalogRules alarm(3);
    const AnalogInputForm alarmForm(alarm);
    EXPECT_EQ(alarmForm.selection(listOf(AnalogSetting::Range, 0)), 0);
    EXPECT_EQ(alarmForm.selection(listOf(AnalogSetting::Trigger)), 0);
    EXPECT_EQ(alarmForm.selection(listOf(AnalogSetting::Timestamp)), 0); // off bit set: "Disabled"
}

TEST(AnalogForm, HostVoltageRangeOnTheCurrentModelBecomes0To20maAtTheFirstChange) {
    // Group2 holds range 1 "1V to 5V"; nothing is corrected on opening.
    AnalogRules rules = hostRules(1, 0x290C, 0x2A92, 0x8205);
    AnalogInputForm form(rules);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Range, 1)), -1);
    EXPECT_EQ(rules.range(1), 1);
    EXPECT_EQ(form.wordTexts()[0], "290C");

    ASSERT_TRUE(form.select(listOf(AnalogSetting::Filter, 0), 1));
    EXPECT_EQ(rules.range(1), 4);
    EXPECT_EQ(form.entries(
                  listOf(AnalogSetting::Range, 1))[form.positionOfCode(listOf(AnalogSetting::Range, 1), 4)],
              "0ma to 20ma");
    EXPECT_EQ(rules.range(0), 4); // the other groups keep their codes
    EXPECT_EQ(rules.filter(0), 1);
    EXPECT_EQ(form.wordTexts()[0], "1924");
}

TEST(AnalogForm, ModelsWithoutAlarmsForceTimeStampingOffAndScrolling) {
    for (int kind : {0, 1, 2}) {
        // Host words with time stamping on and latched trigger.
        AnalogRules rules = hostRules(kind, kind == 1 ? 0x2924 : 0x2000, 0x2A92, 0x8209);
        AnalogInputForm form(rules);
        EXPECT_FALSE(form.select(listOf(AnalogSetting::Trigger), 1));
        EXPECT_FALSE(form.select(listOf(AnalogSetting::Timestamp), 1));
        EXPECT_EQ(rules.word(2), 0x8209) << "a refused choice changes nothing";
        ASSERT_TRUE(form.select(listOf(AnalogSetting::Acquisition, 0), 1));
        EXPECT_EQ(rules.word(2), 0x8215) << kind;
        EXPECT_EQ(form.selection(listOf(AnalogSetting::Trigger)), -1);
    }
}

TEST(AnalogForm, Reg3Bit15KeepsTheHostValueUntilDefaults) {
    AnalogRules rules = hostRules(3, 0x2000, 0x2A92, 0x0205);
    AnalogInputForm form(rules);
    ASSERT_TRUE(form.select(listOf(AnalogSetting::Trigger), 1));
    ASSERT_TRUE(form.select(listOf(AnalogSetting::Timestamp), 1));
    EXPECT_EQ(rules.word(2), 0x0209);
    form.pressDefaults();
    EXPECT_EQ(rules.word(2), 0x8205);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Trigger)), 0);
    EXPECT_EQ(form.wordTexts()[2], "8205");
}

TEST(AnalogForm, ListWithoutSelectionKeepsItsField) {
    // Group1 filter 6 and Group3 range 6 have no entries; Reg1 bit 14 survives normalize.
    AnalogRules rules = hostRules(2, 0x6180, 0x2A92, 0x8205);
    rules.setWord(11, 0x1234);
    rules.setWord(12, 0x0001);
    AnalogInputForm form(rules);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Filter, 0)), -1);
    EXPECT_EQ(form.selection(listOf(AnalogSetting::Range, 2)), -1);
    ASSERT_TRUE(form.select(listOf(AnalogSetting::Format, 3), 0));
    EXPECT_EQ(rules.filter(0), 6);
    EXPECT_EQ(rules.range(2), 6);
    EXPECT_EQ(rules.range(1), 0);
    EXPECT_EQ(rules.word(11), 0x1234) << "a group without scaling keeps its setpoints";
    EXPECT_EQ(rules.word(12), 0x0001);
}

TEST(AnalogForm, WriteBackOfEveryListAppliesTheLimitRulesToEveryGroup) {
    AnalogRules rules(3);
    AnalogInputForm form(rules);
    rules.setWord(15, 0x3000); // Group4 minimum above its maximum 0x2710
    ASSERT_TRUE(form.select(listOf(AnalogSetting::Filter, 0), 0));
    EXPECT_EQ(rules.word(15), 0xD8F0);
}

TEST(AnalogForm, RefusesPositionsTheListDoesNotHave) {
    AnalogRules rules(1);
    AnalogInputForm form(rules);
    const RegisterWords before = rules.words();
    EXPECT_FALSE(form.select(listOf(AnalogSetting::Range, 0), 2));
    EXPECT_FALSE(form.select(listOf(AnalogSetting::Filter, 0), -1));
    EXPECT_FALSE(form.select(99, 0));
    EXPECT_EQ(rules.words(), before);
}

} // namespace
} // namespace velmora
