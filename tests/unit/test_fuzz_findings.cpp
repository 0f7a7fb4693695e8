// Faults the fuzz targets under fuzz/ found, each pinned by the input that
// showed it.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "hostlink/window_description.h"
#include "modules/alarm_setpoints.h"
#include "modules/analog_rules.h"
#include "modules/analog_scaling.h"

namespace velmora {
namespace {

// A quotient a rounding error short of a whole count was truncated to the
// count below: 2.001 V at 0.001 V a count is 2000.9999999999998.
TEST(FuzzFindings, EveryWordInItsSpanSurvivesTheTripThroughUnits) {
    for (int range = 0; range < kAnalogRangeCodes; ++range) {
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            int lost = 0;
            for (long count = static_cast<long>(row.countsLow); count <= row.countsHigh; ++count) {
                const auto word = static_cast<std::uint16_t>(count & 0xFFFF);
                if (unitsToCounts(range, format, countsToUnits(range, format, word)) != word) ++lost;
            }
            EXPECT_EQ(lost, 0) << "range " << range << " format " << format;
        }
    }
}

TEST(FuzzFindings, TypedDvmValuesKeepTheirLastDigit) {
    struct Case {
        int range;
        const char* typed;
        std::uint16_t word;
    };
    const Case cases[] = {
        {1, "2.001", 2001},  {3, "4.01", 4010}, {0, "-8.19", 0xE002}, // -8190
        {5, "4.1", 410},     {4, "0.29", 29},   {4, "0.58", 58},
        {5, "12.345", 1234}, // a real fraction of a count is still truncated
    };
    for (const Case& c : cases)
        EXPECT_EQ(unitsToCounts(c.range, 1, parseSetpointText(c.typed)), c.word) << c.typed;
}

TEST(FuzzFindings, RescalingBetweenDvmRowsOfOneScaleKeepsTheCount) {
    RegisterWords regs{};
    const auto r = alarmPairRegisters(0);
    regs[r[0]] = 2001;
    regs[r[1]] = 4009;
    regs[r[2]] = 2005;
    regs[r[3]] = 5000;
    rescaleLimits(regs, 0, 1, 1, 2, 1); // 1/5v DVM to 0/5v DVM: both a thousandth of a volt
    EXPECT_EQ(regs[r[0]], 2001);
    EXPECT_EQ(regs[r[1]], 4009);
    EXPECT_EQ(regs[r[2]], 2005);
    EXPECT_EQ(regs[r[3]], 5000);
}

TEST(FuzzFindings, FocusLossLeavesAnUntouchedDvmSetpointAlone) {
    AnalogRules rules(3);
    rules.setRange(0, 5);  // 4/20ma
    rules.setFormat(0, 1); // DVM, hundredths of a milliamp
    rules.resetLimits(0);
    rules.setWord(alarmSetpointRegister(1), 410); // 4.1 mA
    AlarmEditor editor(rules);
    EXPECT_EQ(editor.fields(1).value, "4.100");
    editor.focusLost();
    EXPECT_EQ(rules.word(alarmSetpointRegister(1)), 410);
    EXPECT_EQ(editor.fields(1).value, "4.100");
}

// The key of a "REG_" line carries the two bytes after it, and the checker
// printed them raw: an escape sequence in the file reached the terminal.
TEST(FuzzFindings, DescribedKeysCarryNoRawControlBytes) {
    std::istringstream in(std::string("REG_\x1b[ = 3\nREG_\xff\xfd = 1\n", 22));
    const WindowDescription d = checkWindowDescription(in);
    std::string shown;
    for (const LineReport& line : d.lines) shown += describeLine(line);
    for (char c : shown)
        EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << static_cast<int>(static_cast<unsigned char>(c));
    EXPECT_NE(shown.find("REG_\\x1b["), std::string::npos) << shown;
    EXPECT_NE(shown.find("REG_\\xff\\xfd"), std::string::npos) << shown;
}

} // namespace
} // namespace velmora
