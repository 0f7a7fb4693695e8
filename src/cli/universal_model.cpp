#include "cli/universal_model.h"

#include "core/text.h"
#include "modules/universal_settings.h"

#include <algorithm>
#include <optional>

namespace velmora {

namespace {

using namespace universal;

struct Key {
    std::string_view name;
    UniversalSetting setting;
};

// Reading order of the dialog: type buttons, the type lists left to right, then
// the three lists every type shows.
constexpr std::array<Key, kUniversalSettingCount> kKeys{{
    {"type", UniversalSetting::Type},
    {"voltage", UniversalSetting::Voltage},
    {"current", UniversalSetting::Current},
    {"thermocouple", UniversalSetting::Thermocouple},
    {"rtd", UniversalSetting::Rtd},
    {"wiring", UniversalSetting::Wiring},
    {"resistance", UniversalSetting::Resistance},
    {"units", UniversalSetting::Units},
    {"format", UniversalSetting::Format},
    {"filter", UniversalSetting::Filter},
    {"fault", UniversalSetting::Fault},
}};

constexpr bool isControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}
constexpr bool allDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), isDigit);
}

// A value that is all digits is a code, so no text may look like one.
constexpr bool noTextIsANumber() {
    for (const SettingInfo& info : kSettings)
        for (std::string_view t : info.entries)
            if (allDigits(trimBlanks(t))) return false;
    return true;
}
static_assert(noTextIsANumber());

// Digits to a number, saturating far above any code or group.
constexpr unsigned long digitsValue(std::string_view s) {
    unsigned long v = 0;
    for (char c : s) v = std::min(v * 10 + static_cast<unsigned long>(c - '0'), 1000000ul);
    return v;
}

std::string allowedValues(UniversalSetting s) {
    std::string out;
    const auto entries = settingInfo(s).entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i) out += ", ";
        out += std::to_string(i) + " \"" + std::string(entries[i]) + "\"";
    }
    return out;
}

std::string settingName(int group, std::string_view key) {
    return "g" + std::to_string(group + 1) + "." + std::string(key);
}

std::string allNames() {
    std::string out;
    for (const Key& k : kKeys) {
        if (!out.empty()) out += ", ";
        out += "gN." + std::string(k.name);
    }
    return out + " (N = 1 to " + std::to_string(kGroups) + ")";
}

// The list through which the setting is chosen for the group on show, if one is shown.
std::optional<UniversalList> shownListOf(const UniversalSettings& st, UniversalSetting s) {
    for (const ListInfo& l : kLists)
        if (l.setting == s && st.isListShown(l.list)) return l.list;
    return std::nullopt;
}

std::string typesShowing(UniversalSetting s) {
    std::string out;
    for (int t = 0; t < kInputTypeCount; ++t) {
        const bool shown = std::any_of(kLists.begin(), kLists.end(), [&](const ListInfo& l) {
            return l.setting == s && (l.shownFor & (1u << t));
        });
        if (!shown) continue;
        if (!out.empty()) out += ", ";
        out += kTypeButtonTexts[static_cast<std::size_t>(t)];
    }
    return out;
}

// "RTD or Resistance".
std::string typesShowingAlternatives(UniversalSetting s) {
    std::string out = typesShowing(s);
    const std::size_t last = out.rfind(", ");
    if (last != std::string::npos) out.replace(last, 2, " or ");
    return out;
}

std::string settableNow(const UniversalSettings& st, int group) {
    std::string out;
    for (const Key& k : kKeys) {
        if (k.setting != UniversalSetting::Type && !shownListOf(st, k.setting)) continue;
        if (!out.empty()) out += ", ";
        out += settingName(group, k.name);
    }
    return out;
}

class UniversalModel final : public ModuleModel {
public:
    UniversalModel() { startStandalone(); }

    void startStandalone() override {
        notes_.clear();
        settings_ = UniversalSettings{};
        settings_.openStandalone();
        startWords_ = RegisterWords{};
    }

    void startSynchronised(const RegisterWords& words) override {
        notes_.clear();
        UniversalSettings::Words mine{};
        std::copy_n(words.begin(), mine.size(), mine.begin());
        settings_ = UniversalSettings{};
        settings_.openSynchronised(mine);
        startWords_ = words;
    }

    void pressDefaults() override {
        notes_.clear();
        settings_.pressDefaults();
    }

    ActionResult apply(const std::string& name, const std::string& value) override;

    RegisterWords finish() override { return currentWords(); }

    RegisterWords currentWords() const override {
        UniversalSettings encoded = settings_;
        encoded.encodeRegisters();
        RegisterWords out = startWords_;
        std::copy(encoded.registers().begin(), encoded.registers().end(), out.begin());
        return out;
    }

    std::vector<SettingNote> lastNotes() const override { return notes_; }

    std::vector<NamedField> fields() const override {
        std::vector<NamedField> out;
        for (int g = 0; g < kGroups; ++g)
            for (const Key& k : kKeys) out.push_back({settingName(g, k.name), fieldOf(k.setting, g)});
        return out;
    }

    CopyUnits copyUnits() const override { return {"g", kGroups}; }

