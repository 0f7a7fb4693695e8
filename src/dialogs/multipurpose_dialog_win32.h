#pragma once
// The multi-purpose counter dialog (template 138): a binding of its controls
// to MultiPurposeSettings, which holds every rule.

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "dialogs/module_dialog_win32.h"
#include "modules/multipurpose_settings.h"

namespace velmora {

class MultiPurposeDialog final : public ModuleDialog {
public:
    MultiPurposeDialog();

private:
    // command handlers
    void onChannel(int id);
    // A radio button or check box of one of the channel's settings.
    void onSettingButton(int id);
    void onDelayChange(int id);
    void onTimeoutChange(int id);
    void onDefaults(int id);

    // the module dialog frame
    void start(bool synchronised) override;
    void afterStart() override;
    void refreshControls() override;
    bool onCommand(int id, UINT code) override;
    void onOk() override;

    // Sets an entry field's text only when it differs, so the caret stays
    // put while the user types; the change notification of that write is
    // the dialog's own and is not taken as typing.
    void showEntry(int id, const std::string& text);

    static const CommandRow<MultiPurposeDialog> commandMap[];

    MultiPurposeSettings settings_;
    bool writingEntry_ = false;
};

} // namespace velmora
