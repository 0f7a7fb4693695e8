#include "dialogs/alarm_dialog_win32.h"

#include <cstddef>
#include <utility>

#include "analog_ids.h"
#include "modules/editor_context.h"

namespace velmora {

namespace {

// The command table sends each row's value edits as one id range.
static_assert(IDC_ALARM_MIN8_VALUE == IDC_ALARM_MIN1_VALUE + 7 &&
              IDC_ALARM_MAX8_VALUE == IDC_ALARM_MAX1_VALUE + 7);

const AlarmSetpointControls& controls(int setpoint) {
    return alarmSetpointControls[static_cast<std::size_t>(setpoint)];
}

} // namespace

const CommandRow<AlarmDialog> AlarmDialog::commandMap[] = {
    {IDC_ALARM_MAX1_VALUE, IDC_ALARM_MAX8_VALUE, EN_KILLFOCUS, &AlarmDialog::onValueLostFocus},
    {IDC_ALARM_MIN1_VALUE, IDC_ALARM_MIN8_VALUE, EN_KILLFOCUS, &AlarmDialog::onValueLostFocus},
    {IDC_ALARM_DEFAULTS, BN_CLICKED, &AlarmDialog::onDefaults},
};

AlarmDialog::AlarmDialog(ModuleKind kind) : ModuleDialog(IDD_ALARM_LIMITS), kind_(kind), rules_(kind) {
    answerDragIconQuery();
}

AlarmDialog::~AlarmDialog() = default;

int AlarmDialog::runOver(HWND owner) {
    return static_cast<int>(Dialog::runModal(owner));
}

void AlarmDialog::start(bool) {
    // The setpoints are the editor's, whatever the run mode.
    ending_ = false;
    if (const RegisterBlock* block = editor()) rules_.load(block->registers());
    alarms_ = std::make_unique<AlarmEditor>(rules_);
}

void AlarmDialog::afterStart() {
    if (const EditorContext* app = editorContext()) setCaption(alarmDialogCaption(app->currentTitle()));
}

void AlarmDialog::storeIntoEditor() {
    if (RegisterBlock* block = editor())
        for (int i = 0; i < kRegisterCount; ++i) block->setRegister(i, rules_.word(i));
}

void AlarmDialog::refreshControls() {
    for (int s = 0; s < kAlarmSetpoints; ++s) {
        const AlarmEditor::Fields& fields = alarms_->fields(s);
        const AlarmSetpointControls& c = controls(s);
        // Only changed texts are set: an unchanged field keeps its caret.
        for (const auto& [id, text] :
             {std::pair{c.valueEdit, &fields.value}, std::pair{c.hexEdit, &fields.hex},
              std::pair{c.textEdit, &fields.kind}})
            if (itemText(id) != *text) setItemText(id, *text);
        // A group without scaling (range code 6 or 7) shows its word only.
        const HWND value = item(c.valueEdit);
        SendMessageA(value, EM_SETREADONLY, alarms_->isScaled(s) ? FALSE : TRUE, 0);
        // Whole text selected, so a field reached by Enter is ready to be overtyped.
        SendMessageA(value, EM_SETSEL, 0, -1);
        SendMessageA(value, EM_SCROLLCARET, 0, 0);
    }
}

bool AlarmDialog::onCommand(int id, UINT code) {
    return dispatchCommand(*this, commandMap, id, code);
}

void AlarmDialog::onValueLostFocus(int) {
    if (ending_ || !alarms_) return;
    for (int s = 0; s < kAlarmSetpoints; ++s) alarms_->type(s, itemText(controls(s).valueEdit));
    alarms_->focusLost();
    storeIntoEditor();
    // Not refresh(): the focus is on its way to another control, and taking
    // it back here would undo the move.
    refreshControls();
}

void AlarmDialog::onDefaults(int) {
    alarms_->pressDefaults();
    storeIntoEditor();
    refresh();
}

void AlarmDialog::onOk() {
    const HWND focus = GetFocus();
    if (focus && focus == item(IDOK)) {
        ending_ = true;
        alarms_->commit();
        storeIntoEditor();
        endDialog(IDOK);
        return;
    }
    // Enter in a field: the dialog stays, and the field left reads itself back.
    const int from = focus && IsChild(hwnd(), focus) ? GetDlgCtrlID(focus) : 0;
    if (const int next = AlarmEditor::nextFocus(from))
        focusItem(next);
    else
        SetFocus(hwnd());
}

void AlarmDialog::onCancel() {
    ending_ = true;
    alarms_->cancel();
    storeIntoEditor();
    endDialog(IDCANCEL);
}

} // namespace velmora
