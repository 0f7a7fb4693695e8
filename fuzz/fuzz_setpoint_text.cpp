// Typed alarm setpoints: any text reads without a crash and as the C library's
// strtod reads its decimal numbers; a shown value reads back within the three
// decimals it is shown with; counts and units convert into each row's span for
// every double (NaN and infinities included), and a word in its row's span
// survives the trip through units and, for the "DVM" rows, through the text the
// alarm dialog shows. The alarm editor, fed any words and any typed text, keeps
// every pair in its span, shows what it stores, changes no shown value and no
// "DVM" setpoint when nothing was typed, and restores everything on Cancel.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "modules/alarm_setpoints.h"
#include "modules/analog_rules.h"
#include "modules/analog_scaling.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// strtod reads hexadecimal, "inf" and "nan" as well; the setpoint reader reads
// those as 0 (or as the "0" before an "x").
double referenceParse(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    std::size_t j = i;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j == text.size()) return 0.0;
    const bool negative = text[i] == '-';
    if (text[j] == '0' && j + 1 < text.size() && (text[j + 1] == 'x' || text[j + 1] == 'X'))
        return negative ? -0.0 : 0.0;
    if (!(text[j] >= '0' && text[j] <= '9') && text[j] != '.') return 0.0;
    return std::strtod(text.c_str(), nullptr);
}

