#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "modules/alarm_setpoints.h"

namespace velmora {
namespace {

TEST(AlarmSetpoints, TypedTextReadsAsTheLongestDecimalPrefix) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* text;
        double value;
        bool wellFormed;
    };
    const Case cases[] = {
        {"", 0, false},         {"abc", 0, false},   {"  12.5xyz", 12.5, false}, {"\t 7", 7, true},
        {"-3", -3, true},       {"+4 ", 4, true},    {".5", 0.5, true},          {"5.", 5, true},
        {".", 0, false},        {"-", 0, false},     {"--5", 0, false},          {"1e3", 1000, true},
        {"1e", 1, false},       {"1e+", 1, false},   {"-.5e-1", -0.05, true},    {"2.5E1mA", 25, false},
        {"0x10", 0, false},     {"inf", 0, false},   {"nan", 0, false},          {"1e999", inf, true},
        {"-1e999", -inf, true}, {"1e-999", 0, true}, {"12,5", 12, false},        {"1 2", 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseSetpointText(c.text), c.value) << '"' << c.text << '"';
        EXPECT_EQ(isWellFormedSetpointText(c.text), c.wellFormed) << '"' << c.text << '"';
    }
}

TEST(AlarmSetpoints, KindAndUnitsTexts) {
    EXPECT_EQ(alarmKindText(5, 1), "4/20ma DVM");
    EXPECT_EQ(alarmKindText(0, 0), "-/+10v 16Bit");
    EXPECT_EQ(alarmKindText(3, 3), "0/10v 15Bit");
    EXPECT_EQ(alarmKindText(6, 1), "");
    EXPECT_EQ(alarmDialogCaption("KTR-ZCI-312-00VM"), " KTR-ZCI-312-00VM Alarm Limits");
    EXPECT_EQ(alarmUnitsText(-10.000152590218967), "-10.000");
    EXPECT_EQ(alarmUnitsText(1.8837), "1.884");
    EXPECT_EQ(alarmUnitsText(1e300).size(), 305u);
}

// An alarm model whose Group1 has this range and format, limits reset.
AnalogRules alarmModel(int range, int format) {
    AnalogRules rules(3);
    rules.setRange(0, range);
    rules.setFormat(0, format);
    rules.resetLimits(0);
    return rules;
}

TEST(AlarmSetpoints, ShowsUnitsHexAndKind) {
    AnalogRules rules(3);
    const AlarmEditor editor(rules);
    for (int s = 0; s < 16; ++s) {
        EXPECT_EQ(editor.fields(s).value, s % 2 ? "10.000" : "-10.000") << s;
        EXPECT_EQ(editor.fields(s).hex, s % 2 ? "2710" : "D8F0") << s;
        EXPECT_EQ(editor.fields(s).kind, "-/+10v DVM") << s;
    }
}

TEST(AlarmSetpoints, TypedValuesAreStoredThroughTheLimitRules) {
    struct Case {
        int range, format, setpoint;
        const char* typed;
        const char* hex;
        const char* value;
    };
    const Case cases[] = {
        {5, 1, 0, "garbage", "0190", "4.000"}, // not a number reads as 0, raised to 4 mA
        {5, 1, 0, "2.5", "0190", "4.000"},
        {5, 1, 2, "12.345", "04D2", "12.340"},
        {3, 1, 1, "11", "2710", "10.000"},
        {3, 1, 1, "70", "2710", "10.000"}, // saturates instead of wrapping to 4.464
        {3, 1, 1, "1e300", "2710", "10.000"},
        {0, 1, 0, "-1e300", "D8F0", "-10.000"},
        {5, 1, 0, "nan", "0190", "4.000"},
        {3, 1, 1, "1e999", "2710", "10.000"}, // infinite: beyond the span like 1e300
        {0, 1, 0, "-1e999", "D8F0", "-10.000"},
        {5, 1, 1, "1", "0190", "4.000"}, // a maximum below the span is raised to it
        {0, 3, 0, " -3.2V", "D70B", "-3.200"},
        // Typed text is read by truncation even where the word shows another text.
        {1, 2, 1, "2.5", "05FF", "2.499"},
        {3, 0, 0, "1.884", "303A", "1.884"},
    };
    for (const Case& c : cases) {
        AnalogRules rules = alarmModel(c.range, c.format);
        AlarmEditor editor(rules);
        editor.type(c.setpoint, c.typed);
        editor.focusLost();
        EXPECT_EQ(editor.fields(c.setpoint).hex, c.hex) << c.typed;
        EXPECT_EQ(editor.fields(c.setpoint).value, c.value) << c.typed;
        EXPECT_EQ(wordText(rules.word(alarmSetpointRegister(c.setpoint))), c.hex) << c.typed;
    }
}

