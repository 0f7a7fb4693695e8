#pragma once
// The analog input dialog (template 102) of modules 0-3: Reg1-Reg3 shown as
// list selections. It keeps no registers of its own: every selection change
// goes through the analog rules straight into the editor's registers, so OK
// and Cancel only end it. A thin binding of the lists to AnalogInputForm.

#include <memory>

#include "core/catalogue.h"
#include "modules/analog_form.h"
#include "modules/analog_rules.h"
#include "dialogs/module_dialog_win32.h"

namespace velmora {

class AnalogInputDialog final : public ModuleDialog {
public:
    // Kinds 0-3; the kind gives the range lists and whether alarms exist.
    explicit AnalogInputDialog(ModuleKind kind);
    ~AnalogInputDialog() override;

    // The words as the dialog last stored them into the editor.
    const AnalogRules& rules() const { return rules_; }

protected:
    void fillLists() override;
    void start(bool synchronised) override;
    void afterStart() override;
    void refreshControls() override;
    bool onCommand(int id, UINT code) override;

private:
    // Takes the editor's words and shows them as they are.
    void loadFromEditor();
    void storeIntoEditor();

    // command handlers
    void onSelectionChange(int id);
    void onDefaults(int id);
    void onAlarms(int id);

    static const CommandRow<AnalogInputDialog> commandMap[];

    ModuleKind kind_;
    AnalogRules rules_;
    std::unique_ptr<AnalogInputForm> form_;
};

} // namespace velmora
