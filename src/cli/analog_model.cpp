#include "cli/analog_model.h"

#include <charconv>

#include "core/text.h"
#include "modules/alarm_setpoints.h"

namespace velmora {

namespace {

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
    case AnalogSetting::Range:
        return group + "range";
    case AnalogSetting::Format:
        return group + "format";
    case AnalogSetting::Filter:
        return group + "filter";
    case AnalogSetting::Acquisition:
        return group + "acquisition";
    case AnalogSetting::Calibration:
        return "calibration";
    case AnalogSetting::Trigger:
        return "trigger";
    case AnalogSetting::Timestamp:
        return "timestamp";
    }
    return {};
}

// Lists in reading order: a group's four lists row by row, then the module's.
std::vector<int> readingOrder() {
    std::vector<int> order;
    for (int g = 0; g < kAnalogGroups; ++g)
        for (AnalogSetting s :
             {AnalogSetting::Range, AnalogSetting::Format, AnalogSetting::Filter, AnalogSetting::Acquisition})
            for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
                if (analogLists[static_cast<std::size_t>(i)].setting == s &&
                    analogLists[static_cast<std::size_t>(i)].group == g)
                    order.push_back(i);
    for (AnalogSetting s : {AnalogSetting::Calibration, AnalogSetting::Trigger, AnalogSetting::Timestamp})
        for (int i = 0; i < static_cast<int>(analogLists.size()); ++i)
            if (analogLists[static_cast<std::size_t>(i)].setting == s) order.push_back(i);
    return order;
}

std::string setpointName(int setpoint) {
    return "reg" + std::to_string(alarmSetpointRegister(setpoint) + 1);
}

std::string unitSymbol(int range) {
    return range >= 4 ? "mA" : "V";
}

// The shortest decimal text that reads back as the same value.
std::string shortestText(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc{} ? std::string(text, end) : alarmUnitsText(value);
}

bool endsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Why a list setting that was not chosen changed: only normalize touches one.
std::string listRule(const SettingView& after) {
    if (endsWith(after.name, ".range")) return "range not offered by this model, set to " + after.text;
    if (endsWith(after.name, ".filter")) return "Reg2 holds filter codes 0-3 only: the high bit was cleared";
    if (after.name == "trigger") return "the module has no alarms: the trigger bit is cleared";
    if (after.name == "timestamp") return "the module has no alarms: time stamping stays disabled";
    return {};
}

// The rules that changed one alarm word, in order; `typed` skips the store of
// the value typed into it.
std::string wordRules(const std::vector<AlarmWordEffect>& trace, int reg, bool typed) {
    std::string out;
    std::string last;
    for (const AlarmWordEffect& e : trace) {
        if (e.reg != reg) continue;
        std::string rule = e.rule;
        if (rule.empty()) {
            if (typed) {
                typed = false;
                continue;
            }
            rule = "re-read from the three-decimal value the alarm dialog shows";
        }
        if (rule == last) continue;
        out += (out.empty() ? "" : ", then ") + rule;
        last = rule;
    }
    return out;
}

} // namespace

AnalogModel::AnalogModel(int kind) : kind_(kind), rules_(kind) {
    startStandalone();
}

void AnalogModel::start(const RegisterWords& words) {
    form_.reset();
    rules_ = AnalogRules(kind_);
    rules_.load(words);
    rules_.setTrace(&trace_);
    startWords_ = words;
    form_ = std::make_unique<AnalogInputForm>(rules_);
    notes_.clear();
}

// The editor's constructor puts the defaults into its registers, and with no
// host to read from the dialog shows those.
void AnalogModel::startStandalone() {
    start(AnalogRules(kind_).words());
}

void AnalogModel::startSynchronised(const RegisterWords& words) {
    start(words);
}

void AnalogModel::pressDefaults() {
    notes_.clear();
    form_->pressDefaults();
}

int AnalogModel::handledCount() const {
    return rules_.writtenCount();
}

RegisterWords AnalogModel::finish() {
    return currentWords();
}

RegisterWords AnalogModel::currentWords() const {
    RegisterWords words = startWords_;
    for (int i = 0; i < handledCount(); ++i) words[static_cast<std::size_t>(i)] = rules_.word(i);
    return words;
}

