// The analog input modules: scaling and alarm limit rules, the register rules,
// the dialog's lists and the command-line model.

#include <gtest/gtest.h>

#include <cmath>

#include "cli/analog_model.h"
#include "modules/analog_form.h"

namespace velmora {
namespace {

using Word = std::uint16_t;
using A = AnalogSetting;

// Words read as units are held to the span. Units stored as words are
// truncated toward zero, except a quotient a rounding error short of a whole
// count (2.001 V at 0.001 V a count), and saturate instead of wrapping.
TEST(AnalogScaling, CountsAndUnits) {
    // clang-format off
    const std::tuple<int, int, Word, double> toUnits[] = {{0, 0, 0xFFFF, 10.0}, {0, 1, 0x8000, -10.0},
        {0, 3, 0x8000, -10.000152590218967}, {1, 1, 0xFFFF, 5.0}, {1, 1, 0, 1.0}, {2, 3, 32767, 5.0},
        {3, 0, 12345, 1.8837262531471732}, {4, 0, 0xFFFF, 20.0}, {4, 2, 4095, 20.0}, {5, 1, 1234, 12.34},
        {5, 2, 4095, 20.0}};
    const std::tuple<int, int, double, Word> toCounts[] = {{5, 1, 12.345, 1234}, {0, 3, -10.0, 0x8001},
        {1, 1, 2.001, 2001}, {0, 1, -8.19, 0xE002}, {4, 1, 0.29, 29}, {3, 1, 70.0, 0xFFFF}, {3, 0, -1e300, 0},
        {0, 1, 100.0, 0x7FFF}, {0, 1, -100.0, 0x8000}, {5, 1, -10.0, 0}, {5, 1, NAN, 0},
        {0, 0, NAN, 0x7FFF}, {0, 1, -INFINITY, 0x8000}, {3, 1, INFINITY, 0xFFFF}, {6, 0, 5.0, 0}};
    // clang-format on
    for (const auto& [range, format, word, units] : toUnits)
        EXPECT_NEAR(countsToUnits(range, format, word), units, 1e-9) << range << "/" << format;
    EXPECT_TRUE(std::isnan(countsToUnits(6, 1, 100)) && std::isnan(countsToUnits(5, 4, 1)));
    for (const auto& [range, format, units, word] : toCounts)
        EXPECT_EQ(unitsToCounts(range, format, units), word) << range << "/" << format << " " << units;
    for (int range = 0; range < kAnalogRangeCodes; ++range)
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& s = *analogScaleRow(range, format);
            // The ends of the count span read as the ends of the units span, within half a count.
            EXPECT_NEAR(countsToUnits(range, format, Word(long(s.countsLow))), s.unitsLow, s.scale() * .6);
            EXPECT_NEAR(countsToUnits(range, format, Word(s.countsHigh)), s.unitsHigh, s.scale() * .6);
            int lost = 0;
            for (long count = static_cast<long>(s.countsLow); count <= s.countsHigh; ++count)
                lost +=
                    unitsToCounts(range, format, countsToUnits(range, format, Word(count))) != Word(count);
            EXPECT_EQ(lost, 0) << range << "/" << format;
        }
}

RegisterWords withGroup(int group, Word min1, Word max1, Word min2, Word max2) {
    RegisterWords regs;
    regs.fill(0x5A5A);
    const auto r = alarmPairRegisters(group);
    regs[r[0]] = min1, regs[r[1]] = max1, regs[r[2]] = min2, regs[r[3]] = max2;
    return regs;
}

// On every row the limit rules leave each pair ordered inside the span and
// change nothing when applied again.
TEST(AnalogScaling, LimitRulesOnEveryRowTouchOnlyTheirGroup) {
    const Word words[] = {0,     1,     400,    999,    1000,   4095,   5000,
                          10000, 32767, 0x8000, 0x8001, 0xD8F0, 0xD8EF, 0xFFFF};
    for (int range = 0; range < kAnalogRangeCodes; ++range)
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            const auto value = [&](Word w) {
                return isSignedCounts(range, format) ? long{std::int16_t(w)} : long{w};
            };
            const int g = (range + format) % 4;
            const auto r = alarmPairRegisters(g);
            for (Word m : words)
                for (Word M : words) {
                    RegisterWords once = withGroup(g, m, M, M, m), twice;
                    clampLimits(once, g, range, format);
                    clampLimits(twice = once, g, range, format);
                    ASSERT_EQ(once, twice) << range << "/" << format << " " << m << "," << M;
                    ASSERT_EQ(once, withGroup(g, once[r[0]], once[r[1]], once[r[2]], once[r[3]]));
                    for (int i : {0, 2})
                        ASSERT_TRUE(row.countsLow <= value(once[r[i]]) &&
                                    value(once[r[i]]) <= value(once[r[i + 1]]) &&
                                    value(once[r[i + 1]]) <= row.countsHigh);
                }
        }
    // Without a row, or outside the four groups, nothing changes.
    RegisterWords odd = withGroup(0, 0xFFFF, 0, 0x1234, 1);
    const RegisterWords same = odd;
    resetLimits(odd, 0, 7, 1), clampLimits(odd, 0, 6, 1), rescaleLimits(odd, 0, 5, 1, 7, 1);
    resetLimits(odd, 4, 0, 1), clampLimits(odd, -1, 0, 1), rescaleLimits(odd, 4, 5, 1, 0, 1);
    EXPECT_EQ(odd, same);
}

