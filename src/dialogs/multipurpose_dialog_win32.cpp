#include "dialogs/multipurpose_dialog_win32.h"

#include <cstddef>

#include "multipurpose_ids.h"

namespace velmora {

namespace {

using Setting = MultiPurposeSetting;

constexpr const ChannelSettingInfo& info(Setting setting) {
    return multiPurposeInfo(setting);
}

constexpr int lastControl(Setting setting) {
    return info(setting).kind == ControlKind::CheckBox
               ? info(setting).firstControl
               : info(setting).firstControl + static_cast<int>(info(setting).texts.size()) - 1;
}

// Buttons of a set have consecutive ids: a code is its id less the first.
static_assert(lastControl(Setting::Range) == IDC_MP_RANGE_AC &&
              lastControl(Setting::Gate) == IDC_MP_GATE_24V &&
              lastControl(Setting::Size) == IDC_MP_SIZE_24BIT);

constexpr std::array<int, MultiPurposeSettings::kRegisterCount> kRegisterEdits{
    IDC_MP_REG1, IDC_MP_REG2, IDC_MP_REG3, IDC_MP_REG4, IDC_MP_REG5,
    IDC_MP_REG6, IDC_MP_REG7, IDC_MP_REG8, IDC_MP_REG9};
constexpr int kLastChannelButton = IDC_MP_CHANNEL1 + MultiPurposeSettings::kChannels - 1;

} // namespace

const CommandRow<MultiPurposeDialog> MultiPurposeDialog::commandMap[] = {
    {IDC_MP_CHANNEL1, kLastChannelButton, BN_CLICKED, &MultiPurposeDialog::onChannel},
    {IDC_MP_RANGE_5V, IDC_MP_RANGE_AC, BN_CLICKED, &MultiPurposeDialog::onSettingButton},
    {IDC_MP_GATE_5V, IDC_MP_GATE_24V, BN_CLICKED, &MultiPurposeDialog::onSettingButton},
    {IDC_MP_DIGITAL_FILTER, IDC_MP_ANALOG_FILTER, BN_CLICKED, &MultiPurposeDialog::onSettingButton},
    {IDC_MP_SIZE_16BIT, IDC_MP_SIZE_24BIT, BN_CLICKED, &MultiPurposeDialog::onSettingButton},
    {IDC_MP_DELAY, EN_CHANGE, &MultiPurposeDialog::onDelayChange},
    {IDC_MP_TIMEOUT, EN_CHANGE, &MultiPurposeDialog::onTimeoutChange},
    {IDC_MP_DEFAULTS, BN_CLICKED, &MultiPurposeDialog::onDefaults},
};

MultiPurposeDialog::MultiPurposeDialog() : ModuleDialog(IDD_MULTIPURPOSE) {
    // The framework paints this dialog, minimised or not.
    setPaintsIcon(false);
}

bool MultiPurposeDialog::onCommand(int id, UINT code) {
    return dispatchCommand(*this, commandMap, id, code);
}

void MultiPurposeDialog::start(bool synchronised) {
    if (synchronised) {
        MultiPurposeSettings::Registers words{};
        for (int i = 0; i < MultiPurposeSettings::kRegisterCount; ++i)
            words[static_cast<std::size_t>(i)] = editor()->getRegister(i);
        settings_.load(words);
    } else {
        // Standalone: what the object holds since construction, the defaults.
        settings_.encodeRegisters();
    }
}

void MultiPurposeDialog::afterStart() {
    for (int id : kRegisterEdits) enableItem(id, false);
}

void MultiPurposeDialog::refreshControls() {
    const MultiPurposeSettings::Registers& words = settings_.registers();
    for (std::size_t i = 0; i < words.size(); ++i) showWord(kRegisterEdits[i], words[i]);

    checkRadio(IDC_MP_CHANNEL1, kLastChannelButton, IDC_MP_CHANNEL1 + settings_.currentChannel());
    for (Setting setting : {Setting::Range, Setting::Gate, Setting::Size}) {
        const int code = settings_.current(setting);
        // A code without a button (gate 3) leaves its whole set clear.
        const int button = settings_.hasButton(setting, code) ? info(setting).firstControl + code : -1;
        checkRadio(info(setting).firstControl, lastControl(setting), button);
    }
    checkItem(IDC_MP_ANALOG_FILTER, settings_.current(Setting::AnalogFilter) != 0);
    checkItem(IDC_MP_DIGITAL_FILTER, settings_.current(Setting::DigitalFilter) != 0);

    showEntry(IDC_MP_DELAY, settings_.delayEditText());
    showEntry(IDC_MP_TIMEOUT, settings_.timeoutEditText());
}

void MultiPurposeDialog::showEntry(int id, const std::string& text) {
    if (itemText(id) == text) return;
    writingEntry_ = true;
    setItemText(id, text);
    writingEntry_ = false;
}

void MultiPurposeDialog::onChannel(int id) {
    settings_.chooseChannel(id - IDC_MP_CHANNEL1);
    refresh();
}

void MultiPurposeDialog::onSettingButton(int id) {
    for (std::size_t s = 0; s < kMultiPurposeSettingCount; ++s) {
        const auto setting = static_cast<Setting>(s);
        if (id < info(setting).firstControl || id > lastControl(setting)) continue;
        if (info(setting).kind == ControlKind::CheckBox)
            settings_.choose(setting, isItemChecked(id) ? 1 : 0);
        else
            settings_.choose(setting, id - info(setting).firstControl);
        break;
    }
    // Also after a refused choice: the automatic buttons may have cleared
    // the other sets.
    refresh();
}

void MultiPurposeDialog::onDelayChange(int) {
    if (writingEntry_) return;
    settings_.typeDelay(itemText(IDC_MP_DELAY));
    refresh();
}

void MultiPurposeDialog::onTimeoutChange(int) {
    if (writingEntry_) return;
    settings_.typeTimeout(itemText(IDC_MP_TIMEOUT));
    refresh();
}

void MultiPurposeDialog::onDefaults(int) {
    settings_.pressDefaults();
    refresh();
}

void MultiPurposeDialog::onOk() {
    settings_.encodeRegisters();
    if (RegisterBlock* block = editor()) {
        MultiPurposeSettings::Registers words{};
        settings_.writeRegisters(words);
        for (std::size_t i = 0; i < words.size(); ++i) block->setRegister(static_cast<int>(i), words[i]);
    }
    endDialog(IDOK);
}

} // namespace velmora