TEST(AlarmSetpoints, FirstFocusLossRereadsEveryFieldFromItsThreeDecimals) {
    struct Case {
        int range, format;
        std::uint16_t word, after;
    };
    const Case cases[] = {
        {0, 3, 0x8000, 0x8001},
        {3, 0, 12345, 12346},
    };
    for (const Case& c : cases) {
        AnalogRules rules = alarmModel(c.range, c.format);
        rules.setWord(3, c.word);
        AlarmEditor editor(rules);
        editor.focusLost();
        EXPECT_EQ(rules.word(3), c.after);
        EXPECT_EQ(editor.fields(0).hex, wordText(c.after));
    }
}

// Setpoint texts and words of the whole editor.
struct Shown {
    std::array<std::string, kAlarmSetpoints> values;
    RegisterWords words;
};

Shown shown(const AnalogRules& rules, const AlarmEditor& editor) {
    Shown out{{}, rules.words()};
    for (int s = 0; s < kAlarmSetpoints; ++s)
        out.values[static_cast<std::size_t>(s)] = editor.fields(s).value;
    return out;
}

// About sixty counts across the span, an odd stride apart so that words land
// at every place in a text's run of words, and both ends.
std::vector<long> countGrid(const AnalogScaleRow& row) {
    const long lo = static_cast<long>(row.countsLow);
    const long hi = static_cast<long>(row.countsHigh);
    const long step = (hi - lo) / 60 | 1;
    std::vector<long> grid;
    for (long c = lo; c <= hi; c += step) grid.push_back(c);
    grid.push_back(hi - 1);
    grid.push_back(hi);
    return grid;
}

TEST(AlarmSetpoints, FocusLossesWithNothingTypedChangeNoShownValue) {
    for (int range = 0; range < kAnalogRangeCodes; ++range) {
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            const auto word = [](long count) { return static_cast<std::uint16_t>(count & 0xFFFF); };
            const long lo = static_cast<long>(row.countsLow);
            const long hi = static_cast<long>(row.countsHigh);
            for (long c : countGrid(row)) {
                AnalogRules rules(3);
                for (int g = 0; g < 2; ++g) {
                    rules.setRange(g, range);
                    rules.setFormat(g, format);
                }
                // Group1: a pair of one word, and a maximum over the lowest
                // count. Group2: a minimum under the highest count, and a pair
                // one count apart (often one text in the 12- and 16-bit rows).
                const long counts[8] = {c, c, lo, c, c, hi, std::max(lo, c - 1), c};
                for (int i = 0; i < 8; ++i) rules.setWord(kFirstSetpointRegister + i, word(counts[i]));
                rules.storeAndCheck(-1, 0);
                AlarmEditor editor(rules);
                const Shown opened = shown(rules, editor);
                editor.focusLost();
                const Shown first = shown(rules, editor);
                const std::string where = alarmKindText(range, format) + " count " + std::to_string(c);
                ASSERT_EQ(first.values, opened.values) << where;
                for (int loss = 2; loss <= 5; ++loss) {
                    editor.focusLost();
                    const Shown now = shown(rules, editor);
                    ASSERT_EQ(now.values, opened.values) << where << ", focus loss " << loss;
                    ASSERT_EQ(now.words, first.words) << where << ", focus loss " << loss;
                }
            }
        }
    }
}

TEST(AlarmSetpoints, UntouchedPairOfOneTextKeepsItsMinimum) {
    // 12345 reads back from "1.884" as 12346: taken for the minimum first, it
    // would stand over the maximum and the minimum would drop to 0.
    AnalogRules rules = alarmModel(3, 0); // 0/10v 16Bit
    rules.setWord(3, 12345);
    rules.setWord(4, 12345);
    AlarmEditor editor(rules);
    editor.focusLost();
    EXPECT_EQ(editor.fields(0).value, "1.884");
    EXPECT_EQ(editor.fields(1).value, "1.884");
    EXPECT_EQ(rules.word(3), 12346);
    EXPECT_EQ(rules.word(4), 12346);
}