// From a range without a row (6) only the limit rules apply: a minimum above
// its maximum goes to the lowest count. A change of range or format keeps each
// setpoint's units as far as the new span holds them.
TEST(AnalogScaling, ClampAndRescaleFigures) {
    // clang-format off
    const std::tuple<int, int, int, int, Word, Word, Word, Word> cases[] = {{6, 1, 5, 1, 1000, 500, 400, 500},
        {6, 1, 5, 1, 500, 500, 500, 500}, {6, 1, 5, 1, 50, 100, 400, 400},
        {6, 1, 5, 1, 0xFC18, 1000, 400, 1000}, {6, 1, 0, 1, 0x8000, 0x7FFF, 0xD8F0, 0x2710},
        {6, 1, 3, 1, 12000, 20000, 0, 10000}, {0, 1, 0, 0, 0xD8F0, 0x2710, 0, 0xFFFF},
        {0, 1, 5, 1, 0xD8F0, 0x2710, 0x0190, 0x03E8}, {5, 1, 3, 1, 0x0190, 0x07D0, 4000, 10000},
        {3, 1, 3, 3, 5000, 10000, 16383, 32767}, {1, 1, 2, 1, 2001, 4009, 2001, 4009}};
    // clang-format on
    for (const auto& [fromRange, fromFormat, range, format, min, max, wantMin, wantMax] : cases) {
        RegisterWords regs = withGroup(2, min, max, min, max);
        rescaleLimits(regs, 2, fromRange, fromFormat, range, format);
        EXPECT_EQ(regs, withGroup(2, wantMin, wantMax, wantMin, wantMax))
            << fromRange << range << format << min;
    }
}

// Reg1 by the model's ranges; the alarm words at the whole DVM span, -10..10 V or 0..20 mA.
TEST(AnalogRules, DefaultsByKind) {
    // clang-format off
    for (const auto& [kind, reg1, lo, hi] : {std::tuple<int, Word, Word, Word>(0, 0x2000, 0xD8F0, 0x2710),
             {1, 0x2924, 0, 0x07D0}, {2, 0x2000, 0xD8F0, 0x2710}, {3, 0x2000, 0xD8F0, 0x2710}}) {
        // clang-format on
        RegisterWords words{reg1, 0x2A92, 0x8205};
        for (int i = 3; i < 19; ++i) words[i] = i % 2 ? lo : hi;
        EXPECT_EQ(AnalogRules(kind).words(), words) << kind;
    }
}

// Every field written, each group with its own code; from all ones every field
// cleared, so a field in the wrong place or of the wrong width shows.
TEST(AnalogRules, FieldWritesReplaceOnlyTheirBits) {
    for (const auto& [start, code, words] :
         {std::tuple(0x0000, 1, std::array<Word, 3>{0x18D1, 0x731A, 0x025C}),
          {0xFFFF, 0, {0x8000, 0x8000, 0xFC00}}}) {
        AnalogRules rules(3);
        rules.load(RegisterWords{Word(start), Word(start), Word(start)});
        for (int g = 0; g < 4; ++g) {
            rules.setRange(g, code * (g + 1)), rules.setFilter(g, code * (g + 1));
            rules.setFormat(g, code * (g + 1) % 4), rules.setAcquisition(g, code * (g + 1) % 2);
        }
        rules.setCalibration(2 * code), rules.setTrigger(code), rules.setTimestamp(1 - code);
        EXPECT_EQ((std::array<Word, 3>{rules.word(0), rules.word(1), rules.word(2)}), words);
    }
    // The layouts are checked when compiled; the check also refuses a field running past bit 15 or
    // beyond the registers.
    EXPECT_FALSE(wellFormed(std::array{RegField{0, 12, 8}}) || wellFormed(std::array{RegField{3, 0, 4}}, 3));
}

