#include <gtest/gtest.h>

#include <functional>

#include "modules/analog_rules.h"

namespace velmora {
namespace {

TEST(AnalogRules, FlagsDefaultsAndWrittenRegistersByKind) {
    struct Case {
        int kind;
        bool voltage, current, alarms;
        std::uint16_t reg1;
        int written;
    };
    const Case cases[] = {
        {0, true, false, false, 0x2000, 3},
        {1, false, true, false, 0x2924, 3},
        {2, true, true, false, 0x2000, 3},
        {3, true, true, true, 0x2000, 19},
    };
    for (const Case& c : cases) {
        const AnalogRules rules(c.kind);
        EXPECT_EQ(rules.hasVoltageRanges(), c.voltage) << c.kind;
        EXPECT_EQ(rules.hasCurrentRanges(), c.current) << c.kind;
        EXPECT_EQ(rules.hasAlarms(), c.alarms) << c.kind;
        EXPECT_EQ(rules.word(0), c.reg1) << c.kind;
        EXPECT_EQ(rules.word(1), 0x2A92) << c.kind;
        EXPECT_EQ(rules.word(2), 0x8205) << c.kind;
        EXPECT_TRUE(rules.isWritten(c.written - 1)) << c.kind;
        EXPECT_FALSE(rules.isWritten(c.written)) << c.kind;
        EXPECT_FALSE(rules.isWritten(-1));
        // Every model resets its limits: DVM defaults, so -10..10 V or 0..20 mA.
        const std::uint16_t lo = c.voltage ? 0xD8F0 : 0x0000;
        const std::uint16_t hi = c.voltage ? 0x2710 : 0x07D0;
        for (int i = 3; i < 19; ++i) EXPECT_EQ(rules.word(i), (i % 2) ? lo : hi) << c.kind << " reg " << i;
        for (int i = 19; i < 24; ++i) EXPECT_EQ(rules.word(i), 0);
    }
}

TEST(AnalogRules, OtherModulesHaveNoAnalogFlags) {
    for (int kind : {-1, 4, 5, 6, 7, 8}) {
        const AnalogFlags f = analogFlags(kind);
        EXPECT_FALSE(f.hasVoltageRanges || f.hasCurrentRanges || f.hasAlarms) << kind;
    }
}

// Each write against the register arithmetic it must equal, from all ones and
// from all zeros, so a field in the wrong place or of the wrong width shows.
TEST(AnalogRules, FieldWritesReplaceOnlyTheirBits) {
    struct Case {
        const char* what;
        std::function<void(AnalogRules&)> write;
        int reg;
        std::uint16_t fromOnes, fromZeros;
    };
    const Case cases[] = {
        {"filter g1", [](AnalogRules& r) { r.setFilter(0, 1); }, 0, 0x9FFF, 0x1000},
        {"filter g2", [](AnalogRules& r) { r.setFilter(1, 1); }, 1, 0xFFF9, 0x0001},
        {"filter g3", [](AnalogRules& r) { r.setFilter(2, 1); }, 1, 0xFFCF, 0x0008},
        {"filter g4", [](AnalogRules& r) { r.setFilter(3, 1); }, 1, 0xFE7F, 0x0040},
        {"format g1", [](AnalogRules& r) { r.setFormat(0, 1); }, 1, 0xFBFF, 0x0200},
        {"format g2", [](AnalogRules& r) { r.setFormat(1, 1); }, 1, 0xEFFF, 0x0800},
        {"format g3", [](AnalogRules& r) { r.setFormat(2, 1); }, 1, 0xBFFF, 0x2000},
        {"format g4", [](AnalogRules& r) { r.setFormat(3, 1); }, 2, 0xFFFD, 0x0001},
        {"range g1", [](AnalogRules& r) { r.setRange(0, 5); }, 0, 0xFFFD, 0x0005},
        {"range g2", [](AnalogRules& r) { r.setRange(1, 5); }, 0, 0xFFEF, 0x0028},
        {"range g3", [](AnalogRules& r) { r.setRange(2, 5); }, 0, 0xFF7F, 0x0140},
        {"range g4", [](AnalogRules& r) { r.setRange(3, 5); }, 0, 0xFBFF, 0x0A00},
        {"acquisition g1", [](AnalogRules& r) { r.setAcquisition(0, 0); }, 2, 0xFFEF, 0x0000},
        {"acquisition g4", [](AnalogRules& r) { r.setAcquisition(3, 1); }, 2, 0xFFFF, 0x0080},
        {"calibration", [](AnalogRules& r) { r.setCalibration(1); }, 2, 0xFDFF, 0x0100},
        {"trigger", [](AnalogRules& r) { r.setTrigger(0); }, 2, 0xFFF7, 0x0000},
        {"trigger on", [](AnalogRules& r) { r.setTrigger(1); }, 2, 0xFFFF, 0x0008},
        {"timestamp Disabled", [](AnalogRules& r) { r.setTimestamp(0); }, 2, 0xFFFF, 0x0004},
        {"timestamp Enabled", [](AnalogRules& r) { r.setTimestamp(1); }, 2, 0xFFFB, 0x0000},
    };
    for (const Case& c : cases) {
        for (const std::uint16_t start : {std::uint16_t{0xFFFF}, std::uint16_t{0x0000}}) {
            AnalogRules rules(3);
            RegisterWords words{};
            words.fill(start);
            rules.load(words);
            c.write(rules);
            EXPECT_EQ(rules.word(c.reg), start ? c.fromOnes : c.fromZeros) << c.what;
            for (int i = 0; i < 3; ++i)
                if (i != c.reg) {
                    EXPECT_EQ(rules.word(i), start) << c.what << " touched register " << i;
                }
        }
    }
}

TEST(AnalogRules, NormalizeClearsReservedBitsAndKeepsReg1Bit14AndReg3Bit15) {
    struct Case {
        int kind;
        std::uint16_t reg1, reg2, reg3;
    };
    // All ones in: range codes 7 stay on the models that have both kinds of range.
    const Case cases[] = {
        {3, 0x7FFF, 0x7EDB, 0x83FF},
        {2, 0x7FFF, 0x7EDB, 0x83F7}, // no alarms: time stamping off, scrolling trigger
        {0, 0x7000, 0x7EDB, 0x83F7}, // range 7 is not a voltage range: becomes 0
    };
    for (const Case& c : cases) {
        AnalogRules rules(c.kind);
        RegisterWords words;
        words.fill(0xFFFF);
        rules.load(words);
        rules.normalize();
        EXPECT_EQ(rules.word(0), c.reg1) << c.kind;
        EXPECT_EQ(rules.word(1), c.reg2) << c.kind;
        EXPECT_EQ(rules.word(2), c.reg3) << c.kind;
    }
    AnalogRules rules(2);
    RegisterWords zeros{};
    rules.load(zeros);
    rules.normalize();
    EXPECT_EQ(rules.word(2), 0x0004);
}

TEST(AnalogRules, NormalizeReplacesRangesTheModelLacks) {
    struct Case {
        int kind, before, after;
    };
    const Case cases[] = {
        {1, 0, 4}, {1, 3, 4}, {1, 5, 5}, {1, 6, 6}, {0, 3, 3}, {0, 4, 0},
        {0, 5, 0}, {0, 7, 0}, {2, 6, 6}, {2, 7, 7}, {3, 6, 6},
    };
    for (const Case& c : cases) {
        AnalogRules rules(c.kind);
        rules.setWord(0, static_cast<std::uint16_t>(c.before << 6)); // Group3
        rules.normalize();
        EXPECT_EQ(rules.range(2), c.after) << "kind " << c.kind << " range " << c.before;
    }
}

TEST(AnalogRules, RangeAndFormatChangesCarryTheAlarmPairs) {
    AnalogRules rules(3);
    rules.setRange(1, 5); // -10..10 V "DVM" taken as mA: -10 below 4-20, 10 inside
    EXPECT_EQ(rules.word(7), 0x0190);
    EXPECT_EQ(rules.word(8), 0x03E8);
    rules.setFormat(1, 0); // 4 mA and 10 mA in the 16-bit row
    EXPECT_EQ(rules.word(7), 0x0000);
    EXPECT_EQ(rules.word(8), 24575);
    EXPECT_EQ(rules.word(3), 0xD8F0); // other groups untouched
    // The same code again converts nothing but still applies the limit rules.
    rules.setWord(9, 0xFFFF);
    rules.setWord(10, 0x0005);
    rules.setRange(1, 5);
    EXPECT_EQ(rules.word(9), 0x0000);
    EXPECT_EQ(rules.word(10), 0x0005);
    EXPECT_EQ(rules.word(8), 24575);
}

TEST(AnalogRules, StoreAndCheck) {
    AnalogRules rules(3);
    rules.setRange(0, 3); // 0-10 V DVM: 0 .. 10000
    rules.storeAndCheck(4, 11000);
    EXPECT_EQ(rules.word(4), 10000);
    rules.storeAndCheck(4, 3000); // below the pair's minimum 0: fine
    rules.storeAndCheck(3, 5000); // minimum above maximum
    EXPECT_EQ(rules.word(3), 0);
    // Index 19 and beyond store nothing but still normalize.
    rules.setWord(0, static_cast<std::uint16_t>(rules.word(0) | 0x8000));
    rules.storeAndCheck(19, 0x1234);
    EXPECT_EQ(rules.word(19), 0);
    EXPECT_EQ(rules.word(0) & 0x8000, 0);
    rules.storeAndCheck(-1, 0x1234);
    EXPECT_EQ(rules.word(23), 0);
}

TEST(AnalogRules, RangeListPositions) {
    struct Case {
        int kind, code, position;
    };
    const Case cases[] = {
        {0, 0, 0},  {0, 3, 3}, {0, 4, -1}, {0, 6, -1}, {1, 0, -1}, {1, 3, -1}, {1, 4, 0},   {1, 5, 1},
        {1, 6, -1}, {2, 4, 4}, {2, 5, 5},  {2, 6, -1}, {3, 4, 4},  {3, 7, -1}, {3, -1, -1},
    };
    for (const Case& c : cases) {
        const AnalogRules rules(c.kind);
        EXPECT_EQ(rules.rangeListPosition(c.code), c.position) << c.kind << " code " << c.code;
        if (c.position >= 0) {
            EXPECT_EQ(rules.rangeCodeAt(c.position), c.code);
        }
    }
    EXPECT_EQ(AnalogRules(1).rangeListSize(), 2);
    EXPECT_EQ(AnalogRules(1).rangeCodeAt(2), -1);
    EXPECT_EQ(AnalogRules(0).rangeListSize(), 4);
    EXPECT_EQ(AnalogRules(3).rangeListSize(), 6);
}

TEST(AnalogRules, TraceRecordsEachLimitRuleThatChangedAWord) {
    std::vector<AlarmWordEffect> trace;
    AnalogRules rules(3);
    rules.setTrace(&trace);
    rules.setRange(0, 1); // -10..10 V DVM to 1..5 V DVM
    ASSERT_EQ(trace.size(), 4u);
    EXPECT_EQ(trace[0].reg, 3);
    EXPECT_EQ(trace[0].before, 0xD8F0);
    EXPECT_EQ(trace[0].after, 0x03E8);
    EXPECT_EQ(trace[0].rule,
              "rescaled from the range \"-10V to +10V\" to \"1V to 5V\", then raised to the lowest "
              "count of the span");
    EXPECT_EQ(trace[1].rule, "lowered to the highest count of the span") << "10 V is the same word in both";

    trace.clear();
    rules.storeAndCheck(4, 0x0100); // a maximum below the span
    ASSERT_EQ(trace.size(), 2u);
    EXPECT_EQ(trace[0].rule, "") << "the store itself";
    EXPECT_EQ(trace[1].rule, "raised to the lowest count of the span");

    // A copy records into no one's trace: it may outlive the owner of this one.
    AnalogRules copy = rules;
    trace.clear();
    copy.setRange(1, 3);
    EXPECT_TRUE(trace.empty());
    rules.setRange(1, 3);
    EXPECT_FALSE(trace.empty());
}

} // namespace
} // namespace velmora
