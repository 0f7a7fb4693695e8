#pragma once
// The analog input modules (kinds 0-3) as the command-line tool drives them.
// Names: gN.range, gN.format, gN.filter, gN.acquisition (N = group 1-4),
// calibration, trigger, timestamp; on the alarm model also reg4 .. reg19, the
// alarm setpoints in engineering units.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "modules/analog_form.h"
#include "modules/analog_rules.h"
#include "cli/module_model.h"

namespace velmora {

// Shown instead of units for a setpoint whose group's range has no scaling row.
inline constexpr std::string_view kNoScalingText = "(no scaling)";

class AnalogModel : public ModuleModel {
public:
    // Starts standalone.
    explicit AnalogModel(int kind);

    void startStandalone() override;
    void startSynchronised(const RegisterWords& words) override;
    void pressDefaults() override;
    // A list setting takes a code (range: 0-5) or an entry text, any case,
    // blanks around it ignored, and acts as that selection in the dialog. A
    // setpoint takes a decimal number, typed into its field; the field then
    // loses the focus and the alarm dialog's OK is pressed.
    ActionResult apply(const std::string& name, const std::string& value) override;
    RegisterWords finish() override;
    int handledCount() const override;
    std::vector<SettingView> settings() const override;
    RegisterWords currentWords() const override;
    std::vector<SettingNote> lastNotes() const override { return notes_; }
    std::vector<NamedField> fields() const override;
    CopyUnits copyUnits() const override { return {"g", kAnalogGroups}; }
    std::vector<CopyStep> copySteps(int source, int target) const override;

    // Reg4-Reg19 in engineering units; nullopt where the group has no scaling row.
    std::array<std::optional<double>, kAlarmSetpoints> setpointUnits() const;
    const AnalogRules& rules() const { return rules_; }

private:
    void start(const RegisterWords& words);
    ActionResult applyList(int list, const std::string& name, const std::string& value);
    ActionResult applySetpoint(int setpoint, const std::string& name, const std::string& value);
    std::string settingNames() const;
    std::string enabledSettingNames() const;
    // Why each setting other than `chosen` changed since `before`.
    void noteRules(const std::vector<SettingView>& before, const std::string& chosen);

    int kind_;
    AnalogRules rules_;
    std::unique_ptr<AnalogInputForm> form_;
    RegisterWords startWords_{};
    std::vector<AlarmWordEffect> trace_;
    std::vector<SettingNote> notes_;
};

// Null for a kind outside 0-3.
std::unique_ptr<ModuleModel> makeAnalogModel(int kind);

} // namespace velmora