TEST(AlarmSetpoints, MaximumTypedBelowItsMinimumResetsTheMinimum) {
    AnalogRules rules = alarmModel(3, 1); // 0..10000
    rules.setWord(5, 5000);
    AlarmEditor editor(rules);
    editor.type(3, "3"); // Reg7, the maximum of the second pair
    editor.focusLost();
    EXPECT_EQ(rules.word(5), 0);
    EXPECT_EQ(rules.word(6), 3000);
    EXPECT_EQ(editor.fields(2).value, "0.000"); // shown right after the second pass
    EXPECT_EQ(editor.fields(2).hex, "0000");
}

TEST(AlarmSetpoints, CancelRestoresReg1ToReg19AsOpened) {
    AnalogRules rules = alarmModel(3, 1);
    rules.setWord(0, static_cast<std::uint16_t>(rules.word(0) | 0x8000)); // reserved bit from the host
    rules.setWord(5, 5000);
    rules.setWord(6, 0x3000); // out of span: left as the host gave it
    const RegisterWords opened = rules.words();
    AlarmEditor editor(rules);
    editor.type(3, "3");
    editor.focusLost();
    ASSERT_NE(rules.words(), opened);
    editor.cancel();
    EXPECT_EQ(rules.words(), opened);
}

TEST(AlarmSetpoints, CommitNormalizes) {
    AnalogRules rules(3);
    rules.setWord(1, static_cast<std::uint16_t>(rules.word(1) | 0x8000));
    AlarmEditor editor(rules);
    editor.commit();
    EXPECT_EQ(rules.word(1), 0x2A92);
}

TEST(AlarmSetpoints, DefaultsResetEveryPairToItsSpan) {
    AnalogRules rules(3);
    rules.setRange(2, 5);
    for (int i = 3; i < 19; ++i) rules.setWord(i, 0x0300);
    AlarmEditor editor(rules);
    editor.pressDefaults();
    EXPECT_EQ(rules.word(3), 0xD8F0);
    EXPECT_EQ(rules.word(4), 0x2710);
    EXPECT_EQ(rules.word(11), 0x0190);
    EXPECT_EQ(rules.word(14), 0x07D0);
    EXPECT_EQ(editor.fields(8).value, "4.000");
    EXPECT_EQ(editor.fields(8).kind, "4/20ma DVM");
    EXPECT_EQ(editor.fields(15).hex, "2710");
}

TEST(AlarmSetpoints, GroupWithoutScalingShowsItsWordOnlyAndKeepsIt) {
    AnalogRules rules(3);
    rules.setWord(0, static_cast<std::uint16_t>((rules.word(0) & ~0x01C0) | (7 << 6))); // Group3 range 7
    rules.setWord(11, 0xBEEF);
    rules.setWord(12, 0x0001);
    AlarmEditor editor(rules);
    EXPECT_FALSE(editor.isScaled(8));
    EXPECT_TRUE(editor.isScaled(7));
    EXPECT_EQ(editor.fields(8).value, "");
    EXPECT_EQ(editor.fields(8).hex, "BEEF");
    EXPECT_EQ(editor.fields(8).kind, "");
    editor.type(8, "5");
    editor.focusLost();
    editor.pressDefaults();
    EXPECT_EQ(rules.word(11), 0xBEEF);
    EXPECT_EQ(rules.word(12), 0x0001);
    EXPECT_EQ(editor.fields(8).hex, "BEEF");
    const auto units = alarmSetpointUnits(rules.words());
    EXPECT_FALSE(units[8].has_value());
    EXPECT_FALSE(units[11].has_value());
    ASSERT_TRUE(units[7].has_value());
    EXPECT_DOUBLE_EQ(*units[7], 10.0);
}

TEST(AlarmSetpoints, EnterMovesTheFocusAlongTheRows) {
    struct Case {
        int from, to;
    };
    const Case cases[] = {{IDC_ALARM_MIN1_VALUE, IDC_ALARM_MAX1_VALUE},
                          {IDC_ALARM_MAX1_VALUE, IDC_ALARM_MIN2_VALUE},
                          {IDC_ALARM_MIN2_VALUE, IDC_ALARM_MAX2_VALUE},
                          {IDC_ALARM_MAX7_VALUE, IDC_ALARM_MIN8_VALUE},
                          {IDC_ALARM_MIN8_VALUE, IDC_ALARM_MAX8_VALUE},
                          {IDC_ALARM_MAX8_VALUE, IDC_ALARM_MIN1_VALUE},
                          {IDC_ALARM_MIN1_HEX, 0},
                          {1 /* OK */, 0}};
    for (const Case& c : cases) EXPECT_EQ(AlarmEditor::nextFocus(c.from), c.to) << c.from;
}

} // namespace
} // namespace velmora