std::vector<NamedField> AnalogModel::fields() const {
    std::vector<NamedField> out;
    for (int list = 0; list < static_cast<int>(analogLists.size()); ++list) {
        const AnalogList& l = analogLists[static_cast<std::size_t>(list)];
        const auto g = static_cast<std::size_t>(l.group);
        switch (l.setting) {
        case AnalogSetting::Range:
            out.push_back({listName(list), analog_layout::range[g]});
            break;
        case AnalogSetting::Format:
            out.push_back({listName(list), analog_layout::format[g]});
            break;
        case AnalogSetting::Filter:
            out.push_back({listName(list), analog_layout::filter[g]});
            break;
        case AnalogSetting::Acquisition:
            out.push_back({listName(list), analog_layout::acquisition[g]});
            break;
        case AnalogSetting::Calibration:
            out.push_back({listName(list), analog_layout::calibration});
            break;
        case AnalogSetting::Trigger:
            out.push_back({listName(list), analog_layout::trigger});
            break;
        case AnalogSetting::Timestamp:
            out.push_back({listName(list), analog_layout::timestampOff});
            break;
        }
    }
    if (rules_.hasAlarms())
        for (int s = 0; s < kAlarmSetpoints; ++s)
            out.push_back(
                {setpointName(s), RegField{static_cast<std::uint8_t>(alarmSetpointRegister(s)), 0, 16}});
    return out;
}

std::vector<CopyStep> AnalogModel::copySteps(int source, int target) const {
    std::vector<CopyStep> out;
    const auto listOf = [](AnalogSetting s, int group) {
        for (int list = 0; list < static_cast<int>(analogLists.size()); ++list)
            if (analogLists[static_cast<std::size_t>(list)].setting == s &&
                analogLists[static_cast<std::size_t>(list)].group == group)
                return list;
        return 0; // unreachable: every group has each of the four lists
    };
    for (AnalogSetting s :
         {AnalogSetting::Range, AnalogSetting::Format, AnalogSetting::Filter, AnalogSetting::Acquisition})
        out.push_back({listName(listOf(s, target)), std::to_string(form_->code(listOf(s, source)))});
    if (!rules_.hasAlarms()) return out;
    const auto units = setpointUnits();
    // Each pair's maximum before its minimum, so a minimum is never judged
    // against the target's old maximum.
    for (int pair = 0; pair < 2; ++pair)
        for (int side : {1, 0}) {
            const auto& u = units[static_cast<std::size_t>(4 * source + 2 * pair + side)];
            if (u) out.push_back({setpointName(4 * target + 2 * pair + side), shortestText(*u)});
        }
    return out;
}

std::string AnalogModel::enabledSettingNames() const {
    std::string names;
    for (int list : readingOrder())
        if (form_->isEnabled(list)) names += (names.empty() ? "" : ", ") + listName(list);
    return names;
}

void AnalogModel::noteRules(const std::vector<SettingView>& before, const std::string& chosen) {
    const std::vector<SettingView> after = settings();
    for (std::size_t i = 0; i < after.size() && i < before.size(); ++i) {
        if (after[i].name == chosen || (after[i].code == before[i].code && after[i].text == before[i].text))
            continue;
        std::string rule;
        if (!after[i].isWord)
            rule = listRule(after[i]);
        else if (after[i].code != before[i].code)
            rule = wordRules(trace_, std::stoi(after[i].name.substr(3)) - 1, false);
        else
            rule = "the word stands, read in its group's new range and format";
        if (!rule.empty()) notes_.push_back({after[i].name, false, true, rule});
    }
}

std::string AnalogModel::settingNames() const {
    std::string names;
    for (int list : readingOrder()) names += (names.empty() ? "" : ", ") + listName(list);
    if (rules_.hasAlarms()) names += ", reg4 .. reg19";
    return names;
}

ActionResult AnalogModel::apply(const std::string& name, const std::string& value) {
    notes_.clear();
    trace_.clear();
    const std::string key = lowered(std::string(trimBlanks(name)));
    for (int list = 0; list < static_cast<int>(analogLists.size()); ++list)
        if (listName(list) == key) return applyList(list, key, value);
    if (rules_.hasAlarms())
        for (int s = 0; s < kAlarmSetpoints; ++s)
            if (setpointName(s) == key) return applySetpoint(s, key, value);
    return {"unknown setting '" + name + "'; allowed: " + settingNames()};
}

