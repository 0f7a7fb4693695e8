#include "dialogs/analog_input_dialog_win32.h"

#include <cstddef>

#include "analog_ids.h"
#include "modules/editor_context.h"
#include "dialogs/alarm_dialog_win32.h"

namespace velmora {

namespace {

constexpr std::array<int, 3> kWordEdits{IDC_ANALOG_REG1, IDC_ANALOG_REG2, IDC_ANALOG_REG3};

constexpr int kListCount = static_cast<int>(analogLists.size());

int listId(int list) {
    return analogLists[static_cast<std::size_t>(list)].controlId;
}

// The list of control `id`, -1 for none.
int listOf(int id) {
    for (int list = 0; list < kListCount; ++list)
        if (listId(list) == id) return list;
    return -1;
}

} // namespace

// Every list of template 102 notifies the same handler: the ids from
// IDC_ANALOG_CALIBRATION to IDC_ANALOG_TRIGGER hold nothing else that sends
// LBN_SELCHANGE.
const CommandRow<AnalogInputDialog> AnalogInputDialog::commandMap[] = {
    {IDC_ANALOG_CALIBRATION, IDC_ANALOG_TRIGGER, LBN_SELCHANGE, &AnalogInputDialog::onSelectionChange},
    {IDC_ANALOG_DEFAULTS, BN_CLICKED, &AnalogInputDialog::onDefaults},
    {IDC_ANALOG_ALARMS, BN_CLICKED, &AnalogInputDialog::onAlarms},
};

AnalogInputDialog::AnalogInputDialog(ModuleKind kind)
    : ModuleDialog(IDD_ANALOG_INPUT), kind_(kind), rules_(kind) {
    answerDragIconQuery();
}

AnalogInputDialog::~AnalogInputDialog() = default;

void AnalogInputDialog::loadFromEditor() {
    if (const RegisterBlock* block = editor()) rules_.load(block->registers());
    form_ = std::make_unique<AnalogInputForm>(rules_);
}

void AnalogInputDialog::storeIntoEditor() {
    if (RegisterBlock* block = editor())
        for (int i = 0; i < kRegisterCount; ++i) block->setRegister(i, rules_.word(i));
}

void AnalogInputDialog::fillLists() {
    loadFromEditor();
    for (int list = 0; list < kListCount; ++list) {
        listClear(listId(list));
        int position = 0;
        for (const std::string& entry : form_->entries(list)) listInsert(listId(list), position++, entry);
    }
}

void AnalogInputDialog::start(bool) {
    // No working registers: the lists show the editor's words as they are,
    // read from the host or the editor's defaults, in either run mode.
}

void AnalogInputDialog::afterStart() {
    if (const EditorContext* app = editorContext()) setCaption(analogDialogCaption(app->currentTitle()));
    enableItem(IDC_ANALOG_ALARMS, form_->alarmsEnabled());
    for (int list = 0; list < kListCount; ++list) enableItem(listId(list), form_->isEnabled(list));
}

void AnalogInputDialog::refreshControls() {
    // Each list shows its code as the words now hold it, so a range that the
    // rules corrected shows its new entry; a code without an entry (or a
    // disabled list) shows no selection.
    for (int list = 0; list < kListCount; ++list)
        listSelect(listId(list), form_->positionOfCode(list, form_->code(list)));
    for (int i = 0; i < static_cast<int>(kWordEdits.size()); ++i)
        showWord(kWordEdits[static_cast<std::size_t>(i)], rules_.word(i));
}

bool AnalogInputDialog::onCommand(int id, UINT code) {
    return dispatchCommand(*this, commandMap, id, code);
}

void AnalogInputDialog::onSelectionChange(int id) {
    // The form refuses a disabled list or a position the list lacks; the
    // refresh then puts the list back to what the words hold.
    const int list = listOf(id);
    if (list >= 0 && form_->select(list, listSelection(id))) storeIntoEditor();
    refresh();
}

void AnalogInputDialog::onDefaults(int) {
    form_->pressDefaults();
    storeIntoEditor();
    refresh();
}

void AnalogInputDialog::onAlarms(int) {
    // A disabled button can still be sent a click.
    if (!form_->alarmsEnabled()) return;
    AlarmDialog alarms(kind_);
    alarms.runOver(hwnd());
    // The alarm dialog worked on the editor's words; take them back so the
    // next selection change starts from them.
    loadFromEditor();
    refresh();
}

} // namespace velmora
