#pragma once
// The counter dialog (template 137) of the 8- and 4-channel counter modules:
// one channel's settings on show, the module-wide autocycle delay and the
// register words as they follow. A thin binding of the controls to
// CounterSettings.

#include "modules/counter_settings.h"
#include "dialogs/module_dialog_win32.h"

namespace velmora {

class CounterDialog final : public ModuleDialog {
public:
    // 4 for the 4-channel model; any other count builds the 8-channel one.
    explicit CounterDialog(int channels);

    const CounterSettings& settings() const { return settings_; }

protected:
    void start(bool synchronised) override;
    void refreshControls() override;
    bool onCommand(int id, UINT code) override;
    void onOk() override;

private:
    // Caption, hidden channels and registers, display-only register edits.
    void applyModel();

    // command handlers
    void onChannel(int id);
    void onSetting(int id);
    void onDelayChanged(int id);
    void onDefaults(int id);

    CounterSettings settings_;
    // True while the dialog itself writes the delay edit, whose EN_CHANGE is
    // then not the user's typing.
    bool writingDelay_ = false;
};

} // namespace velmora
