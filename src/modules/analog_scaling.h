#pragma once
// Counts <-> engineering units for the analog input modules, and the rules that
// keep each alarm pair (minimum, maximum) inside the count span of its group's
// range and format. Pure functions of codes and register words.

#include <array>
#include <cstdint>

#include "modules/register_fields.h"

namespace velmora {

inline constexpr int kAnalogRangeCodes = 6; // codes 0-5 have a row; 6 and 7 do not
inline constexpr int kAnalogFormatCodes = 4;
inline constexpr int kAnalogGroups = 4;
inline constexpr int kAlarmSetpoints = 16; // Reg4 to Reg19
inline constexpr int kFirstSetpointRegister = 3;

struct AnalogScaleRow {
    double offset;
    double unitsLow;
    double unitsHigh;
    double countsLow;
    double countsHigh;

    constexpr double scale() const { return (unitsHigh - unitsLow) / (countsHigh - countsLow); }
};

// Row (range * 4 + format). Volts for the voltage ranges, milliamps for the
// current ranges; "DVM" counts thousandths of a volt or hundredths of a milliamp.
// clang-format off
inline constexpr std::array<AnalogScaleRow, kAnalogRangeCodes * kAnalogFormatCodes> AnalogScaleTable{{
    {-10, -10, 10,      0, 65535}, {0, -10, 10, -10000, 10000},
    {-10, -10, 10,      0,  4095}, {0, -10, 10, -32768, 32767},
    {  1,   1,  5,      0, 65535}, {0,   1,  5,   1000,  5000},
    {  1,   1,  5,      0,  4095}, {1,   1,  5,      0, 32767},
    {  0,   0,  5,      0, 65535}, {0,   0,  5,      0,  5000},
    {  0,   0,  5,      0,  4095}, {0,   0,  5,      0, 32767},
    {  0,   0, 10,      0, 65535}, {0,   0, 10,      0, 10000},
    {  0,   0, 10,      0,  4095}, {0,   0, 10,      0, 32767},
    {  0,   0, 20,      0, 65535}, {0,   0, 20,      0,  2000},
    {  0,   0, 20,      0,  4095}, {0,   0, 20,      0, 32767},
    {  4,   4, 20,      0, 65535}, {0,   4, 20,    400,  2000},
    {  4,   4, 20,      0,  4095}, {4,   4, 20,      0, 32767},
}};
// clang-format on

// The row of (range, format); null for codes without one (range 6 and 7 are
// possible in words read from a host).
const AnalogScaleRow* analogScaleRow(int range, int format);

// Only the rows whose span starts below zero count in signed 16-bit words.
bool isSignedCounts(int range, int format);

// The word in units, the count held to at most countsHigh and reported no lower
// than countsLow. NaN when (range, format) has no row.
double countsToUnits(int range, int format, std::uint16_t word);

// The value as a count, truncated toward zero and held to the row's word range
// (-32768..32767 for signed rows, 0..65535 otherwise) so it never wraps; an
// infinity is held there too. NaN counts as 0. 0 when (range, format) has no row.
std::uint16_t unitsToCounts(int range, int format, double value);

// The register indexes of a group's alarm pairs: {min, max} of the first pair,
// then of the second.
constexpr std::array<int, 4> alarmPairRegisters(int group) {
    const int base = kFirstSetpointRegister + 4 * group;
    return {base, base + 1, base + 2, base + 3};
}

// The group operations change only the group's four alarm words, and do
// nothing for a group (or a side of a change) without a scaling row.
void resetLimits(RegisterWords& regs, int group, int range, int format);
// After it: lo <= maximum <= hi and lo <= minimum <= maximum for both pairs;
// applying it again changes nothing.
void clampLimits(RegisterWords& regs, int group, int range, int format);
// Each setpoint keeps its engineering value as far as the new span holds it.
void rescaleLimits(RegisterWords& regs, int group, int oldRange, int oldFormat, int newRange, int newFormat);

} // namespace velmora
