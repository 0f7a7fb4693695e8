#include "cli/multipurpose_model.h"

#include "cli/channel_module_model.h"
#include "modules/multipurpose_settings.h"

#include <algorithm>

namespace velmora {

namespace {

class MultiPurposeModel final : public ChannelModuleModel<MultiPurposeSettings> {
public:
    MultiPurposeModel() : ChannelModuleModel(MultiPurposeSettings()) {}

    ActionResult apply(const std::string& name, const std::string& value) override {
        notes_.clear();
        const SettingName parsed = splitSettingName(name);
        if (parsed.form == SettingName::ModuleWide && equalIgnoringCase(parsed.key, "delay")) {
            const std::string_view typed = trimBlanks(value);
            if (!isWholeNumber(typed))
                return {"delay: " + quotedText(typed, kEchoLimit) +
                        " is not a whole number; allowed: 0 to 65535"};
            settings_.typeDelay(typed);
            note("delay", limitNote(typed, settings_.delay(), ""));
            return {};
        }
        if (parsed.form != SettingName::PerChannel) return {unknownName(name)};

        const bool isTimeout = equalIgnoringCase(parsed.key, "timeout");
        const auto found =
            std::find_if(kMultiPurposeLayout.begin(), kMultiPurposeLayout.end(),
                         [&](const ChannelSettingInfo& s) { return equalIgnoringCase(s.name, parsed.key); });
        if (!isTimeout && found == kMultiPurposeLayout.end()) return {unknownName(name)};
        const std::string full = "ch" + std::to_string(parsed.channel) + "." +
                                 (isTimeout ? std::string("timeout") : std::string(found->name));

        constexpr int count = MultiPurposeSettings::kChannels;
        if (parsed.channel < 1 || parsed.channel > count)
            return {full + ": the module has channels 1 to 4; allowed: ch1 to ch4"};
        const int channel = static_cast<int>(parsed.channel) - 1;

        if (isTimeout) {
            const std::string_view typed = trimBlanks(value);
            if (!isWholeNumber(typed))
                return {full + ": " + quotedText(typed, kEchoLimit) +
                        " is not a whole number; allowed: 0 to 240 (others are limited)"};
            settings_.chooseChannel(channel);
            settings_.typeTimeout(typed);
            note(full, limitNote(typed, settings_.timeout(channel), " s"));
            return {};
        }
        const auto code = choiceCode(*found, value);
        if (!code)
            return {full + ": " + quotedText(trimBlanks(value), kEchoLimit) +
                    " is not offered; allowed: " + allowedChoices(*found)};
        settings_.chooseChannel(channel);
        settings_.choose(static_cast<MultiPurposeSetting>(found - kMultiPurposeLayout.begin()), *code);
        note(full, {});
        return {};
    }

    std::vector<NamedField> fields() const override {
        std::vector<NamedField> out;
        for (int ch = 0; ch < MultiPurposeSettings::kChannels; ++ch)
            for (const auto& s : kMultiPurposeLayout)
                out.push_back({channelName(ch) + "." + std::string(s.name), inRegister(s.field, ch)});
        out.push_back({"delay", kMultiPurposeDelayField});
        for (int ch = 0; ch < MultiPurposeSettings::kChannels; ++ch)
            out.push_back({channelName(ch) + ".timeout",
                           inRegister(kMultiPurposeTimeoutField, kMultiPurposeTimeoutField.reg + ch)});
        return out;
    }

    CopyUnits copyUnits() const override { return {"ch", MultiPurposeSettings::kChannels}; }

    std::vector<CopyStep> copySteps(int source, int target) const override {
        std::vector<CopyStep> out;
        const std::string prefix = channelName(target) + ".";
        for (std::size_t s = 0; s < kMultiPurposeLayout.size(); ++s)
            out.push_back({prefix + std::string(kMultiPurposeLayout[s].name),
                           std::to_string(settings_.value(static_cast<MultiPurposeSetting>(s), source))});
        out.push_back({prefix + "timeout", std::to_string(settings_.timeout(source))});
        return out;
    }

    int handledCount() const override { return MultiPurposeSettings::kRegisterCount; }

    std::vector<SettingView> settings() const override {
        std::vector<SettingView> out;
        for (int ch = 0; ch < MultiPurposeSettings::kChannels; ++ch) {
            const std::string prefix = channelName(ch) + ".";
            for (std::size_t s = 0; s < kMultiPurposeLayout.size(); ++s) {
                const auto setting = static_cast<MultiPurposeSetting>(s);
                out.push_back({prefix + std::string(kMultiPurposeLayout[s].name),
                               settings_.value(setting, ch), std::string(settings_.text(setting, ch))});
            }
            out.push_back({prefix + "timeout", settings_.timeout(ch), std::to_string(settings_.timeout(ch))});
        }
        out.push_back({"delay", settings_.delay(), std::to_string(settings_.delay())});
        return out;
    }

private:
    // The chosen setting; a typed number that was limited counts as a rule's doing.
    void note(const std::string& setting, std::string limited) {
        const bool byRule = !limited.empty();
        notes_.push_back({setting, true, byRule, std::move(limited)});
    }

    static std::string unknownName(const std::string& name) {
        std::string out = "unknown setting " + quotedText(name, kEchoLimit) + "; allowed: ";
        for (const auto& s : kMultiPurposeLayout) out += "chN." + std::string(s.name) + ", ";
        out += "chN.timeout, delay (N = 1 to 4)";
        return out;
    }
};

} // namespace

std::unique_ptr<ModuleModel> makeMultiPurposeModel() {
    return std::make_unique<MultiPurposeModel>();
}

} // namespace velmora
