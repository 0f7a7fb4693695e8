#include "modules/analog_rules.h"

#include <cstdio>

#include "core/catalogue.h"
#include "modules/analog_form.h"

namespace velmora {

namespace {

bool validGroup(int group) {
    return group >= 0 && group < kAnalogGroups;
}

std::size_t at(int group) {
    return static_cast<std::size_t>(group);
}

long countOf(std::uint16_t word, bool isSigned) {
    return isSigned ? static_cast<long>(static_cast<std::int16_t>(word)) : static_cast<long>(word);
}

std::string rangeText(int code) {
    return code >= 0 && code < static_cast<int>(kAnalogRangeTexts.size())
               ? quotedText(kAnalogRangeTexts[at(code)])
               : "code " + std::to_string(code);
}

std::string formatText(int code) {
    return code >= 0 && code < static_cast<int>(kAnalogFormatTexts.size())
               ? quotedText(kAnalogFormatTexts[at(code)])
               : "code " + std::to_string(code);
}

} // namespace

AnalogFlags analogFlags(int kind) {
    if (kind < 0 || kind >= kModuleCount) return {};
    const ModuleInfo& info = moduleInfo(kind);
    return {info.hasVoltageRanges, info.hasCurrentRanges, info.hasAlarms, info.writtenCount};
}

AnalogRules::AnalogRules(int kind) : flags_(analogFlags(kind)) {
    applyDefaults();
}

std::uint16_t AnalogRules::word(int index) const {
    return index >= 0 && index < static_cast<int>(regs_.size()) ? regs_[static_cast<std::size_t>(index)] : 0;
}

void AnalogRules::setWord(int index, std::uint16_t value) {
    if (index >= 0 && index < static_cast<int>(regs_.size())) regs_[static_cast<std::size_t>(index)] = value;
}

bool AnalogRules::isWritten(int index) const {
    return index >= 0 && index < writtenCount();
}

int AnalogRules::range(int group) const {
    return validGroup(group) ? static_cast<int>(analog_layout::range[at(group)].get(regs_)) : 0;
}
int AnalogRules::format(int group) const {
    return validGroup(group) ? static_cast<int>(analog_layout::format[at(group)].get(regs_)) : 0;
}
int AnalogRules::filter(int group) const {
    return validGroup(group) ? static_cast<int>(analog_layout::filter[at(group)].get(regs_)) : 0;
}
int AnalogRules::acquisition(int group) const {
    return validGroup(group) ? static_cast<int>(analog_layout::acquisition[at(group)].get(regs_)) : 0;
}
int AnalogRules::calibration() const {
    return static_cast<int>(analog_layout::calibration.get(regs_));
}
int AnalogRules::trigger() const {
    return static_cast<int>(analog_layout::trigger.get(regs_));
}
int AnalogRules::timestampOff() const {
    return static_cast<int>(analog_layout::timestampOff.get(regs_));
}

void AnalogRules::setRange(int group, int code) {
    setSpanField(group, analog_layout::range, code);
}

void AnalogRules::setFormat(int group, int code) {
    setSpanField(group, analog_layout::format, code);
}

void AnalogRules::setSpanField(int group, const std::array<RegField, 4>& fields, int code) {
    if (!validGroup(group)) return;
    const RegisterWords before = regs_;
    const int oldRange = range(group);
    const int oldFormat = format(group);
    fields[at(group)].set(regs_, static_cast<unsigned>(code));
    const int newRange = range(group);
    const int newFormat = format(group);
    if (newRange != oldRange || newFormat != oldFormat)
        rescaleLimits(regs_, group, oldRange, oldFormat, newRange, newFormat);
    clampLimits(regs_, group, newRange, newFormat);
    if (trace_.to) traceLimits(group, before, oldRange, oldFormat);
}

void AnalogRules::traceLimits(int group, const RegisterWords& before, int oldRange, int oldFormat) {
    const int newRange = range(group);
    const int newFormat = format(group);
    const auto regs = alarmPairRegisters(group);
    // What the conversion alone gave; the limits then explain the rest.
    std::array<std::uint16_t, 4> converted{};
    std::array<std::string, 4> conversion;
    const bool rescaled = (oldRange != newRange || oldFormat != newFormat) &&
                          analogScaleRow(oldRange, oldFormat) && analogScaleRow(newRange, newFormat);
    for (std::size_t i = 0; i < regs.size(); ++i) {
        const std::uint16_t old = before[at(regs[i])];
        converted[i] =
            rescaled ? unitsToCounts(newRange, newFormat, countsToUnits(oldRange, oldFormat, old)) : old;
        if (converted[i] == old) continue;
        conversion[i] =
            oldRange != newRange
                ? "rescaled from the range " + rangeText(oldRange) + " to " + rangeText(newRange)
                : "rescaled from the format " + formatText(oldFormat) + " to " + formatText(newFormat);
    }
    const AnalogScaleRow* row = analogScaleRow(newRange, newFormat);
    const bool isSigned = isSignedCounts(newRange, newFormat);
    for (std::size_t i = 0; i < regs.size(); ++i) {
        const std::uint16_t old = before[at(regs[i])];
        const std::uint16_t now = regs_[at(regs[i])];
        if (now == old) continue;
        std::string rule = conversion[i];
        if (now != converted[i] && row) {
            // The limit rules, as clampLimits applies them: maximum, then minimum.
            const long value = countOf(converted[i], isSigned);
            const bool isMax = i % 2 == 1;
            std::string limit;
            if (value < static_cast<long>(row->countsLow))
                limit = "raised to the lowest count of the span";
            else if (isMax && value > static_cast<long>(row->countsHigh))
                limit = "lowered to the highest count of the span";
            else
                limit = "set to the lowest count of the span: it was above the pair's maximum";
            rule += (rule.empty() ? "" : ", then ") + limit;
        }
        trace_.to->push_back({regs[i], old, now, rule});
    }
}

void AnalogRules::setFilter(int group, int code) {
    if (validGroup(group)) analog_layout::filter[at(group)].set(regs_, static_cast<unsigned>(code));
}

void AnalogRules::setAcquisition(int group, int value) {
    if (validGroup(group)) analog_layout::acquisition[at(group)].set(regs_, value != 0 ? 1u : 0u);
}

void AnalogRules::setCalibration(int code) {
    analog_layout::calibration.set(regs_, static_cast<unsigned>(code));
}

void AnalogRules::setTrigger(int value) {
    analog_layout::trigger.set(regs_, value != 0 ? 1u : 0u);
}

void AnalogRules::setTimestamp(int listPosition) {
    analog_layout::timestampOff.set(regs_, listPosition == 0 ? 1u : 0u);
}

void AnalogRules::normalize() {
    for (std::size_t i = 0; i < analog_layout::normalizeKeep.size(); ++i)
        regs_[i] &= analog_layout::normalizeKeep[i];
    if (!flags_.hasAlarms) {
        // Without alarms the module has no time stamping and scrolls.
        analog_layout::timestampOff.set(regs_, 1);
        analog_layout::trigger.set(regs_, 0);
    }
    for (int g = 0; g < kAnalogGroups; ++g) {
        if (!flags_.hasVoltageRanges && range(g) <= 3) setRange(g, 4);
        if (!flags_.hasCurrentRanges && range(g) >= 4) setRange(g, 0);
    }
}

void AnalogRules::applyDefaults() {
    regs_[0] = flags_.hasVoltageRanges ? kAnalogDefaultReg1Voltage : kAnalogDefaultReg1Current;
    regs_[1] = kAnalogDefaultReg2;
    regs_[2] = kAnalogDefaultReg3;
    for (int g = 0; g < kAnalogGroups; ++g) resetLimits(g);
}

void AnalogRules::storeAndCheck(int index, std::uint16_t word) {
    if (index >= 0 && index < kFirstSetpointRegister + kAlarmSetpoints) {
        if (trace_.to && regs_[at(index)] != word) trace_.to->push_back({index, regs_[at(index)], word, {}});
        regs_[at(index)] = word;
    }
    normalize();
    for (int g = 0; g < kAnalogGroups; ++g) {
        const RegisterWords before = regs_;
        clampLimits(regs_, g, range(g), format(g));
        if (trace_.to) traceLimits(g, before, range(g), format(g));
    }
}

void AnalogRules::resetLimits(int group) {
    if (validGroup(group)) velmora::resetLimits(regs_, group, range(group), format(group));
}

int AnalogRules::rangeListSize() const {
    return (flags_.hasVoltageRanges ? 4 : 0) + (flags_.hasCurrentRanges ? 2 : 0);
}

int AnalogRules::rangeListPosition(int code) const {
    const int position = flags_.hasVoltageRanges ? code : code - 4;
    if (code < 0 || position < 0 || position >= rangeListSize()) return -1;
    return position;
}

int AnalogRules::rangeCodeAt(int position) const {
    if (position < 0 || position >= rangeListSize()) return -1;
    return flags_.hasVoltageRanges ? position : position + 4;
}

} // namespace velmora
