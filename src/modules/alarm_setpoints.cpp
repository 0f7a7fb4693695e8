#include "modules/alarm_setpoints.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace velmora {

namespace {

struct DecimalPrefix {
    std::size_t begin = 0; // after the leading blanks
    std::size_t end = 0;   // == begin when there is no number
    bool negativeExponent = false;
};

DecimalPrefix scanDecimal(std::string_view text) {
    DecimalPrefix p;
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    p.begin = p.end = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return p;
    p.end = i;
    // An exponent counts only when it has digits ("1e" is the number 1).
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) negative = text[j++] == '-';
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) ++j;
            p.end = j;
            p.negativeExponent = negative;
        }
    }
    return p;
}

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

} // namespace

std::string alarmDialogCaption(std::string_view hostTitle) {
    return " " + std::string(hostTitle) + " Alarm Limits";
}

double parseSetpointText(std::string_view text) {
    const DecimalPrefix p = scanDecimal(text);
    if (p.end == p.begin) return 0.0;
    std::string_view number = text.substr(p.begin, p.end - p.begin);
    const bool negative = number.front() == '-';
    if (number.front() == '+' || negative) number.remove_prefix(1);
    double value = 0.0;
    // from_chars, unlike strtod, ignores the locale's decimal point.
    const auto [ptr, ec] =
        std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        value = p.negativeExponent ? 0.0 : std::numeric_limits<double>::infinity();
    else if (ec != std::errc{} || ptr != number.data() + number.size())
        value = 0.0;
    return negative ? -value : value;
}

bool isWellFormedSetpointText(std::string_view text) {
    const DecimalPrefix p = scanDecimal(text);
    if (p.end == p.begin) return false;
    for (std::size_t i = p.end; i < text.size(); ++i)
        if (!isBlank(text[i])) return false;
    return true;
}

std::string alarmUnitsText(double value) {
    char text[400]; // "%.3f" of the largest double needs 313 characters
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string alarmKindText(int range, int format) {
    if (range < 0 || range >= static_cast<int>(kAlarmRangeTexts.size())) return {};
    std::string text(kAlarmRangeTexts[at(range)]);
    if (format >= 0 && format < static_cast<int>(kAlarmFormatTexts.size()))
        text += kAlarmFormatTexts[at(format)];
    return text;
}

std::array<std::optional<double>, kAlarmSetpoints> alarmSetpointUnits(const RegisterWords& words) {
    std::array<std::optional<double>, kAlarmSetpoints> units;
    for (int s = 0; s < kAlarmSetpoints; ++s) {
        const int g = alarmSetpointGroup(s);
        const int range = static_cast<int>(analog_layout::range[at(g)].get(words));
        const int format = static_cast<int>(analog_layout::format[at(g)].get(words));
        if (analogScaleRow(range, format))
            units[at(s)] = countsToUnits(range, format, words[at(alarmSetpointRegister(s))]);
    }
    return units;
}

AlarmEditor::AlarmEditor(AnalogRules& rules) : rules_(rules) {
    for (std::size_t i = 0; i < saved_.size(); ++i) saved_[i] = rules_.word(static_cast<int>(i));
    showAll();
}

const AlarmEditor::Fields& AlarmEditor::fields(int setpoint) const {
    static const Fields none;
    return setpoint >= 0 && setpoint < kAlarmSetpoints ? fields_[at(setpoint)] : none;
}

bool AlarmEditor::isScaled(int setpoint) const {
    if (setpoint < 0 || setpoint >= kAlarmSetpoints) return false;
    const int g = alarmSetpointGroup(setpoint);
    return analogScaleRow(rules_.range(g), rules_.format(g)) != nullptr;
}

void AlarmEditor::type(int setpoint, std::string text) {
    if (setpoint >= 0 && setpoint < kAlarmSetpoints) fields_[at(setpoint)].value = std::move(text);
}

void AlarmEditor::showSetpoint(int setpoint) {
    const int g = alarmSetpointGroup(setpoint);
    const int r = rules_.range(g);
    const int f = rules_.format(g);
    const std::uint16_t w = rules_.word(alarmSetpointRegister(setpoint));
    Fields& out = fields_[at(setpoint)];
    out.value = isScaled(setpoint) ? alarmUnitsText(countsToUnits(r, f, w)) : std::string();
    out.hex = wordText(w);
    out.kind = alarmKindText(r, f);
}

void AlarmEditor::showAll() {
    for (int s = 0; s < kAlarmSetpoints; ++s) showSetpoint(s);
}

void AlarmEditor::readSetpoint(int setpoint) {
    const int g = alarmSetpointGroup(setpoint);
    const int r = rules_.range(g);
    const int f = rules_.format(g);
    const int index = alarmSetpointRegister(setpoint);
    Fields& field = fields_[at(setpoint)];
    if (!isScaled(setpoint)) {
        // No units to read: the word stays as the host gave it.
        field.value.clear();
        field.hex = wordText(rules_.word(index));
        return;
    }
    const std::uint16_t current = rules_.word(index);
    std::uint16_t word = unitsToCounts(r, f, parseSetpointText(field.value));
    // Three decimals hold less than a 12- or 16-bit count: read back, the text
    // of an untouched field lands on a neighbouring word. That word is taken
    // only when it shows the same text and the limit rules let it stand as
    // they let the current one (a minimum read back over a maximum of the
    // same text would drop to the foot of the span), so that no shown value
    // changes without being typed.
    const std::string shown = alarmUnitsText(countsToUnits(r, f, current));
    if (word != current && field.value == shown &&
        (alarmUnitsText(countsToUnits(r, f, word)) != shown || !limitsAllow(index, word)))
        word = current;
    rules_.storeAndCheck(index, word);
    const std::uint16_t stored = rules_.word(index);
    field.hex = wordText(stored);
    field.value = alarmUnitsText(countsToUnits(r, f, stored));
}

bool AlarmEditor::limitsAllow(int index, std::uint16_t word) const {
    AnalogRules withCurrent = rules_;
    withCurrent.storeAndCheck(index, rules_.word(index));
    AnalogRules withWord = rules_;
    withWord.storeAndCheck(index, word);
    if (withWord.word(index) != word) return false;
    withWord.setWord(index, withCurrent.word(index));
    return withWord.words() == withCurrent.words();
}

void AlarmEditor::focusLost() {
    for (int pass = 0; pass < 2; ++pass)
        for (int s = 0; s < kAlarmSetpoints; ++s) readSetpoint(s);
}

void AlarmEditor::pressDefaults() {
    for (int g = 0; g < kAnalogGroups; ++g) rules_.resetLimits(g);
    showAll();
}

void AlarmEditor::commit() {
    rules_.normalize();
}

void AlarmEditor::cancel() {
    for (std::size_t i = 0; i < saved_.size(); ++i) rules_.setWord(static_cast<int>(i), saved_[i]);
}

int AlarmEditor::nextFocus(int controlId) {
    for (int s = 0; s < kAlarmSetpoints; ++s) {
        if (alarmSetpointControls[at(s)].valueEdit != controlId) continue;
        return alarmSetpointControls[at((s + 1) % kAlarmSetpoints)].valueEdit;
    }
    return 0;
}

} // namespace velmora