ActionResult AnalogModel::applyList(int list, const std::string& name, const std::string& value) {
    if (!form_->isEnabled(list))
        return {name + ": the control is disabled on this module (it has no alarms); allowed: " +
                enabledSettingNames()};
    const std::vector<std::string>& entries = form_->entries(list);
    const std::string wanted = std::string(trimBlanks(value));
    int position = -1;
    for (int p = 0; p < static_cast<int>(entries.size()) && position < 0; ++p)
        if (lowered(entries[static_cast<std::size_t>(p)]) == lowered(wanted)) position = p;
    if (position < 0)
        if (const std::optional<int> code = wholeInteger(wanted))
            position = form_->positionOfCode(list, *code);
    if (position < 0) {
        const bool isRange = analogLists[static_cast<std::size_t>(list)].setting == AnalogSetting::Range;
        std::string allowed;
        for (int p = 0; p < static_cast<int>(entries.size()); ++p) {
            const int code = isRange ? rules_.rangeCodeAt(p) : p;
            allowed +=
                (p ? ", " : "") + std::to_string(code) + " \"" + entries[static_cast<std::size_t>(p)] + "\"";
        }
        return {name + ": '" + wanted + "' is not offered on this module; allowed: " + allowed};
    }
    const std::vector<SettingView> before = settings();
    form_->select(list, position);
    notes_.push_back({name, true, false, {}});
    noteRules(before, name);
    return {};
}

ActionResult AnalogModel::applySetpoint(int setpoint, const std::string& name, const std::string& value) {
    const std::string typed = std::string(trimBlanks(value));
    const int group = alarmSetpointGroup(setpoint);
    const std::string groupName = "g" + std::to_string(group + 1);
    const int range = rules_.range(group);
    const int format = rules_.format(group);
    const AnalogScaleRow* row = analogScaleRow(range, format);
    if (!row)
        return {name + ": group " + std::to_string(group + 1) + " has range code " + std::to_string(range) +
                ", which has no scaling; allowed: set " + groupName + ".range to a code 0-5 first"};
    // As the dialog: a number too large for a double is held at the end of the span.
    const double number = parseSetpointText(typed);
    if (!isWellFormedSetpointText(typed))
        return {name + ": '" + typed +
                "' is not a decimal number; allowed: a decimal number such as 4, -2.5 or 1.2e1 (" +
                groupName + " spans " + alarmUnitsText(row->unitsLow) + " to " +
                alarmUnitsText(row->unitsHigh) + " " + unitSymbol(range) + "; values beyond it are limited)"};
    const std::vector<SettingView> before = settings();
    AlarmEditor editor(rules_);
    editor.type(setpoint, typed);
    editor.focusLost();
    editor.commit();

    const int reg = alarmSetpointRegister(setpoint);
    const std::uint16_t stored = rules_.word(reg);
    std::string rules = wordRules(trace_, reg, true);
    if (rules.empty() && (number < row->unitsLow || number > row->unitsHigh))
        rules = "held at the end of the span";
    notes_.push_back({name, true, !rules.empty(),
                      typed + " typed, stored 0x" + wordText(stored) + " = " +
                          alarmUnitsText(countsToUnits(range, format, stored)) + " " + unitSymbol(range) +
                          (rules.empty() ? "" : " (" + rules + ")")});
    noteRules(before, name);
    return {};
}

std::vector<SettingView> AnalogModel::settings() const {
    std::vector<SettingView> out;
    for (int list : readingOrder()) {
        const int code = form_->code(list);
        const int position = form_->positionOfCode(list, code);
        out.push_back(
            {listName(list), code,
             position >= 0 ? form_->entries(list)[static_cast<std::size_t>(position)] : std::string()});
    }
    if (rules_.hasAlarms()) {
        const auto units = setpointUnits();
        for (int s = 0; s < kAlarmSetpoints; ++s) {
            const auto& u = units[static_cast<std::size_t>(s)];
            out.push_back({setpointName(s), rules_.word(alarmSetpointRegister(s)),
                           u ? alarmUnitsText(*u) : std::string(kNoScalingText), true});
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
