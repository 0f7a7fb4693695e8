#pragma once
// The alarm setpoint dialog (template 134) of module 3, opened from the
// analog input dialog's Alarms button: the sixteen setpoints Reg4-Reg19, each
// as engineering value, word and range/format text. Values are read back when
// a value field loses the focus; Enter moves between the value fields; Cancel
// puts Reg1-Reg19 back exactly. A thin binding of the edits to AlarmEditor.

#include <windows.h>

#include <memory>

#include "core/catalogue.h"
#include "modules/alarm_setpoints.h"
#include "modules/analog_rules.h"
#include "dialogs/module_dialog_win32.h"

namespace velmora {

class AlarmDialog final : public ModuleDialog {
public:
    // The kind of the editor's module: it decides what normalizing keeps.
    explicit AlarmDialog(ModuleKind kind = 3);
    ~AlarmDialog() override;

    // Runs modally over `owner` (the analog input dialog), which stays
    // disabled meanwhile, so its ranges cannot change under the setpoints.
    int runOver(HWND owner);

protected:
    void start(bool synchronised) override;
    void afterStart() override;
    void refreshControls() override;
    bool onCommand(int id, UINT code) override;
    // OK commits only from the OK button itself; Enter in a field moves on.
    void onOk() override;
    void onCancel() override;

private:
    void storeIntoEditor();

    // command handlers
    void onValueLostFocus(int id);
    void onDefaults(int id);

    static const CommandRow<AlarmDialog> commandMap[];

    ModuleKind kind_;
    AnalogRules rules_;
    std::unique_ptr<AlarmEditor> alarms_;
    // Set once the dialog is ending: the focus leaving a field then (as the
    // window goes) must not read the fields back over a restored Cancel.
    bool ending_ = false;
};

} // namespace velmora
