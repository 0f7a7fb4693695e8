#include "cli/counter_model.h"

#include "cli/channel_module_model.h"
#include "modules/counter_settings.h"

#include <algorithm>

namespace velmora {

namespace {

std::string settingName(int channel, CounterSetting setting) {
    return channelName(channel) + "." + std::string(counterInfo(setting).name);
}

class CounterModel final : public ChannelModuleModel<CounterSettings> {
public:
    explicit CounterModel(int kind) : ChannelModuleModel(CounterSettings(counterChannelCount(kind))) {}

    ActionResult apply(const std::string& name, const std::string& value) override {
        notes_.clear();
        const SettingName parsed = splitSettingName(name);
        if (parsed.form == SettingName::ModuleWide && equalIgnoringCase(parsed.key, "delay"))
            return typeDelay(value);
        if (parsed.form != SettingName::PerChannel) return {unknownName(name)};
        const auto found =
            std::find_if(kCounterLayout.begin(), kCounterLayout.end(),
                         [&](const ChannelSettingInfo& s) { return equalIgnoringCase(s.name, parsed.key); });
        if (found == kCounterLayout.end()) return {unknownName(name)};
        const auto setting = static_cast<CounterSetting>(found - kCounterLayout.begin());
        const std::string full = "ch" + std::to_string(parsed.channel) + "." + std::string(found->name);

        const int count = settings_.channelCount();
        if (parsed.channel < 1 || parsed.channel > count)
            return {full + ": the module has channels 1 to " + std::to_string(count) +
                    "; allowed: ch1 to ch" + std::to_string(count)};
        const auto code = choiceCode(*found, value);
        if (!code)
            return {full + ": " + quotedText(trimBlanks(value), kEchoLimit) +
                    " is not offered; allowed: " + allowedChoices(*found)};

        // Try on a copy so that a refused choice leaves the channel on show as it was.
        CounterSettings trial = settings_;
        const int channel = static_cast<int>(parsed.channel) - 1;
        trial.chooseChannel(channel);
        if (!trial.isEnabled(setting)) return {disabledReason(full, setting, channel)};
        trial.choose(setting, *code);
        noteRules(trial, channel, setting);
        settings_ = trial;
        return {};
    }

    std::vector<NamedField> fields() const override {
        std::vector<NamedField> out;
        for (int ch = 0; ch < settings_.channelCount(); ++ch)
            for (std::size_t s = 0; s < kCounterLayout.size(); ++s)
                out.push_back({settingName(ch, static_cast<CounterSetting>(s)),
                               inRegister(kCounterLayout[s].field, ch)});
        out.push_back({"delay", RegField{static_cast<std::uint8_t>(settings_.delayRegister()), 0, 16}});
        return out;
    }

    CopyUnits copyUnits() const override { return {"ch", settings_.channelCount()}; }

    std::vector<CopyStep> copySteps(int source, int target) const override {
        std::vector<CopyStep> out;
        for (std::size_t s = 0; s < kCounterLayout.size(); ++s) {
            const auto setting = static_cast<CounterSetting>(s);
            out.push_back({settingName(target, setting), std::to_string(settings_.value(setting, source))});
        }
        return out;
    }

    int handledCount() const override { return settings_.handledCount(); }

    std::vector<SettingView> settings() const override {
        std::vector<SettingView> out;
        for (int ch = 0; ch < settings_.channelCount(); ++ch) {
            for (std::size_t s = 0; s < kCounterLayout.size(); ++s) {
                const auto setting = static_cast<CounterSetting>(s);
                out.push_back({channelName(ch) + "." + std::string(kCounterLayout[s].name),
                               settings_.value(setting, ch), std::string(settings_.text(setting, ch))});
            }
        }
        out.push_back({"delay", settings_.delay(), std::to_string(settings_.delay())});
        return out;
    }

private:
    ActionResult typeDelay(const std::string& value) {
        const std::string_view typed = trimBlanks(value);
        if (!isWholeNumber(typed))
            return {"delay: " + quotedText(typed, kEchoLimit) +
                    " is not a whole number; allowed: 0 to 65535"};
        if (typed.size() > static_cast<std::size_t>(CounterSettings::kDelayTextLimit))
            return {"delay: " + quotedText(typed, kEchoLimit) +
                    " is longer than the 5 characters the field takes; allowed: 0 to 65535"};
        settings_.typeDelay(typed);
        std::string limited = limitNote(typed, settings_.delay(), "");
        notes_.push_back({"delay", true, !limited.empty(), std::move(limited)});
        return {};
    }

    // The chosen setting, and why each other setting that changed did.
    void noteRules(const CounterSettings& after, int channel, CounterSetting chosen) {
        notes_.push_back({settingName(channel, chosen), true, false, {}});
        for (int ch = 0; ch < after.channelCount(); ++ch) {
            for (std::size_t s = 0; s < kCounterLayout.size(); ++s) {
                const auto setting = static_cast<CounterSetting>(s);
                if ((ch == channel && setting == chosen) ||
                    after.value(setting, ch) == settings_.value(setting, ch))
                    continue;
                if (!CounterSettings::isSecondMember(ch)) continue; // no rule changes a first member
                const std::string first = "channel " + std::to_string(ch);
                notes_.push_back({settingName(ch, setting), false, true,
                                  pairOwned(setting)
                                      ? "follows " + first + ": range and mode belong to the pair"
                                      : "copied from " + first + " while the pair counts " +
                                            std::string(after.text(CounterSetting::Mode, ch - 1))});
            }
        }
    }

    std::string unknownName(const std::string& name) const {
        std::string out = "unknown setting " + quotedText(name, kEchoLimit) + "; allowed: ";
        for (const auto& s : kCounterLayout) out += "chN." + std::string(s.name) + ", ";
        out += "delay (N = 1 to " + std::to_string(settings_.channelCount()) + ")";
        return out;
    }

    std::string disabledReason(const std::string& full, CounterSetting setting, int channel) const {
        const std::string first = channelName(channel - 1);
        const std::string pair = "pair " + std::to_string(channel) + "-" + std::to_string(channel + 1);
        if (pairOwned(setting))
            return full + ": disabled on the second channel of " + pair + "; allowed: set " + first + "." +
                   std::string(counterInfo(setting).name) + " instead";
        return full + ": disabled while " + pair + " counts \"" +
               std::string(settings_.text(CounterSetting::Mode, channel - 1)) + "\"; allowed only when " +
               first + ".mode is \"UniDirectional\"";
    }
};

} // namespace

std::unique_ptr<ModuleModel> makeCounterModel(int kind) {
    return std::make_unique<CounterModel>(kind);
}

} // namespace velmora