bool sameDouble(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

void checkShownValue(double value) {
    if (!std::isfinite(value)) return;
    const std::string shown = alarmUnitsText(value);
    require(isWellFormedSetpointText(shown), "a shown value is a well-formed setpoint");
    const double back = parseSetpointText(shown);
    // Half a thousandth from "%.3f", and the double's own rounding of large values.
    require(std::fabs(back - value) <= 0.0005 + std::fabs(value) * 4e-16,
            "a shown value reads back within its three decimals");
}

long countOf(int range, int format, std::uint16_t word) {
    return isSignedCounts(range, format) ? static_cast<std::int16_t>(word) : word;
}

void checkRow(int range, int format, double value, std::uint16_t word) {
    const AnalogScaleRow* row = analogScaleRow(range, format);
    const std::uint16_t counts = unitsToCounts(range, format, value);
    if (!row) {
        require(counts == 0, "no row: 0 counts");
        require(std::isnan(countsToUnits(range, format, word)), "no row: no units");
        return;
    }
    if (std::isnan(value)) require(counts == unitsToCounts(range, format, 0.0), "NaN counts as 0");
    if (std::isinf(value))
        require(counts == unitsToCounts(range, format, value > 0 ? 1e300 : -1e300),
                "an infinity saturates like any value beyond the span");

    const double low =
        countsToUnits(range, format, static_cast<std::uint16_t>(static_cast<long>(row->countsLow) & 0xFFFF));
    const double high = countsToUnits(range, format, static_cast<std::uint16_t>(row->countsHigh));
    const double units = countsToUnits(range, format, word);
    require(units >= low && units <= high, "units of any word lie in the row's span");

    if (std::isfinite(value) && value >= low && value <= high) {
        // Truncation loses less than one count.
        const double back = countsToUnits(range, format, counts);
        require(std::fabs(back - value) <= row->scale() * (1 + 1e-9),
                "units to counts and back stay within one count");
    }

    const long count = countOf(range, format, word);
    if (count < row->countsLow || count > row->countsHigh) return;
    require(unitsToCounts(range, format, units) == word,
            "a word in the span survives the trip through units");
    if (format == 1) {
        // A "DVM" count is a thousandth of a volt or a hundredth of a milliamp:
        // the three decimals shown hold it exactly.
        require(unitsToCounts(range, format, parseSetpointText(alarmUnitsText(units))) == word,
                "a DVM word survives the trip through its shown text");
    }
}

void checkMonotonic(int range, int format, double a, double b) {
    if (!analogScaleRow(range, format) || std::isnan(a) || std::isnan(b)) return;
    if (a > b) std::swap(a, b);
    require(countOf(range, format, unitsToCounts(range, format, a)) <=
                countOf(range, format, unitsToCounts(range, format, b)),
            "a larger value never gives fewer counts");
}

bool isDvmGroup(const AnalogRules& rules, int group) {
    return analogScaleRow(rules.range(group), rules.format(group)) && rules.format(group) == 1;
}

std::array<std::string, kAlarmSetpoints> shownValues(const AlarmEditor& editor) {
    std::array<std::string, kAlarmSetpoints> values;
    for (int s = 0; s < kAlarmSetpoints; ++s) values[static_cast<std::size_t>(s)] = editor.fields(s).value;
    return values;
}

std::array<std::uint16_t, kAlarmSetpoints> dvmSetpoints(const AnalogRules& rules) {
    std::array<std::uint16_t, kAlarmSetpoints> words{};
    for (int s = 0; s < kAlarmSetpoints; ++s)
        if (isDvmGroup(rules, alarmSetpointGroup(s)))
            words[static_cast<std::size_t>(s)] = rules.word(alarmSetpointRegister(s));
    return words;
}

void checkEditorState(const AnalogRules& rules, const AlarmEditor& editor) {
    for (int s = 0; s < kAlarmSetpoints; ++s) {
        const int g = alarmSetpointGroup(s);
        const int r = rules.range(g);
        const int f = rules.format(g);
        const std::uint16_t w = rules.word(alarmSetpointRegister(s));
        const AlarmEditor::Fields& shown = editor.fields(s);
        require(shown.hex == wordText(w), "the hex field shows the stored word");
        if (!editor.isScaled(s)) {
            require(shown.value.empty(), "no units for a group without scaling");
            continue;
        }
        require(shown.value == alarmUnitsText(countsToUnits(r, f, w)),
                "the value field shows the stored word");
        if (s % 2 == 0) continue;
        const AnalogScaleRow& row = *analogScaleRow(r, f);
        const long minimum = countOf(r, f, rules.word(alarmSetpointRegister(s - 1)));
        const long maximum = countOf(r, f, w);
        require(row.countsLow <= minimum && minimum <= maximum && maximum <= row.countsHigh,
                "every pair lies in its span, minimum first");
    }
}

void checkEditor(FuzzedDataProvider& provider, const std::string& typed) {
    AnalogRules rules(3);
    RegisterWords words = rules.words();
    for (std::size_t i = 0; i < 19; ++i) words[i] = provider.ConsumeIntegral<std::uint16_t>();
    rules.load(words);
    rules.storeAndCheck(-1, 0); // the words as the module dialog hands them over
    const RegisterWords opened = rules.words();

    AlarmEditor editor(rules);
    const auto dvmBefore = dvmSetpoints(rules);
    const auto shownBefore = shownValues(editor);
    editor.focusLost();
    require(dvmSetpoints(rules) == dvmBefore, "a focus loss alone changes no DVM setpoint");
    require(shownValues(editor) == shownBefore, "a focus loss alone changes no shown value");
    checkEditorState(rules, editor);

    editor.type(provider.ConsumeIntegralInRange(0, kAlarmSetpoints - 1), typed);
    editor.focusLost();
    checkEditorState(rules, editor);
    const auto dvmTyped = dvmSetpoints(rules);
    const auto shownTyped = shownValues(editor);
    editor.focusLost();
    require(dvmSetpoints(rules) == dvmTyped, "a second focus loss changes no DVM setpoint");
    require(shownValues(editor) == shownTyped, "a second focus loss changes no shown value");

    editor.cancel();
    for (int i = 0; i < 19; ++i)
        require(rules.word(i) == opened[static_cast<std::size_t>(i)], "Cancel restores Reg1-Reg19");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text(velmora::fuzz::asText(data, size));
    const double typed = parseSetpointText(text);
    require(sameDouble(typed, referenceParse(text)), "the setpoint reader reads as strtod");
    const bool wellFormed = isWellFormedSetpointText(text);
    if (wellFormed) require(!std::isnan(typed), "a well-formed setpoint is a number");

    FuzzedDataProvider provider(data, size);
    double raw = 0.0;
    const auto bits = provider.ConsumeIntegral<std::uint64_t>();
    std::memcpy(&raw, &bits, sizeof raw);
    const auto word = provider.ConsumeIntegral<std::uint16_t>();

    checkShownValue(typed);
    checkShownValue(raw);
    for (int range = -1; range <= 7; ++range) {
        for (int format = -1; format <= 4; ++format) {
            checkRow(range, format, typed, word);
            checkRow(range, format, raw, word);
            checkMonotonic(range, format, typed, raw);
        }
    }
    checkEditor(provider, text);
    return 0;
}
