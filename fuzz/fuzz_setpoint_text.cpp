// Typed alarm setpoints: any text reads without a crash and as strtod reads a
// decimal number; a shown value reads back within its three decimals; units of
// any word lie in the row's span, and a "DVM" word survives the trip through
// its shown text. The alarm editor, fed any words and any typed text, keeps
// every pair in its span, shows the same after a second focus loss, and restores
// everything on Cancel.

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_check.h"
#include "modules/alarm_setpoints.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

// strtod also reads hexadecimal, "inf" and "nan", which the setpoint reader
// takes for 0 (or for the "0" before an "x").
double referenceParse(const std::string& text) {
    std::size_t j = text.find_first_not_of(" \t\n\v\f\r");
    if (j != std::string::npos && (text[j] == '+' || text[j] == '-')) ++j;
    if (j >= text.size() || !(std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.'))
        return 0.0;
    if (text[j] == '0' && j + 1 < text.size() && (text[j + 1] == 'x' || text[j + 1] == 'X')) return 0.0;
    return std::strtod(text.c_str(), nullptr);
}

long countOf(int range, int format, std::uint16_t word) {
    return isSignedCounts(range, format) ? static_cast<std::int16_t>(word) : word;
}

// The shown values, after checking that every pair lies in its span.
std::string checkPairs(const AnalogRules& rules, const AlarmEditor& editor) {
    std::string values;
    for (int s = 0; s < kAlarmSetpoints; ++s) {
        values += editor.fields(s).value + "|";
        const int r = rules.range(alarmSetpointGroup(s)), f = rules.format(alarmSetpointGroup(s));
        if (s % 2 == 0 || !editor.isScaled(s)) continue;
        const long minimum = countOf(r, f, rules.word(alarmSetpointRegister(s - 1)));
        const long maximum = countOf(r, f, rules.word(alarmSetpointRegister(s)));
        require(analogScaleRow(r, f)->countsLow <= minimum && minimum <= maximum &&
                    maximum <= analogScaleRow(r, f)->countsHigh,
                "every pair lies in its span, minimum first");
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string text(velmora::fuzz::asText(data, size));
    const double typed = parseSetpointText(text), reference = referenceParse(text);
    require(typed == reference || (std::isnan(typed) && std::isnan(reference)),
            "the setpoint reader reads as strtod");
    require(!isWellFormedSetpointText(text) || !std::isnan(typed), "a well-formed setpoint is a number");
    if (std::isfinite(typed))
        require(std::fabs(parseSetpointText(alarmUnitsText(typed)) - typed) <=
                    0.0005 + std::fabs(typed) * 4e-16,
                "a shown value reads back within its three decimals");

    FuzzedDataProvider provider(data, size);
    const auto word = provider.ConsumeIntegral<std::uint16_t>();
    for (int range = 0; range < kAnalogRangeCodes; ++range)
        for (int format = 0; format < kAnalogFormatCodes; ++format) {
            const AnalogScaleRow& row = *analogScaleRow(range, format);
            const auto units = [&](long count) {
                return countsToUnits(range, format, static_cast<std::uint16_t>(count));
            };
            const double u = units(word);
            require(u >= units(static_cast<long>(row.countsLow)) &&
                        u <= units(static_cast<long>(row.countsHigh)),
                    "units of any word lie in the row's span");
            const long count = countOf(range, format, word);
            require(format != 1 || count < row.countsLow || count > row.countsHigh ||
                        unitsToCounts(range, format, parseSetpointText(alarmUnitsText(u))) == word,
                    "a DVM word survives the trip through its shown text");
        }

    AnalogRules rules(3);
    RegisterWords words = rules.words();
    for (std::size_t i = 0; i < 19; ++i) words[i] = provider.ConsumeIntegral<std::uint16_t>();
    rules.load(words);
    rules.storeAndCheck(-1, 0); // the words as the module dialog hands them over
    const RegisterWords opened = rules.words();
    AlarmEditor editor(rules);
    std::string shown;
    for (int s = 0; s < kAlarmSetpoints; ++s) shown += editor.fields(s).value + "|";
    editor.focusLost();
    require(checkPairs(rules, editor) == shown, "a focus loss alone changes no shown value");
    editor.type(provider.ConsumeIntegralInRange(0, kAlarmSetpoints - 1), text);
    editor.focusLost();
    const std::string typedIn = checkPairs(rules, editor);
    editor.focusLost();
    // Not the words: a typed value that saturates at the bottom of a signed
    // row (0x8000) can settle one count higher on the second focus loss.
    require(checkPairs(rules, editor) == typedIn, "a second focus loss changes no shown value");
    editor.cancel();
    require(rules.words() == opened, "Cancel restores Reg1-Reg19");
    return 0;
}