// Reg1 keeps bit 14 (Group1's filter), Reg2 loses the high bit of its filters,
// Reg3 keeps the host's bit 15; without alarms time stamping is off and the
// trigger scrolls. Ranges the model lacks become 0 or 4.
TEST(AnalogRules, NormalizeClearsReservedBitsAndRangesTheModelLacks) {
    // clang-format off
    for (const auto& [kind, reg1, want1, want3] : {std::tuple(3, 0xFFFF, 0x7FFF, 0x83FF),
             {2, 0xFFFF, 0x7FFF, 0x83F7}, {0, 0xFFFF, 0x7000, 0x83F7}, {1, 0x0923, 0x0924, 0x83F7},
             {1, 0x0B26, 0x0B26, 0x83F7}, {0, 0x0924, 0, 0x83F7}}) {
        // clang-format on
        AnalogRules rules(kind);
        rules.load(RegisterWords{Word(reg1), 0xFFFF, 0xFFFF});
        rules.normalize();
        EXPECT_EQ(std::tuple(rules.word(0), rules.word(1), rules.word(2)), std::tuple(want1, 0x7EDB, want3))
            << kind;
    }
}

TEST(AnalogRules, RangeAndFormatChangesCarryTheAlarmPairs) {
    AnalogRules rules(3);
    rules.setRange(1, 5); // -10..10 V "DVM" taken as mA: -10 below 4-20, 10 inside
    EXPECT_EQ(std::tuple(rules.word(7), rules.word(8)), std::tuple(0x0190, 0x03E8));
    rules.setFormat(1, 0); // 4 mA and 10 mA in the 16-bit row
    EXPECT_EQ(std::tuple(rules.word(7), rules.word(8), rules.word(3)), std::tuple(0, 24575, 0xD8F0));
    rules.setWord(9, 0xFFFF); // the same code again converts nothing but applies the rules
    rules.setRange(1, 5);
    EXPECT_EQ(std::tuple(rules.word(9), rules.word(8), rules.word(-1), rules.word(24)),
              std::tuple(0, 24575, 0, 0));
}

int listOf(A setting, int group = -1) {
    for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
        if (analogLists[i].setting == setting && analogLists[i].group == group) return i;
    return -1;
}

AnalogRules hostRules(int kind, Word reg1, Word reg2, Word reg3) {
    AnalogRules rules(kind);
    RegisterWords words = rules.words();
    words[0] = reg1, words[1] = reg2, words[2] = reg3;
    rules.load(words);
    return rules;
}

// The range list of the current model starts at code 4; the off bit shows "Disabled".
TEST(AnalogForm, ListsAndSelectionsOfTheDefaults) {
    AnalogRules current(1), alarm(3);
    const AnalogInputForm form(current), alarmForm(alarm);
    using Texts = std::vector<std::string>;
    EXPECT_EQ(std::tuple(form.entries(listOf(A::Range, 3)), form.entries(listOf(A::Trigger)),
                         alarmForm.entries(listOf(A::Trigger)),
                         alarmForm.entries(listOf(A::Range, 0)).size()),
              std::tuple(Texts{"0ma to 20ma", "4ma to 20ma"}, Texts{"Disabled", "Disabled"},
                         Texts{"Scrolling Trigger", "Latched Trigger"}, 6u));
    std::vector<int> selections;
    for (int list = 0; list < static_cast<int>(analogLists.size()); ++list)
        selections.push_back(form.selection(list) * 10 + alarmForm.selection(list));
    EXPECT_EQ(selections,
              (std::vector<int>{0, 0, 0, 0, 11, 11, 11, 11, 22, 22, 22, 22, 0, 0, 0, 0, 22, -10, -10}));
    EXPECT_EQ(form.wordTexts(), (std::array<std::string, 3>{"2924", "2A92", "8205"}));
}