    // The type button, then the lists the type shows, as a user copies by hand:
    // the lists a type hides cannot be set and its click clears them.
    std::vector<CopyStep> copySteps(int source, int target) const override {
        std::vector<CopyStep> out;
        const unsigned type = static_cast<unsigned>(
            UniversalSettings::effectiveType(settings_.code(source, UniversalSetting::Type)));
        for (const Key& k : kKeys) {
            const bool shown = k.setting == UniversalSetting::Type ||
                               std::any_of(kLists.begin(), kLists.end(), [&](const ListInfo& l) {
                                   return l.setting == k.setting && (l.shownFor & (1u << type));
                               });
            // A host's type 6 or 7 is Voltage once its group is shown, as the source is to be copied.
            const int code = k.setting == UniversalSetting::Type ? static_cast<int>(type)
                                                                 : settings_.code(source, k.setting);
            if (shown) out.push_back({settingName(target, k.name), std::to_string(code)});
        }
        return out;
    }

    int handledCount() const override { return kRegisters; }

    std::vector<SettingView> settings() const override {
        std::vector<SettingView> out;
        out.reserve(static_cast<std::size_t>(kGroups) * kKeys.size());
        for (int g = 0; g < kGroups; ++g)
            for (const Key& k : kKeys)
                out.push_back({settingName(g, k.name), settings_.code(g, k.setting),
                               std::string(settings_.text(g, k.setting))});
        return out;
    }

private:
    void noteRules(const UniversalSettings& after, int group, const Key& chosen);

    UniversalSettings settings_;
    RegisterWords startWords_{};
    std::vector<SettingNote> notes_;
};

void UniversalModel::noteRules(const UniversalSettings& after, int group, const Key& chosen) {
    notes_.push_back({settingName(group, chosen.name), true, false, {}});
    for (const Key& k : kKeys) {
        const int before = settings_.code(group, k.setting);
        if (k.setting == chosen.setting || after.code(group, k.setting) == before) continue;
        if (k.setting == UniversalSetting::Type)
            notes_.push_back({settingName(group, k.name), false, true,
                              "type code " + std::to_string(before) +
                                  " has no button: taken as Voltage once group " + std::to_string(group + 1) +
                                  " is shown"});
        else if (chosen.setting == UniversalSetting::Type)
            notes_.push_back(
                {settingName(group, k.name), false, true,
                 "cleared by the input type " +
                     std::string(kTypeButtonTexts[static_cast<std::size_t>(after.checkedTypeButton())])});
    }
}

ActionResult UniversalModel::apply(const std::string& name, const std::string& value) {
    notes_.clear();
    const std::string_view n = name;
    const std::size_t dot = n.find('.');
    const bool shaped = dot != std::string_view::npos && dot >= 1 && n.front() == 'g';
    const std::string_view groupDigits = shaped ? n.substr(1, dot - 1) : std::string_view{};
    const Key* key = nullptr;
    if (shaped && allDigits(groupDigits)) {
        const std::string_view k = n.substr(dot + 1);
        for (const Key& candidate : kKeys)
            if (candidate.name == k) key = &candidate;
    }
    if (!key) return {"unknown setting " + quotedText(n, kEchoLimit) + "; allowed: " + allNames()};

    const unsigned long groupNumber = digitsValue(groupDigits);
    if (groupNumber < 1 || groupNumber > static_cast<unsigned long>(kGroups))
        return {"group " + quotedText(groupDigits, kEchoLimit) + " of " + quotedText(n, kEchoLimit) +
                " is out of range; allowed: 1 to " + std::to_string(kGroups)};
    const int group = static_cast<int>(groupNumber) - 1;
    const std::string label = settingName(group, key->name);
    const UniversalSetting setting = key->setting;

    const std::string_view v = trimBlanks(value);
    if (v.empty() || std::any_of(v.begin(), v.end(), isControl))
        return {label +
                ": malformed value (empty or with control characters); allowed: " + allowedValues(setting)};

    // As the dialog does it: the group's button first, then the choice.
    UniversalSettings next = settings_;
    next.chooseGroup(group);

    std::optional<UniversalList> list;
    if (setting != UniversalSetting::Type) {
        list = shownListOf(next, setting);
        if (!list)
            return {label + ": hidden while " + settingName(group, "type") + " is " +
                    std::string(kTypeButtonTexts[static_cast<std::size_t>(next.checkedTypeButton())]) +
                    " (shown for " + typesShowing(setting) + "); allowed: set " + settingName(group, "type") +
                    " to " + typesShowingAlternatives(setting) + " first, or now one of " +
                    settableNow(next, group)};
    }

    const auto entries = settingInfo(setting).entries;
    std::optional<int> code;
    if (allDigits(v)) {
        const unsigned long c = digitsValue(v);
        if (c < entries.size()) code = static_cast<int>(c);
    } else {
        for (std::size_t i = 0; i < entries.size() && !code; ++i)
            if (equalIgnoringCase(v, trimBlanks(entries[i]))) code = static_cast<int>(i);
    }
    if (!code)
        return {label + ": " + quotedText(v, kEchoLimit) +
                " is not offered; allowed: " + allowedValues(setting)};

    const bool done = list ? next.chooseListEntry(*list, *code) : next.chooseInputType(*code);
    if (!done) return {label + ": the choice was refused; allowed: " + allowedValues(setting)};
    noteRules(next, group, *key);
    settings_ = next;
    return {};
}

} // namespace

std::unique_ptr<ModuleModel> makeUniversalModel() {
    return std::make_unique<UniversalModel>();
}

} // namespace velmora
