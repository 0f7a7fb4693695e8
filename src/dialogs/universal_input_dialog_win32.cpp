#include "dialogs/universal_input_dialog_win32.h"

#include <string>

#include "universal_ids.h"

namespace velmora {

namespace {

using namespace universal;

// Buttons of a set have consecutive ids: a code is its id less the first.
static_assert(IDC_UNI_GROUP4 == IDC_UNI_GROUP1 + kGroups - 1);
static_assert(IDC_UNI_TYPE_CJC == IDC_UNI_TYPE_VOLTAGE + kInputTypeCount - 1);

constexpr std::array<int, kRegisters> kRegisterEdits{IDC_UNI_REG1, IDC_UNI_REG2, IDC_UNI_REG3, IDC_UNI_REG4,
                                                     IDC_UNI_REG5, IDC_UNI_REG6, IDC_UNI_REG7, IDC_UNI_REG8};

constexpr bool isList(int id) {
    for (const ListInfo& info : kLists)
        if (static_cast<int>(info.list) == id) return true;
    return false;
}

// The command table sends every id from IDC_UNI_CURRENT to IDC_UNI_FAULT to the list handler.
constexpr bool rangeIsLists() {
    for (int id = IDC_UNI_CURRENT; id <= IDC_UNI_FAULT; ++id)
        if (!isList(id)) return false;
    return true;
}
static_assert(rangeIsLists() && isList(IDC_UNI_RES_WIRING));

} // namespace

UniversalInputDialog::UniversalInputDialog() : ModuleDialog(IDD_UNIVERSAL) {}

bool UniversalInputDialog::onCommand(int id, UINT code) {
    using D = UniversalInputDialog;
    static const CommandRow<D> rows[] = {
        {IDC_UNI_GROUP1, IDC_UNI_GROUP4, BN_CLICKED, &D::onGroup},
        {IDC_UNI_TYPE_VOLTAGE, IDC_UNI_TYPE_CJC, BN_CLICKED, &D::onInputType},
        {IDC_UNI_CURRENT, IDC_UNI_FAULT, LBN_SELCHANGE, &D::onList},
        {IDC_UNI_RES_WIRING, LBN_SELCHANGE, &D::onList},
        {IDC_UNI_DEFAULTS, BN_CLICKED, &D::onDefaults},
    };
    return dispatchCommand(*this, rows, id, code);
}

void UniversalInputDialog::fillLists() {
    // Inserted at their index: the template sorts its lists, the codes do not.
    for (const ListInfo& info : kLists) {
        const int id = static_cast<int>(info.list);
        const auto texts = UniversalSettings::listTexts(info.list);
        for (std::size_t i = 0; i < texts.size(); ++i)
            listInsert(id, static_cast<int>(i), std::string(texts[i]));
    }
}

void UniversalInputDialog::start(bool synchronised) {
    if (!synchronised) {
        settings_.openStandalone();
        return;
    }
    UniversalSettings::Words words{};
    for (int i = 0; i < kRegisters; ++i) words[static_cast<std::size_t>(i)] = editor()->getRegister(i);
    settings_.openSynchronised(words);
}

void UniversalInputDialog::refreshControls() {
    // Every refresh re-encodes, so the edits always show what OK sends.
    settings_.refresh();
    const auto& words = settings_.registers();
    for (int i = 0; i < kRegisters; ++i)
        showWord(kRegisterEdits[static_cast<std::size_t>(i)], words[static_cast<std::size_t>(i)]);

    checkRadio(IDC_UNI_GROUP1, IDC_UNI_GROUP4, IDC_UNI_GROUP1 + settings_.groupOnShow());
    checkRadio(IDC_UNI_TYPE_VOLTAGE, IDC_UNI_TYPE_CJC, IDC_UNI_TYPE_VOLTAGE + settings_.checkedTypeButton());

    for (const ListInfo& info : kLists) {
        const int id = static_cast<int>(info.list);
        listSelect(id, settings_.listSelection(info.list));
        const bool shown = settings_.isListShown(info.list);
        if (isItemVisible(id) != shown) showItem(id, shown);
    }
}

void UniversalInputDialog::onGroup(int id) {
    settings_.chooseGroup(id - IDC_UNI_GROUP1);
    refresh();
}

void UniversalInputDialog::onInputType(int id) {
    settings_.chooseInputType(id - IDC_UNI_TYPE_VOLTAGE);
    refresh();
}

void UniversalInputDialog::onList(int id) {
    // A refused choice (hidden list, no selection) is undone by the refresh.
    settings_.chooseListEntry(static_cast<UniversalList>(id), listSelection(id));
    refresh();
}

void UniversalInputDialog::onDefaults(int) {
    settings_.pressDefaults();
    refresh();
}

void UniversalInputDialog::onOk() {
    settings_.encodeRegisters();
    if (RegisterBlock* block = editor()) {
        const auto& words = settings_.registers();
        for (int i = 0; i < kRegisters; ++i) block->setRegister(i, words[static_cast<std::size_t>(i)]);
    }
    endDialog(IDOK);
}

} // namespace velmora
