#include "modules/analog_rules.h"

#include <cstdio>

#include "app/catalogue.h"

namespace velmora {

namespace {

bool validGroup(int group) { return group >= 0 && group < kAnalogGroups; }

std::size_t at(int group) { return static_cast<std::size_t>(group); }

} // namespace

std::string analogWordText(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(word));
    return text;
}

AnalogFlags analogFlags(int kind) {
    if (kind < 0 || kind >= kModuleCount) return {};
    const ModuleInfo& info = moduleInfo(kind);
    return {info.hasVoltageRanges, info.hasCurrentRanges, info.hasAlarms};
}

AnalogRules::AnalogRules(int kind) : flags_(analogFlags(kind)) { applyDefaults(); }

std::uint16_t AnalogRules::word(int index) const {
    return index >= 0 && index < static_cast<int>(regs_.size()) ? regs_[static_cast<std::size_t>(index)]
                                                                : 0;
}

void AnalogRules::setWord(int index, std::uint16_t value) {
    if (index >= 0 && index < static_cast<int>(regs_.size())) regs_[static_cast<std::size_t>(index)] = value;
}

bool AnalogRules::isWritten(int index) const { return index >= 0 && index < writtenCount(); }

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
int AnalogRules::calibration() const { return static_cast<int>(analog_layout::calibration.get(regs_)); }
int AnalogRules::trigger() const { return static_cast<int>(analog_layout::trigger.get(regs_)); }
int AnalogRules::timestampOff() const { return static_cast<int>(analog_layout::timestampOff.get(regs_)); }

void AnalogRules::setRange(int group, int code) {
    if (!validGroup(group)) return;
    const int oldRange = range(group);
    const int fmt = format(group);
    analog_layout::range[at(group)].set(regs_, static_cast<unsigned>(code));
    const int newRange = range(group);
    if (newRange != oldRange) rescaleLimits(regs_, group, oldRange, fmt, newRange, fmt);
    clampLimits(regs_, group, newRange, fmt);
}

void AnalogRules::setFormat(int group, int code) {
    if (!validGroup(group)) return;
    const int rng = range(group);
    const int oldFormat = format(group);
    analog_layout::format[at(group)].set(regs_, static_cast<unsigned>(code));
    const int newFormat = format(group);
    if (newFormat != oldFormat) rescaleLimits(regs_, group, rng, oldFormat, rng, newFormat);
    clampLimits(regs_, group, rng, newFormat);
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

void AnalogRules::setTrigger(int value) { analog_layout::trigger.set(regs_, value != 0 ? 1u : 0u); }

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
    if (index >= 0 && index < 19) regs_[static_cast<std::size_t>(index)] = word;
    normalize();
    for (int g = 0; g < kAnalogGroups; ++g) clampLimits(regs_, g, range(g), format(g));
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
