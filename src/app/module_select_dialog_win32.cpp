#include "app/module_select_dialog_win32.h"

#include <string>

#include "resource.h"
#include "app/app_services.h"
#include "core/catalogue.h"

namespace velmora {

const CommandRow<ModuleSelectDialog> ModuleSelectDialog::commandMap[] = {
    {IDC_MODULE_LIST, LBN_SELCHANGE, &ModuleSelectDialog::onSelectionChange},
    {IDC_MODULE_LIST, LBN_DBLCLK, &ModuleSelectDialog::onDoubleClick},
};

ModuleSelectDialog::ModuleSelectDialog()
    : Dialog(IDD_MODULE_SELECT), bigIcon_(loadIcon(IDI_VELMORA, false)),
      smallIcon_(loadIcon(IDI_VELMORA, true)) {
    setDragIcon(bigIcon_);
}

bool ModuleSelectDialog::onInitDialog() {
    setIcons(bigIcon_, smallIcon_);
    for (int kind = 0; kind < kModuleCount; ++kind)
        listInsert(IDC_MODULE_LIST, kind, std::string(ModuleCatalogue[kind].listName));
    // LB_SETCURSEL notifies nobody, so this does not select the module again.
    if (const AppServices* app = theApp()) listSelect(IDC_MODULE_LIST, app->moduleIndex());
    present();
    return true;
}

bool ModuleSelectDialog::onCommand(int id, UINT code) {
    return dispatchCommand(*this, commandMap, id, code);
}

void ModuleSelectDialog::onSelectionChange(int) {
    if (AppServices* app = theApp()) app->selectModule(listSelection(IDC_MODULE_LIST));
}

void ModuleSelectDialog::onDoubleClick(int id) {
    onSelectionChange(id);
    onOk();
}

void ModuleSelectDialog::onCancel() {
    if (AppServices* app = theApp()) {
        app->lockState();
        app->setRunMode(RunMode::Quit);
        app->unlockState();
    }
    endDialog(IDCANCEL);
}

bool ModuleSelectDialog::onMessage(UINT message, WPARAM, LPARAM) {
    return message == WM_PAINT && paintIconic(bigIcon_);
}

} // namespace velmora
