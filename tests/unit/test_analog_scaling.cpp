#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "modules/analog_scaling.h"

namespace velmora {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(AnalogScaling, SignedCountsOnlyForTheBipolarDvmAnd15BitRows) {
    for (int range = 0; range < 8; ++range)
        for (int format = 0; format < 4; ++format)
            EXPECT_EQ(isSignedCounts(range, format), range == 0 && (format == 1 || format == 3))
                << range << "/" << format;
}

TEST(AnalogScaling, CountsToUnits) {
    struct Case {
        int range, format;
        std::uint16_t word;
        double units;
    };
    const Case cases[] = {
        {0, 0, 0x0000, -10.0},
        {0, 0, 0xFFFF, 10.0},
        {0, 1, 0xD8F0, -10.0},
        {0, 1, 0x2710, 10.0},
        {0, 1, 0x8000, -10.0}, // below span
        {0, 3, 0x8000, -10.000152590218967},
        {0, 3, 0x7FFF, 9.999847409781033},
        {1, 1, 0x0000, 1.0},
        {1, 1, 0x03E8, 1.0},
        {1, 1, 0xFFFF, 5.0},
        {3, 0, 12345, 1.8837262531471732},
        {5, 1, 0x0190, 4.0},
        {5, 1, 1234, 12.34},
        {5, 1, 3000, 20.0}, // above span
        {5, 0, 0, 4.0},
        {4, 2, 4095, 20.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(countsToUnits(c.range, c.format, c.word), c.units, 1e-9)
            << c.range << "/" << c.format << " word " << c.word;
    EXPECT_TRUE(std::isnan(countsToUnits(6, 1, 100)));
    EXPECT_TRUE(std::isnan(countsToUnits(5, 4, 100)));
}

TEST(AnalogScaling, UnitsToCountsTruncatesAndSaturates) {
    struct Case {
        int range, format;
        double value;
        std::uint16_t word;
    };
    const Case cases[] = {
        {5, 1, 12.345, 1234},                        // truncated toward zero
        {0, 3, -10.0, 0x8001},                       // -32767.5 truncated toward zero
        {0, 1, -10.0, 0xD8F0},  {3, 1, 11.0, 11000}, // beyond the span: left to the limit rules
        {3, 1, 70.0, 0xFFFF},                        // 70000 would wrap to 4464
        {3, 0, 1e300, 0xFFFF},  {3, 0, -1e300, 0x0000},
        {0, 1, 100.0, 0x7FFF},                         // signed rows saturate at 32767 ...
        {0, 1, -100.0, 0x8000},                        // ... and -32768
        {5, 1, -10.0, 0x0000},                         // unsigned rows never go below 0
        {5, 1, kNaN, 0x0000},                          // not finite: 0 mA
        {3, 1, kInf, 0xFFFF},   {0, 1, -kInf, 0x8000}, // infinities saturate
        {0, 0, kNaN, 0x7FFF},                          // 0 V in the offset 16-bit row
        {6, 0, 5.0, 0x0000},                           // no row
    };
    for (const Case& c : cases)
        EXPECT_EQ(unitsToCounts(c.range, c.format, c.value), c.word)
            << c.range << "/" << c.format << " value " << c.value;
}

RegisterWords withGroup(int group, std::uint16_t min1, std::uint16_t max1, std::uint16_t min2,
                        std::uint16_t max2) {
    RegisterWords regs;
    regs.fill(0x5A5A);
    const auto r = alarmPairRegisters(group);
    regs[r[0]] = min1;
    regs[r[1]] = max1;
    regs[r[2]] = min2;
    regs[r[3]] = max2;
    return regs;
}

void expectOnlyGroupChanged(const RegisterWords& regs, int group) {
    const auto r = alarmPairRegisters(group);
    for (int i = 0; i < 24; ++i)
        if (i < r[0] || i > r[3]) {
            EXPECT_EQ(regs[i], 0x5A5A) << "register " << i;
        }
}

TEST(AnalogScaling, ResetLimitsGivesTheFullSpanOfEveryRow) {
    for (int range = 0; range < kAnalogRangeCodes; ++range)
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            const int group = (range + format) % 4;
            RegisterWords regs = withGroup(group, 1, 2, 3, 4);
            resetLimits(regs, group, range, format);
            const auto r = alarmPairRegisters(group);
            const auto lo = static_cast<std::uint16_t>(static_cast<int>(row.countsLow) & 0xFFFF);
            const auto hi = static_cast<std::uint16_t>(row.countsHigh);
            EXPECT_EQ(regs[r[0]], lo);
            EXPECT_EQ(regs[r[1]], hi);
            EXPECT_EQ(regs[r[2]], lo);
            EXPECT_EQ(regs[r[3]], hi);
            expectOnlyGroupChanged(regs, group);
        }
    RegisterWords untouched = withGroup(2, 1, 2, 3, 4);
    resetLimits(untouched, 2, 7, 1);
    EXPECT_EQ(untouched, withGroup(2, 1, 2, 3, 4));
}

TEST(AnalogScaling, ClampLimits) {
    struct Case {
        int range, format;
        std::uint16_t min, max, wantMin, wantMax;
    };
    const Case cases[] = {
        {5, 1, 1000, 500, 400, 500},     // minimum above maximum
        {5, 1, 50, 100, 400, 400},       // a maximum below the span is raised too
        {5, 1, 500, 1500, 500, 1500},    // inside: unchanged
        {5, 1, 0xFC18, 1000, 400, 1000}, // 64536 read unsigned
        {0, 1, 0x8000, 0x7FFF, 0xD8F0, 0x2710},
        {0, 1, 0xD8F0, 0xD000, 0xD8F0, 0xD8F0}, // signed maximum below -10000
        {3, 1, 6000, 3000, 0, 3000},
        {3, 1, 12000, 20000, 0, 10000}, // minimum above the span, maximum lowered to hi
        {3, 1, 20000, 15000, 0, 10000},
        {1, 1, 0, 0, 1000, 1000},
    };
    for (const Case& c : cases) {
        RegisterWords regs = withGroup(1, c.min, c.max, c.min, c.max);
        clampLimits(regs, 1, c.range, c.format);
        EXPECT_EQ(regs[7], c.wantMin) << c.range << "/" << c.format << " " << c.min << "," << c.max;
        EXPECT_EQ(regs[8], c.wantMax) << c.range << "/" << c.format << " " << c.min << "," << c.max;
        EXPECT_EQ(regs[9], c.wantMin);
        EXPECT_EQ(regs[10], c.wantMax);
        expectOnlyGroupChanged(regs, 1);
    }
}

TEST(AnalogScaling, ClampLimitsIsIdempotentAndKeepsEveryPairOrderedInsideItsSpan) {
    const std::uint16_t words[] = {0,     1,     400,    999,    1000,   2000,   4095,   5000,
                                   10000, 32767, 0x8000, 0x8001, 0xD8F0, 0xD8EF, 0xFC18, 0xFFFF};
    for (int range = 0; range < kAnalogRangeCodes; ++range)
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            const bool isSigned = isSignedCounts(range, format);
            const auto value = [&](std::uint16_t w) {
                return isSigned ? static_cast<long>(static_cast<std::int16_t>(w)) : static_cast<long>(w);
            };
            for (std::uint16_t m : words)
                for (std::uint16_t M : words) {
                    RegisterWords once = withGroup(3, m, M, M, m);
                    clampLimits(once, 3, range, format);
                    RegisterWords twice = once;
                    clampLimits(twice, 3, range, format);
                    ASSERT_EQ(once, twice) << range << "/" << format << " " << m << "," << M;
                    for (int pair = 0; pair < 2; ++pair) {
                        const long lo = value(once[15 + 2 * pair]);
                        const long hi = value(once[16 + 2 * pair]);
                        ASSERT_GE(lo, static_cast<long>(row.countsLow));
                        ASSERT_LE(lo, hi);
                        ASSERT_LE(hi, static_cast<long>(row.countsHigh));
                    }
                }
        }
}

TEST(AnalogScaling, ClampLimitsWithoutAScalingRowChangesNothing) {
    for (int range : {6, 7}) {
        RegisterWords regs = withGroup(0, 0xFFFF, 0, 0x1234, 0x0001);
        clampLimits(regs, 0, range, 1);
        EXPECT_EQ(regs, withGroup(0, 0xFFFF, 0, 0x1234, 0x0001));
    }
}

TEST(AnalogScaling, RescaleLimitsKeepsEngineeringValues) {
    struct Case {
        int fromRange, fromFormat, toRange, toFormat;
        std::uint16_t min, max, wantMin, wantMax;
    };
    const Case cases[] = {
        {0, 1, 0, 0, 0xD8F0, 0x2710, 0x0000, 0xFFFF},
        {0, 1, 5, 1, 0xD8F0, 0x2710, 0x0190, 0x03E8},
        {0, 1, 1, 1, 0xD8F0, 0x2710, 0x03E8, 0x1388},
        {4, 1, 5, 1, 0, 2000, 0x0190, 0x07D0},
        {5, 1, 3, 1, 0x0190, 0x07D0, 4000, 10000}, // 4-20 "mA" as 4-20 V, held to 10 V
        {3, 1, 3, 3, 5000, 10000, 16383, 32767},
        {6, 1, 5, 1, 1000, 500, 400, 500},  // no old row: words kept, new rules applied
        {5, 1, 7, 1, 1000, 500, 1000, 500}, // no new row: nothing to do
    };
    for (const Case& c : cases) {
        RegisterWords regs = withGroup(2, c.min, c.max, c.min, c.max);
        rescaleLimits(regs, 2, c.fromRange, c.fromFormat, c.toRange, c.toFormat);
        const std::string where = std::to_string(c.fromRange) + "/" + std::to_string(c.fromFormat) + " -> " +
                                  std::to_string(c.toRange) + "/" + std::to_string(c.toFormat);
        EXPECT_EQ(regs[11], c.wantMin) << where;
        EXPECT_EQ(regs[12], c.wantMax) << where;
        EXPECT_EQ(regs[13], c.wantMin) << where;
        EXPECT_EQ(regs[14], c.wantMax) << where;
        expectOnlyGroupChanged(regs, 2);
    }
}

} // namespace
} // namespace velmora
