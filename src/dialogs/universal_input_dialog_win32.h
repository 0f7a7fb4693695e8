#pragma once
// The universal input dialog (template 136): four channel groups, one shown
// at a time, each with its input type and the lists that type uses. A thin
// binding of the controls to UniversalSettings.

#include "dialogs/module_dialog_win32.h"
#include "modules/universal_settings.h"

namespace velmora {

class UniversalInputDialog final : public ModuleDialog {
public:
    UniversalInputDialog();

    // What the dialog holds; tests and the frame read it.
    const UniversalSettings& settings() const { return settings_; }

protected:
    void fillLists() override;
    void start(bool synchronised) override;
    void refreshControls() override;
    bool onCommand(int id, UINT code) override;
    void onOk() override;

private:
    // command handlers
    void onGroup(int id);
    void onInputType(int id);
    void onList(int id);
    void onDefaults(int id);

    UniversalSettings settings_;
};

} // namespace velmora
