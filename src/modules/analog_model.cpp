#include "modules/analog_model.h"

#include <cctype>
#include <charconv>
#include <cmath>

#include "modules/alarm_setpoints.h"

namespace velmora {

namespace {

std::string trim(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<int> wholeInteger(const std::string& text) {
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || ptr != last || first == last) return std::nullopt;
    return value;
}

std::string listName(int list) {
    const AnalogList& l = analogLists[static_cast<std::size_t>(list)];
    const std::string group = "g" + std::to_string(l.group + 1) + ".";
    switch (l.setting) {
    case AnalogSetting::Range: return group + "range";
    case AnalogSetting::Format: return group + "format";
    case AnalogSetting::Filter: return group + "filter";
    case AnalogSetting::Acquisition: return group + "acquisition";
    case AnalogSetting::Calibration: return "calibration";
    case AnalogSetting::Trigger: return "trigger";
    case AnalogSetting::Timestamp: return "timestamp";
    }
    return {};
}

// Lists in reading order: a group's four lists row by row, then the module's.
std::vector<int> readingOrder() {
    std::vector<int> order;
    for (int g = 0; g < kAnalogGroups; ++g)
        for (AnalogSetting s : {AnalogSetting::Range, AnalogSetting::Format, AnalogSetting::Filter,
                                AnalogSetting::Acquisition})
            for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
                if (analogLists[static_cast<std::size_t>(i)].setting == s &&
                    analogLists[static_cast<std::size_t>(i)].group == g)
                    order.push_back(i);
    for (AnalogSetting s : {AnalogSetting::Calibration, AnalogSetting::Trigger, AnalogSetting::Timestamp})
        for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
            if (analogLists[static_cast<std::size_t>(i)].setting == s) order.push_back(i);
    return order;
}

std::string setpointName(int setpoint) { return "reg" + std::to_string(alarmSetpointRegister(setpoint) + 1); }

} // namespace

AnalogModel::AnalogModel(int kind) : kind_(kind), rules_(kind) { startStandalone(); }

void AnalogModel::start(const RegisterWords& words) {
    form_.reset();
    rules_ = AnalogRules(kind_);
    rules_.load(words);
    startWords_ = words;
    form_ = std::make_unique<AnalogInputForm>(rules_);
}

// The editor's constructor puts the defaults into its registers, and with no
// host to read from the dialog shows those.
void AnalogModel::startStandalone() { start(AnalogRules(kind_).words()); }

void AnalogModel::startSynchronised(const RegisterWords& words) { start(words); }

void AnalogModel::pressDefaults() { form_->pressDefaults(); }

int AnalogModel::handledCount() const { return rules_.writtenCount(); }

RegisterWords AnalogModel::finish() {
    RegisterWords words = startWords_;
    for (int i = 0; i < handledCount(); ++i) words[static_cast<std::size_t>(i)] = rules_.word(i);
    return words;
}

std::string AnalogModel::settingNames() const {
    std::string names;
    for (int list : readingOrder()) names += (names.empty() ? "" : ", ") + listName(list);
    if (rules_.hasAlarms()) names += ", reg4 .. reg19";
    return names;
}

ActionResult AnalogModel::apply(const std::string& name, const std::string& value) {
    const std::string key = lower(trim(name));
    for (int list = 0; list < static_cast<int>(analogLists.size()); ++list)
        if (listName(list) == key) return applyList(list, key, value);
    if (rules_.hasAlarms())
        for (int s = 0; s < kAlarmSetpoints; ++s)
            if (setpointName(s) == key) return applySetpoint(s, key, value);
    return {"unknown setting '" + name + "'; allowed: " + settingNames()};
}

ActionResult AnalogModel::applyList(int list, const std::string& name, const std::string& value) {
    if (!form_->isEnabled(list))
        return {name + ": the control is disabled on this module (it has no alarms)"};
    const std::vector<std::string>& entries = form_->entries(list);
    const std::string wanted = trim(value);
    int position = -1;
    for (int p = 0; p < static_cast<int>(entries.size()) && position < 0; ++p)
        if (lower(entries[static_cast<std::size_t>(p)]) == lower(wanted)) position = p;
    if (position < 0)
        if (const std::optional<int> code = wholeInteger(wanted)) position = form_->positionOfCode(list, *code);
    if (position < 0) {
        const bool isRange = analogLists[static_cast<std::size_t>(list)].setting == AnalogSetting::Range;
        std::string allowed;
        for (int p = 0; p < static_cast<int>(entries.size()); ++p) {
            const int code = isRange ? rules_.rangeCodeAt(p) : p;
            allowed += (p ? ", " : "") + std::to_string(code) + " \"" + entries[static_cast<std::size_t>(p)] + "\"";
        }
        return {name + ": '" + wanted + "' is not offered on this module; allowed: " + allowed};
    }
    form_->select(list, position);
    return {};
}

ActionResult AnalogModel::applySetpoint(int setpoint, const std::string& name, const std::string& value) {
    const std::string typed = trim(value);
    if (!isWellFormedSetpointText(typed) || !std::isfinite(parseSetpointText(typed)))
        return {name + ": '" + typed + "' is not a finite decimal number (e.g. 4, -2.5, 1.2e1)"};
    AlarmEditor editor(rules_);
    if (!editor.isScaled(setpoint))
        return {name + ": group " + std::to_string(alarmSetpointGroup(setpoint) + 1) + " has range code " +
                std::to_string(rules_.range(alarmSetpointGroup(setpoint))) +
                ", which has no scaling; choose a range 0-5 first"};
    editor.type(setpoint, typed);
    editor.focusLost();
    editor.commit();
    return {};
}

std::vector<SettingView> AnalogModel::settings() const {
    std::vector<SettingView> out;
    for (int list : readingOrder()) {
        const int code = form_->code(list);
        const int position = form_->positionOfCode(list, code);
        out.push_back({listName(list), code,
                       position >= 0 ? form_->entries(list)[static_cast<std::size_t>(position)] : std::string()});
    }
    if (rules_.hasAlarms()) {
        const auto units = setpointUnits();
        for (int s = 0; s < kAlarmSetpoints; ++s) {
            const auto& u = units[static_cast<std::size_t>(s)];
            out.push_back({setpointName(s), rules_.word(alarmSetpointRegister(s)),
                           u ? alarmUnitsText(*u) : std::string(kNoScalingText)});
        }
    }
    return out;
}

std::array<std::optional<double>, kAlarmSetpoints> AnalogModel::setpointUnits() const {
    return alarmSetpointUnits(rules_.words());
}

std::unique_ptr<ModuleModel> makeAnalogModel(int kind) {
    if (kind < 0 || kind > 3) return nullptr;
    return std::make_unique<AnalogModel>(kind);
}

} // namespace velmora
