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

using Word = std::uint16_t;

TEST(AlarmSetpoints, TypedTextReadsAsTheLongestDecimalPrefix) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    // clang-format off
    const std::tuple<const char*, double, bool> cases[] = { // text, value, well formed
        {"", 0, false},         {"abc", 0, false},   {"  12.5xyz", 12.5, false}, {"\t 7", 7, true},
        {"-3", -3, true},       {"+4 ", 4, true},    {".5", 0.5, true},          {"5.", 5, true},
        {".", 0, false},        {"-", 0, false},     {"--5", 0, false},          {"1e3", 1000, true},
        {"1e", 1, false},       {"1e+", 1, false},   {"-.5e-1", -0.05, true},    {"2.5E1mA", 25, false},
        {"0x10", 0, false},     {"inf", 0, false},   {"nan", 0, false},          {"1e999", inf, true},
        {"-1e999", -inf, true}, {"1e-999", 0, true}, {"12,5", 12, false},        {"1 2", 1, false}};
    // clang-format on
    for (const auto& [text, value, wellFormed] : cases)
        EXPECT_EQ(std::tuple(parseSetpointText(text), isWellFormedSetpointText(text)),
                  std::tuple(value, wellFormed))
            << '"' << text << '"';
}

TEST(AlarmSetpoints, KindAndUnitsTexts) {
    EXPECT_EQ(alarmKindText(5, 1) + "|" + alarmKindText(0, 0) + "|" + alarmKindText(3, 3) + "|" +
                  alarmKindText(6, 1),
              "4/20ma DVM|-/+10v 16Bit|0/10v 15Bit|");
    EXPECT_EQ(alarmDialogCaption("KTR-ZCI-312-00VM"), " KTR-ZCI-312-00VM Alarm Limits");
    EXPECT_EQ(alarmUnitsText(-10.000152590218967) + alarmUnitsText(1.8837), "-10.0001.884");
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

TEST(AlarmSetpoints, TypedValuesAreStoredThroughTheLimitRules) {
    // clang-format off
    const std::tuple<int, int, int, const char*, const char*, const char*> cases[] = {
        // range, format, setpoint, typed, hex and value shown after
        {5, 1, 0, "garbage", "0190", "4.000"}, // not a number reads as 0, raised to 4 mA
        {5, 1, 0, "2.5", "0190", "4.000"},     {5, 1, 2, "12.345", "04D2", "12.340"},
        {3, 1, 1, "11", "2710", "10.000"},
        {3, 1, 1, "70", "2710", "10.000"}, // saturates instead of wrapping to 4.464
        {3, 1, 1, "1e300", "2710", "10.000"},  {0, 1, 0, "-1e300", "D8F0", "-10.000"},
        {5, 1, 0, "nan", "0190", "4.000"},
        {3, 1, 1, "1e999", "2710", "10.000"}, // infinite: beyond the span like 1e300
        {0, 1, 0, "-1e999", "D8F0", "-10.000"},
        {5, 1, 1, "1", "0190", "4.000"}, // a maximum below the span is raised to it
        {0, 3, 0, " -3.2V", "D70B", "-3.200"},
        // Typed text is read by truncation even where the word shows another text.
        {1, 2, 1, "2.5", "05FF", "2.499"},     {3, 0, 0, "1.884", "303A", "1.884"}};
    // clang-format on
    for (const auto& [range, format, setpoint, typed, hex, value] : cases) {
        AnalogRules rules = alarmModel(range, format);
        AlarmEditor editor(rules);
        editor.type(setpoint, typed);
        editor.focusLost();
        EXPECT_EQ(std::tuple(editor.fields(setpoint).hex, editor.fields(setpoint).value,
                             wordText(rules.word(alarmSetpointRegister(setpoint)))),
                  std::tuple(hex, value, hex))
            << typed;
    }
}

// The first focus loss rereads every field from its three decimals. A pair of
// one text stays one: 12345 reads back from "1.884" as 12346, and taken for
// the minimum first it would stand over the maximum and drop the minimum to 0.
TEST(AlarmSetpoints, FirstFocusLossRereadsEveryFieldFromItsThreeDecimals) {
    const std::tuple<int, int, Word, Word, Word, Word, const char*> cases[] = {
        {0, 3, 0x8000, 0x7FFF, 0x8001, 0x7FFF, "-10.000"},
        {3, 0, 12345, 0xFFFF, 12346, 0xFFFF, "1.884"},
        {3, 0, 12345, 12345, 12346, 12346, "1.884"}};
    for (const auto& [range, format, min, max, wantMin, wantMax, shown] : cases) {
        AnalogRules rules = alarmModel(range, format);
        rules.setWord(3, min), rules.setWord(4, max);
        AlarmEditor editor(rules);
        editor.focusLost();
        EXPECT_EQ(std::tuple(rules.word(3), rules.word(4), editor.fields(0).hex, editor.fields(0).value),
                  std::tuple(wantMin, wantMax, wordText(wantMin), shown));
    }
}

// About sixty counts across the span, an odd stride apart so that words land
// at every place in a text's run of words, and both ends.
std::vector<long> countGrid(const AnalogScaleRow& row) {
    const long lo = static_cast<long>(row.countsLow), hi = static_cast<long>(row.countsHigh);
    std::vector<long> grid;
    for (long c = lo; c <= hi; c += (hi - lo) / 60 | 1) grid.push_back(c);
    grid.push_back(hi - 1);
    grid.push_back(hi);
    return grid;
}

TEST(AlarmSetpoints, FocusLossesWithNothingTypedChangeNoShownValue) {
    const auto shown = [](const AnalogRules& rules, const AlarmEditor& editor) {
        std::string values;
        for (int s = 0; s < kAlarmSetpoints; ++s) values += editor.fields(s).value + " ";
        return std::pair(values, rules.words());
    };
    for (int range = 0; range < kAnalogRangeCodes; ++range)
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            const long lo = static_cast<long>(row.countsLow), hi = static_cast<long>(row.countsHigh);
            for (long c : countGrid(row)) {
                AnalogRules rules(3);
                for (int g = 0; g < 2; ++g) rules.setRange(g, range), rules.setFormat(g, format);
                // Group1: a pair of one word, and a maximum over the lowest
                // count. Group2: a minimum under the highest count, and a pair
                // one count apart (often one text in the 12- and 16-bit rows).
                const long counts[8] = {c, c, lo, c, c, hi, std::max(lo, c - 1), c};
                for (int i = 0; i < 8; ++i)
                    rules.setWord(kFirstSetpointRegister + i, static_cast<Word>(counts[i] & 0xFFFF));
                rules.storeAndCheck(-1, 0);
                AlarmEditor editor(rules);
                const auto opened = shown(rules, editor);
                editor.focusLost();
                const auto first = shown(rules, editor);
                const std::string where = alarmKindText(range, format) + " count " + std::to_string(c);
                ASSERT_EQ(first.first, opened.first) << where;
                for (int loss = 2; loss <= 5; ++loss) {
                    editor.focusLost();
                    ASSERT_EQ(shown(rules, editor), first) << where << ", focus loss " << loss;
                }
            }
        }
}

