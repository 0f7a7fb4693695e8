#include "modules/analog_scaling.h"

#include <cmath>
#include <limits>

namespace velmora {

namespace {

// The count as a word; signed values are stored in two's complement.
std::uint16_t toWord(long count) {
    return static_cast<std::uint16_t>(count & 0xFFFF);
}

long wordValue(std::uint16_t word, bool isSigned) {
    return isSigned ? static_cast<long>(static_cast<std::int16_t>(word)) : static_cast<long>(word);
}

bool validGroup(int group) {
    return group >= 0 && group < kAnalogGroups;
}

} // namespace

const AnalogScaleRow* analogScaleRow(int range, int format) {
    if (range < 0 || range >= kAnalogRangeCodes || format < 0 || format >= kAnalogFormatCodes) return nullptr;
    return &AnalogScaleTable[static_cast<std::size_t>(range * kAnalogFormatCodes + format)];
}

bool isSignedCounts(int range, int format) {
    return range == 0 && (format == 1 || format == 3);
}

double countsToUnits(int range, int format, std::uint16_t word) {
    const AnalogScaleRow* row = analogScaleRow(range, format);
    if (!row) return std::numeric_limits<double>::quiet_NaN();
    double v = static_cast<double>(wordValue(word, isSignedCounts(range, format)));
    if (v < row->countsLow) return row->countsLow * row->scale() + row->offset;
    if (v > row->countsHigh) v = row->countsHigh;
    return v * row->scale() + row->offset;
}

std::uint16_t unitsToCounts(int range, int format, double value) {
    const AnalogScaleRow* row = analogScaleRow(range, format);
    if (!row) return 0;
    // Only a text that is no number counts as 0; an infinity lies beyond the
    // span like any other huge value and saturates below.
    if (std::isnan(value)) value = 0.0;
    double n = (value - row->offset) / row->scale();
    // A quotient a rounding error away from a whole count is that count: 2.001 V
    // at 0.001 V a count divides to 2000.9999999999998, and truncating that
    // would lose a count on every trip of a word through units.
    const double whole = std::round(n);
    n = std::fabs(n - whole) < 1e-6 ? whole : std::trunc(n);
    // A wrapped count would land far from what was typed (70 V stored as
    // 4.464 V); the nearest word is the sound reading.
    const bool isSigned = isSignedCounts(range, format);
    const double low = isSigned ? -32768.0 : 0.0;
    const double high = isSigned ? 32767.0 : 65535.0;
    if (!(n >= low)) n = low;
    if (n > high) n = high;
    return toWord(static_cast<long>(n));
}

void resetLimits(RegisterWords& regs, int group, int range, int format) {
    const AnalogScaleRow* row = analogScaleRow(range, format);
    if (!row || !validGroup(group)) return;
    const auto r = alarmPairRegisters(group);
    for (int pair = 0; pair < 2; ++pair) {
        regs[static_cast<std::size_t>(r[2 * pair])] = toWord(static_cast<long>(row->countsLow));
        regs[static_cast<std::size_t>(r[2 * pair + 1])] = toWord(static_cast<long>(row->countsHigh));
    }
}

void clampLimits(RegisterWords& regs, int group, int range, int format) {
    const AnalogScaleRow* row = analogScaleRow(range, format);
    if (!row || !validGroup(group)) return;
    const bool isSigned = isSignedCounts(range, format);
    const long lo = static_cast<long>(row->countsLow);
    const long hi = static_cast<long>(row->countsHigh);
    const auto r = alarmPairRegisters(group);
    for (int pair = 0; pair < 2; ++pair) {
        std::uint16_t& minWord = regs[static_cast<std::size_t>(r[2 * pair])];
        std::uint16_t& maxWord = regs[static_cast<std::size_t>(r[2 * pair + 1])];
        long m = wordValue(minWord, isSigned);
        long M = wordValue(maxWord, isSigned);
        // Maximum first, so the minimum is judged against the corrected maximum:
        // that is what makes a second application change nothing.
        if (M < lo) M = lo;
        if (M > hi) M = hi;
        if (m < lo) m = lo;
        if (m > M) m = lo;
        minWord = toWord(m);
        maxWord = toWord(M);
    }
}

void rescaleLimits(RegisterWords& regs, int group, int oldRange, int oldFormat, int newRange, int newFormat) {
    if (!validGroup(group)) return;
    if (analogScaleRow(oldRange, oldFormat) && analogScaleRow(newRange, newFormat)) {
        for (int reg : alarmPairRegisters(group)) {
            std::uint16_t& word = regs[static_cast<std::size_t>(reg)];
            word = unitsToCounts(newRange, newFormat, countsToUnits(oldRange, oldFormat, word));
        }
    }
    clampLimits(regs, group, newRange, newFormat);
}

} // namespace velmora