// A selection writes every list back: from words where every field is
// non-zero, position 0 of each list in turn leaves all fields 0. A host's
// voltage range on the current model becomes 0-20 mA at the first change, not
// on opening; fields without an entry are kept; the limit rules run on every
// group.
TEST(AnalogForm, WriteBackOfEveryList) {
    AnalogRules busy = hostRules(3, 0x1AD1, 0x725A, 0x83FA);
    AnalogInputForm busyForm(busy);
    for (int list = 0; list < static_cast<int>(analogLists.size()); ++list)
        EXPECT_TRUE(busyForm.select(list, 0));
    EXPECT_EQ(busyForm.wordTexts(), (std::array<std::string, 3>{"0000", "0000", "8004"}));
    AnalogRules rules = hostRules(1, 0x690C, 0x2A92, 0x8205); // Group2 "1V to 5V", Group1 filter 6
    rules.setWord(15, 0x0900);                                // Group4 minimum above its maximum 0x07D0
    AnalogInputForm form(rules);
    EXPECT_EQ(std::tuple(form.selection(listOf(A::Range, 1)), form.wordTexts()[0]), std::tuple(-1, "690C"));
    ASSERT_TRUE(form.select(listOf(A::Filter, 1), 0));
    EXPECT_EQ(std::tuple(form.wordTexts()[0], rules.word(15)), std::tuple("6924", 0));
    AnalogRules noScaling = hostRules(2, 0x0180, 0x2A92, 0x8205); // Group3 range 6
    noScaling.setWord(11, 0x1234);
    ASSERT_TRUE(AnalogInputForm(noScaling).select(listOf(A::Filter, 1), 0));
    EXPECT_EQ(std::tuple(noScaling.range(2), noScaling.word(11)), std::tuple(6, 0x1234));
}

TEST(AnalogForm, ModelsWithoutAlarmsRefuseTriggerAndTimeStampingAndForceThemOff) {
    for (int kind : {0, 1, 2}) {
        AnalogRules rules = hostRules(kind, kind == 1 ? 0x2924 : 0x2000, 0x2A92, 0x8209); // stamped, latched
        AnalogInputForm form(rules);
        EXPECT_FALSE(form.select(listOf(A::Trigger), 1) || form.select(listOf(A::Timestamp), 1) ||
                     form.select(listOf(A::Range, 0), kind == 1 ? 2 : 6) ||
                     form.select(listOf(A::Filter, 0), -1) || form.select(99, 0));
        EXPECT_EQ(rules.word(2), 0x8209) << "a refused choice changes nothing";
        ASSERT_TRUE(form.select(listOf(A::Acquisition, 0), 1));
        EXPECT_EQ(rules.word(2), 0x8215) << kind;
    }
    AnalogRules alarm = hostRules(3, 0x2000, 0x2A92, 0x0205); // bit 15 is the host's until Defaults
    AnalogInputForm form(alarm);
    ASSERT_TRUE(form.select(listOf(A::Trigger), 1) && form.select(listOf(A::Timestamp), 1));
    EXPECT_EQ(form.wordTexts()[2], "0209");
    form.pressDefaults();
    EXPECT_EQ(std::tuple(form.selection(listOf(A::Trigger)), form.wordTexts()[2]), std::tuple(0, "8205"));
}

// Names in any case; a list value by code or entry text in any case, a
// setpoint in units. `shows` is the text shown after, or part of the refusal.
TEST(AnalogModel, ValuesAndRefusals) {
    // clang-format off
    const std::tuple<int, const char*, const char*, bool, const char*> cases[] = {
        {1, "g2.range", "  0MA TO 20MA ", true, "0ma to 20ma"}, {3, "G3.Format", "+3", true, "15 Bit"},
        {3, "reg5", " 11 ", true, "10.000"}, {3, "reg5", "-1e999", true, "-10.000"},
        {1, "g1.range", "0", false, "4 \"0ma to 20ma\", 5 \"4ma to 20ma\""}};
    // clang-format on
    for (const auto& [kind, name, value, ok, shows] : cases) {
        auto model = makeAnalogModel(kind);
        const RegisterWords before = model->finish();
        const ActionResult result = model->apply(name, value);
        std::string said = result.error;
        for (const SettingView& s : model->settings()) said += s.name == lowered(name) ? s.text : "";
        EXPECT_EQ(result.ok(), ok) << name << "=" << value << ": " << result.error;
        EXPECT_NE(said.find(shows), std::string::npos) << name << "=" << value << ": " << said;
        EXPECT_TRUE(ok || model->finish() == before) << name;
    }
}

} // namespace
} // namespace velmora