// A maximum typed below its minimum resets the minimum, shown right after the
// second pass; Cancel restores Reg1-Reg19 as opened, bits and out-of-span words
// from the host included.
TEST(AlarmSetpoints, MaximumTypedBelowItsMinimumResetsTheMinimumAndCancelRestores) {
    AnalogRules rules = alarmModel(3, 1);                        // 0..10000
    rules.setWord(0, static_cast<Word>(rules.word(0) | 0x8000)); // reserved bit from the host
    rules.setWord(5, 5000);
    rules.setWord(7, 0x3000); // out of span: left as the host gave it
    const RegisterWords opened = rules.words();
    AlarmEditor editor(rules);
    editor.type(3, "3"); // Reg7, the maximum of the second pair
    editor.focusLost();
    EXPECT_EQ(std::tuple(rules.word(5), rules.word(6), editor.fields(2).value, editor.fields(2).hex),
              std::tuple(0, 3000, "0.000", "0000"));
    editor.cancel();
    EXPECT_EQ(rules.words(), opened);
}

TEST(AlarmSetpoints, CommitNormalizesAndDefaultsResetEveryPairToItsSpan) {
    AnalogRules rules(3);
    rules.setWord(1, static_cast<Word>(rules.word(1) | 0x8000));
    rules.setRange(2, 5);
    for (int i = 3; i < 19; ++i) rules.setWord(i, 0x0300);
    AlarmEditor editor(rules);
    editor.pressDefaults();
    for (int s = 0; s < kAlarmSetpoints; ++s) {
        const bool mA = alarmSetpointGroup(s) == 2, max = s % 2;
        EXPECT_EQ(std::tuple(editor.fields(s).value, editor.fields(s).hex, editor.fields(s).kind),
                  mA ? std::tuple(max ? "20.000" : "4.000", max ? "07D0" : "0190", "4/20ma DVM")
                     : std::tuple(max ? "10.000" : "-10.000", max ? "2710" : "D8F0", "-/+10v DVM"))
            << s;
    }
    editor.commit();
    EXPECT_EQ(std::tuple(rules.word(1), rules.word(11), rules.word(14)), std::tuple(0x2A92, 0x0190, 0x07D0));
}

TEST(AlarmSetpoints, GroupWithoutScalingShowsItsWordOnlyAndKeepsIt) {
    AnalogRules rules(3);
    rules.setWord(0, static_cast<Word>((rules.word(0) & ~0x01C0) | (7 << 6))); // Group3 range 7
    rules.setWord(11, 0xBEEF);
    rules.setWord(12, 0x0001);
    AlarmEditor editor(rules);
    EXPECT_EQ(
        std::tuple(editor.isScaled(8), editor.isScaled(7), editor.fields(8).value, editor.fields(8).kind),
        std::tuple(false, true, "", ""));
    editor.type(8, "5");
    editor.focusLost();
    editor.pressDefaults();
    EXPECT_EQ(std::tuple(rules.word(11), rules.word(12), editor.fields(8).hex),
              std::tuple(0xBEEF, 1, "BEEF"));
    const auto units = alarmSetpointUnits(rules.words());
    EXPECT_EQ(std::tuple(units[8], units[11], units[7]), std::tuple(std::nullopt, std::nullopt, 10.0));
}

TEST(AlarmSetpoints, EnterMovesTheFocusAlongTheRows) {
    // clang-format off
    const std::pair<int, int> cases[] = {{IDC_ALARM_MIN1_VALUE, IDC_ALARM_MAX1_VALUE},
        {IDC_ALARM_MAX1_VALUE, IDC_ALARM_MIN2_VALUE}, {IDC_ALARM_MAX7_VALUE, IDC_ALARM_MIN8_VALUE},
        {IDC_ALARM_MIN8_VALUE, IDC_ALARM_MAX8_VALUE}, {IDC_ALARM_MAX8_VALUE, IDC_ALARM_MIN1_VALUE},
        {IDC_ALARM_MIN1_HEX, 0}, {1 /* OK */, 0}};
    // clang-format on
    for (const auto& [from, to] : cases) EXPECT_EQ(AlarmEditor::nextFocus(from), to) << from;
}

} // namespace
} // namespace velmora
