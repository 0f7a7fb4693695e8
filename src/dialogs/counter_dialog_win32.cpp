#include "dialogs/counter_dialog_win32.h"

#include <string>

#include "counter_ids.h"

namespace velmora {

namespace {

// Buttons of a set have consecutive ids: a code is its id less the first.
static_assert(IDC_CNT_CHANNEL8 == IDC_CNT_CHANNEL1 + CounterSettings::kMaxChannels - 1);
static_assert(IDC_CNT_RANGE_AC == IDC_CNT_RANGE_5V + 3 && IDC_CNT_MODE_QUAD4X == IDC_CNT_MODE_UNI + 3 &&
              IDC_CNT_SIZE_24 == IDC_CNT_SIZE_16 + 1 && IDC_CNT_RATE_01HZ == IDC_CNT_RATE_1HZ + 1);

constexpr std::array<int, CounterSettings::kRegisterCount> kRegisterEdits{
    IDC_CNT_REG1, IDC_CNT_REG2, IDC_CNT_REG3, IDC_CNT_REG4, IDC_CNT_REG5,
    IDC_CNT_REG6, IDC_CNT_REG7, IDC_CNT_REG8, IDC_CNT_REG9};
// The label of register index 4 + k is kRegisterLabels[k].
constexpr std::array<int, 5> kRegisterLabels{IDC_CNT_REG5_LABEL, IDC_CNT_REG6_LABEL, IDC_CNT_REG7_LABEL,
                                             IDC_CNT_REG8_LABEL, IDC_CNT_REG9_LABEL};
constexpr int kFirstLabelledRegister = 4;

// How many controls a setting has: a button per code, or one check box.
int controlCount(const ChannelSettingInfo& info) {
    return info.kind == ControlKind::RadioSet ? static_cast<int>(info.texts.size()) : 1;
}

} // namespace

CounterDialog::CounterDialog(int channels) : ModuleDialog(IDD_COUNTER), settings_(channels) {}

bool CounterDialog::onCommand(int id, UINT code) {
    using D = CounterDialog;
    static const CommandRow<D> rows[] = {
        {IDC_CNT_CHANNEL1, IDC_CNT_CHANNEL8, BN_CLICKED, &D::onChannel},
        {IDC_CNT_RANGE_5V, IDC_CNT_SIZE_24, BN_CLICKED, &D::onSetting},
        {IDC_CNT_DIGITAL_FILTER, IDC_CNT_ANALOG_FILTER, BN_CLICKED, &D::onSetting},
        {IDC_CNT_RATE_1HZ, IDC_CNT_RATE_01HZ, BN_CLICKED, &D::onSetting},
        {IDC_CNT_DELAY, EN_CHANGE, &D::onDelayChanged},
        {IDC_CNT_DEFAULTS, BN_CLICKED, &D::onDefaults},
    };
    return dispatchCommand(*this, rows, id, code);
}

void CounterDialog::applyModel() {
    setCaption(std::string(settings_.caption()));
    SendDlgItemMessageA(hwnd(), IDC_CNT_DELAY, EM_LIMITTEXT, CounterSettings::kDelayTextLimit, 0);
    for (int i = 0; i < CounterSettings::kMaxChannels; ++i)
        showItem(IDC_CNT_CHANNEL1 + i, settings_.channelShown(i));
    for (int i = 0; i < CounterSettings::kRegisterCount; ++i) {
        const int edit = kRegisterEdits[static_cast<std::size_t>(i)];
        showItem(edit, settings_.registerShown(i));
        // They show words only; nothing is read back from them.
        enableItem(edit, false);
    }
    for (std::size_t k = 0; k < kRegisterLabels.size(); ++k)
        showItem(kRegisterLabels[k], settings_.registerShown(kFirstLabelledRegister + static_cast<int>(k)));
}

void CounterDialog::start(bool synchronised) {
    applyModel();
    if (!synchronised) {
        settings_.encodeRegisters();
        return;
    }
    CounterSettings::Registers words{};
    for (int i = 0; i < CounterSettings::kRegisterCount; ++i)
        words[static_cast<std::size_t>(i)] = editor()->getRegister(i);
    settings_.load(words);
}

void CounterDialog::refreshControls() {
    const auto& words = settings_.registers();
    for (int i = 0; i < CounterSettings::kRegisterCount; ++i)
        if (settings_.registerShown(i))
            showWord(kRegisterEdits[static_cast<std::size_t>(i)], words[static_cast<std::size_t>(i)]);

    // Rewriting the text the user is typing would put the caret back at the
    // start, so only a different text is written.
    const std::string delay = settings_.delayEditText();
    if (itemText(IDC_CNT_DELAY) != delay) {
        writingDelay_ = true;
        setItemText(IDC_CNT_DELAY, delay);
        writingDelay_ = false;
    }

    // Each button is a group of its own: every set is set whole.
    checkRadio(IDC_CNT_CHANNEL1, IDC_CNT_CHANNEL1 + settings_.channelCount() - 1,
               IDC_CNT_CHANNEL1 + settings_.currentChannel());
    for (std::size_t s = 0; s < kCounterSettingCount; ++s) {
        const auto setting = static_cast<CounterSetting>(s);
        const ChannelSettingInfo& info = kCounterLayout[s];
        const int value = settings_.current(setting);
        const bool enabled = settings_.isEnabled(setting);
        const int count = controlCount(info);
        for (int k = 0; k < count; ++k) {
            const int id = info.firstControl + k;
            checkItem(id, info.kind == ControlKind::RadioSet ? value == k : value != 0);
            enableItem(id, enabled);
        }
    }
}

void CounterDialog::onChannel(int id) {
    settings_.chooseChannel(id - IDC_CNT_CHANNEL1);
    refresh();
}

void CounterDialog::onSetting(int id) {
    for (std::size_t s = 0; s < kCounterSettingCount; ++s) {
        const ChannelSettingInfo& info = kCounterLayout[s];
        const int k = id - info.firstControl;
        if (k < 0 || k >= controlCount(info)) continue;
        const int code = info.kind == ControlKind::RadioSet ? k : (isItemChecked(id) ? 1 : 0);
        // Refused for a disabled control; the refresh then undoes the click.
        settings_.choose(static_cast<CounterSetting>(s), code);
        break;
    }
    refresh();
}

void CounterDialog::onDelayChanged(int) {
    if (writingDelay_) return;
    settings_.typeDelay(itemText(IDC_CNT_DELAY));
    refresh();
}

void CounterDialog::onDefaults(int) {
    settings_.pressDefaults();
    refresh();
}

void CounterDialog::onOk() {
    settings_.encodeRegisters();
    if (RegisterBlock* block = editor()) {
        CounterSettings::Registers words{};
        settings_.writeRegisters(words);
        for (int i = 0; i < settings_.handledCount(); ++i)
            block->setRegister(i, words[static_cast<std::size_t>(i)]);
    }
    endDialog(IDOK);
}

} // namespace velmora
