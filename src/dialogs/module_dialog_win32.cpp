#include "dialogs/module_dialog_win32.h"

#include <cstdio>

#include "core/text.h"
#include "resource.h"
#include "modules/editor_context.h"

namespace velmora {

ModuleDialog::ModuleDialog(int templateId)
    : Dialog(templateId), bigIcon_(loadIcon(IDI_VELMORA, false)), smallIcon_(loadIcon(IDI_VELMORA, true)) {}

int ModuleDialog::runModal() {
    return static_cast<int>(Dialog::runModal(nullptr));
}

bool ModuleDialog::onInitDialog() {
    setIcons(bigIcon_, smallIcon_);
    EditorContext* app = editorContext();
    editor_ = app ? app->currentEditor() : nullptr;
    fillLists();
    start(app && app->isHostSynchronised() && editor_);
    refresh();
    afterStart();
    present();
    return true;
}

void ModuleDialog::refresh() {
    const HWND focus = GetFocus();
    refreshControls();
    if (focus && IsWindow(focus) && IsWindowEnabled(focus)) SetFocus(focus);
}

void ModuleDialog::showWord(int editId, std::uint16_t word) {
    // Only a changed text is set, so that an unchanged field does not flicker.
    const std::string text = wordText(word);
    if (itemText(editId) != text) setItemText(editId, text);
}

bool ModuleDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && paintsIcon_) return paintIconic(bigIcon_);
    return Dialog::onMessage(message, wParam, lParam);
}

} // namespace velmora
