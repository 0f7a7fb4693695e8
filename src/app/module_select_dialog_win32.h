#pragma once
// The module list of the standalone mode: the user picks one of the eight
// modules; Cancel (or the close button) ends the run.

#include <windows.h>

#include "framework/dialog.h"

namespace velmora {

class ModuleSelectDialog final : public Dialog {
public:
    ModuleSelectDialog();

private:
    // command handlers
    void onSelectionChange(int id);
    void onDoubleClick(int id);

    // message handlers
    bool onInitDialog() override;
    bool onCommand(int id, UINT code) override;
    void onCancel() override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    static const CommandRow<ModuleSelectDialog> commandMap[];

    HICON bigIcon_;
    HICON smallIcon_;
};

} // namespace velmora
