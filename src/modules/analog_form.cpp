#include "modules/analog_form.h"

namespace velmora {

namespace {

template <std::size_t N>
std::vector<std::string> texts(const std::array<std::string_view, N>& table) {
    return {table.begin(), table.end()};
}

bool validList(int list) {
    return list >= 0 && list < static_cast<int>(analogLists.size());
}

const AnalogList& info(int list) {
    return analogLists[static_cast<std::size_t>(list)];
}

} // namespace

std::string analogDialogCaption(std::string_view hostTitle) {
    return " Configuring " + std::string(hostTitle);
}

AnalogInputForm::AnalogInputForm(AnalogRules& rules) : rules_(rules) {
    selection_.fill(-1);
    std::vector<std::string> ranges;
    if (rules_.hasVoltageRanges())
        ranges.insert(ranges.end(), kAnalogRangeTexts.begin(), kAnalogRangeTexts.begin() + 4);
    if (rules_.hasCurrentRanges())
        ranges.insert(ranges.end(), kAnalogRangeTexts.begin() + 4, kAnalogRangeTexts.end());
    for (std::size_t i = 0; i < analogLists.size(); ++i) {
        switch (analogLists[i].setting) {
        case AnalogSetting::Range:
            entries_[i] = ranges;
            break;
        case AnalogSetting::Format:
            entries_[i] = texts(kAnalogFormatTexts);
            break;
        case AnalogSetting::Filter:
            entries_[i] = texts(kAnalogFilterTexts);
            break;
        case AnalogSetting::Acquisition:
            entries_[i] = texts(kAnalogAcquisitionTexts);
            break;
        case AnalogSetting::Calibration:
            entries_[i] = texts(kAnalogCalibrationTexts);
            break;
        case AnalogSetting::Trigger:
            // Without alarms the disabled trigger list says what the module does.
            entries_[i] = rules_.hasAlarms() ? texts(kAnalogTriggerTexts)
                                             : std::vector<std::string>{"Disabled", "Disabled"};
            break;
        case AnalogSetting::Timestamp:
            entries_[i] = texts(kAnalogTimestampTexts);
            break;
        }
    }
    showSettings();
}

const std::vector<std::string>& AnalogInputForm::entries(int list) const {
    static const std::vector<std::string> none;
    return validList(list) ? entries_[static_cast<std::size_t>(list)] : none;
}

bool AnalogInputForm::isEnabled(int list) const {
    if (!validList(list)) return false;
    const AnalogSetting s = info(list).setting;
    return rules_.hasAlarms() || (s != AnalogSetting::Trigger && s != AnalogSetting::Timestamp);
}

int AnalogInputForm::selection(int list) const {
    return validList(list) ? selection_[static_cast<std::size_t>(list)] : -1;
}

int AnalogInputForm::code(int list) const {
    if (!validList(list)) return -1;
    const int g = info(list).group;
    switch (info(list).setting) {
    case AnalogSetting::Range:
        return rules_.range(g);
    case AnalogSetting::Format:
        return rules_.format(g);
    case AnalogSetting::Filter:
        return rules_.filter(g);
    case AnalogSetting::Acquisition:
        return rules_.acquisition(g);
    case AnalogSetting::Calibration:
        return rules_.calibration();
    case AnalogSetting::Trigger:
        return rules_.trigger();
    case AnalogSetting::Timestamp:
        return 1 - rules_.timestampOff();
    }
    return -1;
}

int AnalogInputForm::positionOfCode(int list, int code) const {
    if (!isEnabled(list)) return -1;
    if (info(list).setting == AnalogSetting::Range) return rules_.rangeListPosition(code);
    return code >= 0 && code < static_cast<int>(entries(list).size()) ? code : -1;
}

void AnalogInputForm::showSettings() {
    for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
        if (isEnabled(i)) selection_[static_cast<std::size_t>(i)] = positionOfCode(i, code(i));
    showRegisterWords();
}

void AnalogInputForm::showRegisterWords() {
    for (std::size_t i = 0; i < wordTexts_.size(); ++i)
        wordTexts_[i] = wordText(rules_.word(static_cast<int>(i)));
}

bool AnalogInputForm::select(int list, int position) {
    if (!isEnabled(list) || position < 0 || position >= static_cast<int>(entries(list).size())) return false;
    selection_[static_cast<std::size_t>(list)] = position;
    readSettings();
    return true;
}

void AnalogInputForm::readSettings() {
    for (int i = 0; i < static_cast<int>(analogLists.size()); ++i) {
        const int s = selection_[static_cast<std::size_t>(i)];
        const int g = info(i).group;
        // A list without a selection keeps its field as it is; range and
        // format still go through their writes so the limit rules run as for
        // every other group.
        switch (info(i).setting) {
        case AnalogSetting::Range:
            rules_.setRange(g, s >= 0 ? rules_.rangeCodeAt(s) : rules_.range(g));
            break;
        case AnalogSetting::Format:
            rules_.setFormat(g, s >= 0 ? s : rules_.format(g));
            break;
        case AnalogSetting::Filter:
            if (s >= 0) rules_.setFilter(g, s);
            break;
        case AnalogSetting::Acquisition:
            if (s >= 0) rules_.setAcquisition(g, s);
            break;
        case AnalogSetting::Calibration:
            if (s >= 0) rules_.setCalibration(s);
            break;
        case AnalogSetting::Trigger:
            if (s >= 0) rules_.setTrigger(s);
            break;
        case AnalogSetting::Timestamp:
            if (s >= 0) rules_.setTimestamp(s);
            break;
        }
    }
    rules_.normalize();
    // The lists are not re-selected: they already show what was chosen.
    showRegisterWords();
}

void AnalogInputForm::pressDefaults() {
    rules_.applyDefaults();
    showSettings();
}

} // namespace velmora
