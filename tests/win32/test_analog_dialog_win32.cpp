// The analog input dialog of modules 0-3, created from its real template and
// driven by real messages: list selections, button clicks, notifications no
// user could make, the alarm dialog run over it; checked against its lists,
// its word fields and the editor's registers.

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "../../resources/analog_ids.h"
#include "dialogs/analog_input_dialog_win32.h"
#include "modules/analog_rules.h"
#include "dialogs/dialog_factory_win32.h"
#include "modules/module_editors.h"
#include "win32/fake_app_services.h"
#include "win32/module_dialog_fixture.h"
#include "win32/window_shot.h"

namespace velmora {
namespace {

using testing::click;
using testing::EditorApp;
using testing::hex;
using testing::notify;
using testing::selectInList;
using testing::TestEditor;
using Host = std::vector<std::pair<int, std::uint16_t>>; // register index, word
using Texts = std::vector<std::string>;

const Texts kVoltage{"-10V to +10V", "1V to 5V", "0V to 5V", "0V to 10V"};
const Texts kCurrent{"0ma to 20ma", "4ma to 20ma"};
const Texts kAll{"-10V to +10V", "1V to 5V", "0V to 5V", "0V to 10V", "0ma to 20ma", "4ma to 20ma"};

constexpr std::array<int, 4> kRanges{IDC_ANALOG_RANGE1, IDC_ANALOG_RANGE2, IDC_ANALOG_RANGE3,
                                     IDC_ANALOG_RANGE4};
constexpr std::array<int, 4> kFormats{IDC_ANALOG_FORMAT1, IDC_ANALOG_FORMAT2, IDC_ANALOG_FORMAT3,
                                      IDC_ANALOG_FORMAT4};
constexpr std::array<int, 4> kFilters{IDC_ANALOG_FILTER1, IDC_ANALOG_FILTER2, IDC_ANALOG_FILTER3,
                                      IDC_ANALOG_FILTER4};
constexpr std::array<int, 4> kAcquisitions{IDC_ANALOG_ACQUISITION1, IDC_ANALOG_ACQUISITION2,
                                           IDC_ANALOG_ACQUISITION3, IDC_ANALOG_ACQUISITION4};

class AnalogDialogTest : public ::testing::Test {
protected:
    // The editor as the run cycle hands it over: the model's default words,
    // with the host's words over them.
    void open(ModuleKind kind, const Host& host = {}, bool synchronised = true) {
        dialog.reset();
        app.reset();
        testing::loadWords(editor, AnalogRules(kind).words());
        for (const auto& [index, word] : host) editor.setRegister(index, word);
        opened = editor.registers();
        app = std::make_unique<EditorApp>(editor, synchronised, "KTR-ZCI-312-00VM");
        dialog = std::make_unique<AnalogInputDialog>(kind);
        ASSERT_TRUE(dialog->createModeless());
    }

    HWND window() const { return dialog->hwnd(); }
    std::string text(int id) const { return dialog->itemText(id); }
    int selection(int id) const { return dialog->listSelection(id); }
    Texts entries(int id) const {
        Texts texts;
        for (int i = 0; i < dialog->listCount(id); ++i) texts.push_back(dialog->listText(id, i));
        return texts;
    }
    void select(int id, int position) { selectInList(window(), id, position); }
    std::uint16_t reg(int index) const { return editor.getRegister(index); }
    // The three word fields and Reg1-Reg3 of the editor both hold these words.
    void expectWords(std::uint16_t reg1, std::uint16_t reg2, std::uint16_t reg3) {
        EXPECT_EQ(text(IDC_ANALOG_REG1), hex(reg1));
        EXPECT_EQ(text(IDC_ANALOG_REG2), hex(reg2));
        EXPECT_EQ(text(IDC_ANALOG_REG3), hex(reg3));
        EXPECT_EQ(hex(reg(0)), hex(reg1));
        EXPECT_EQ(hex(reg(1)), hex(reg2));
        EXPECT_EQ(hex(reg(2)), hex(reg3));
    }

    TestEditor editor{19};
    std::array<std::uint16_t, 24> opened{};
    std::unique_ptr<EditorApp> app;
    std::unique_ptr<AnalogInputDialog> dialog;
};

TEST_F(AnalogDialogTest, EachModelFillsItsListsByPositionAndShowsItsDefaults) {
    struct Case {
        ModuleKind kind;
        Texts ranges;
        Texts triggers;
        bool alarms;
        std::uint16_t reg1;
    };
    const Case cases[] = {
        {0, kVoltage, {"Disabled", "Disabled"}, false, 0x2000},
        {1, kCurrent, {"Disabled", "Disabled"}, false, 0x2924},
        {2, kAll, {"Disabled", "Disabled"}, false, 0x2000},
        {3, kAll, {"Scrolling Trigger", "Latched Trigger"}, true, 0x2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        open(c.kind);
        EXPECT_EQ(dialog->caption(), " Configuring KTR-ZCI-312-00VM");
        for (int g = 0; g < 4; ++g) {
            EXPECT_EQ(entries(kRanges[g]), c.ranges);
            EXPECT_EQ(entries(kFormats[g]), (Texts{"16 Bit", "DVM", "12 Bit", "15 Bit"}));
            EXPECT_EQ(entries(kFilters[g]), (Texts{"10 Hz", "50 Hz", "60 Hz", "1000 Hz"}));
            EXPECT_EQ(entries(kAcquisitions[g]), (Texts{"Single Ended", "Differential"}));
            // "-10V to +10V" on the voltage models, "0ma to 20ma" on module 1: position 0.
            EXPECT_EQ(selection(kRanges[g]), 0);
            EXPECT_EQ(selection(kFormats[g]), 1);
            EXPECT_EQ(selection(kFilters[g]), 2);
            EXPECT_EQ(selection(kAcquisitions[g]), 0);
        }
        EXPECT_EQ(entries(IDC_ANALOG_CALIBRATION), (Texts{"Once at Power On", "Once a minute",
                                                          "Once every 10 minutes", "Once every 30 minutes"}));
        EXPECT_EQ(selection(IDC_ANALOG_CALIBRATION), 2);
        EXPECT_EQ(entries(IDC_ANALOG_TRIGGER), c.triggers);
        EXPECT_EQ(entries(IDC_ANALOG_TIMESTAMP), (Texts{"Disabled", "Enabled"}));
        EXPECT_EQ(selection(IDC_ANALOG_TRIGGER), c.alarms ? 0 : LB_ERR);
        EXPECT_EQ(selection(IDC_ANALOG_TIMESTAMP), c.alarms ? 0 : LB_ERR);
        for (int id : {IDC_ANALOG_ALARMS, IDC_ANALOG_TRIGGER, IDC_ANALOG_TIMESTAMP})
            EXPECT_EQ(dialog->isItemEnabled(id), c.alarms) << id;
        expectWords(c.reg1, 0x2A92, 0x8205);
        EXPECT_EQ(editor.registers(), opened) << "showing stores nothing";
    }
}

TEST_F(AnalogDialogTest, EveryListWritesItsFieldThroughTheRulesAndShowsTheWords) {
    struct Case {
        const char* name;
        int list;
        int position;
        std::uint16_t reg1, reg2, reg3;
        int group;                           // whose alarm words change, -1 for none
        std::array<std::uint16_t, 4> alarms; // min, max, min, max
    };
    const Case cases[] = {
        {"range 4ma to 20ma",
         IDC_ANALOG_RANGE1,
         5,
         0x2005,
         0x2A92,
         0x8205,
         0,
         {0x0190, 0x03E8, 0x0190, 0x03E8}},
        {"format 16 Bit", IDC_ANALOG_FORMAT1, 0, 0x2000, 0x2892, 0x8205, 0, {0x0000, 0xFFFF, 0x0000, 0xFFFF}},
        {"format 15 Bit", IDC_ANALOG_FORMAT4, 3, 0x2000, 0x2A92, 0x8207, 3, {0x8001, 0x7FFF, 0x8001, 0x7FFF}},
        {"filter 10 Hz", IDC_ANALOG_FILTER1, 0, 0x0000, 0x2A92, 0x8205, -1, {}},
        {"filter 1000 Hz", IDC_ANALOG_FILTER4, 3, 0x2000, 0x2AD2, 0x8205, -1, {}},
        {"differential", IDC_ANALOG_ACQUISITION4, 1, 0x2000, 0x2A92, 0x8285, -1, {}},
        {"calibration", IDC_ANALOG_CALIBRATION, 3, 0x2000, 0x2A92, 0x8305, -1, {}},
        {"latched trigger", IDC_ANALOG_TRIGGER, 1, 0x2000, 0x2A92, 0x820D, -1, {}},
        {"time stamping enabled", IDC_ANALOG_TIMESTAMP, 1, 0x2000, 0x2A92, 0x8201, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(3);
        select(c.list, c.position);
        expectWords(c.reg1, c.reg2, c.reg3);
        EXPECT_EQ(selection(c.list), c.position);
        for (int i = 3; i < 19; ++i) {
            const int group = (i - 3) / 4;
            const std::uint16_t expected = group == c.group ? c.alarms[static_cast<std::size_t>((i - 3) % 4)]
                                                            : opened[static_cast<std::size_t>(i)];
            EXPECT_EQ(hex(reg(i)), hex(expected)) << "Reg" << i + 1;
        }
    }
}

TEST_F(AnalogDialogTest, RangesOfAKindTheModelLacksAreCorrectedAtTheFirstChange) {
    struct Case {
        const char* name;
        ModuleKind kind;
        std::uint16_t hostReg1;
        int list;           // the group's range list
        int list2Entries;   // entries of the range lists
        std::uint16_t reg1; // after the first change
    };
    const Case cases[] = {
        {"module 1, voltage range in group1", 1, 0x2920, IDC_ANALOG_RANGE1, 2, 0x2924},
        {"module 0, current range in group3", 0, 0x2140, IDC_ANALOG_RANGE3, 4, 0x2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.kind, {{0, c.hostReg1}});
        EXPECT_EQ(dialog->listCount(c.list), c.list2Entries);
        EXPECT_EQ(selection(c.list), LB_ERR) << "a code the list lacks selects nothing";
        EXPECT_EQ(text(IDC_ANALOG_REG1), hex(c.hostReg1)) << "shown as the host gave it";

        select(IDC_ANALOG_FILTER2, 1); // any change elsewhere
        EXPECT_EQ(reg(0), c.reg1);
        EXPECT_EQ(text(IDC_ANALOG_REG1), hex(c.reg1));
        EXPECT_EQ(selection(c.list), 0);
        EXPECT_EQ(dialog->listText(c.list, 0), c.kind == 1 ? "0ma to 20ma" : "-10V to +10V");
    }
}

TEST_F(AnalogDialogTest, Reg3Bit15IsKeptAsTheHostGaveIt) {
    for (const std::uint16_t bit15 : {0x0000, 0x8000}) {
        SCOPED_TRACE(bit15);
        open(3, {{2, static_cast<std::uint16_t>(bit15 | 0x0205)}});
        select(IDC_ANALOG_FORMAT4, 2);
        expectWords(0x2000, 0x2A92, static_cast<std::uint16_t>(bit15 | 0x0206));
    }
}

TEST_F(AnalogDialogTest, WithoutAlarmsTheTimeStampListsAndAlarmsButtonDoNothing) {
    // Time stamping on and latched trigger, which only the alarm model has.
    open(2, {{2, 0x8209}});
    EXPECT_FALSE(dialog->isItemEnabled(IDC_ANALOG_TRIGGER));
    EXPECT_EQ(selection(IDC_ANALOG_TRIGGER), LB_ERR);
    EXPECT_EQ(selection(IDC_ANALOG_TIMESTAMP), LB_ERR);

    // Notifications a user could not cause: refused, the lists put back.
    select(IDC_ANALOG_TRIGGER, 1);
    select(IDC_ANALOG_TIMESTAMP, 1);
    EXPECT_EQ(selection(IDC_ANALOG_TRIGGER), LB_ERR);
    EXPECT_EQ(selection(IDC_ANALOG_TIMESTAMP), LB_ERR);
    EXPECT_EQ(editor.registers(), opened);
    // An alarm dialog opened here would be modal: the watcher ends it.
    std::atomic<bool> shown{false};
    std::thread watch([&] {
        if (const HWND alarms = testing::waitForWindow(" KTR-ZCI-312-00VM Alarm Limits", 1000)) {
            shown = true;
            PostMessageA(alarms, WM_COMMAND, IDCANCEL, 0);
        }
    });
    notify(window(), IDC_ANALOG_ALARMS, BN_CLICKED);
    watch.join();
    EXPECT_FALSE(shown);

    select(IDC_ANALOG_ACQUISITION3, 1);
    expectWords(0x2000, 0x2A92, 0x8245); // bit 2 set, bit 3 clear
}

TEST_F(AnalogDialogTest, DefaultsResetTheWordsTheSetpointsAndTheLists) {
    Host host{{0, 0x2B6D}, {1, 0x0000}, {2, 0x03FC}};
    for (int i = 3; i < 19; ++i) host.push_back({i, 0x0123});
    open(3, host);
    click(window(), IDC_ANALOG_DEFAULTS);
    expectWords(0x2000, 0x2A92, 0x8205);
    for (int i = 3; i < 19; ++i) EXPECT_EQ(hex(reg(i)), i % 2 ? "D8F0" : "2710") << "Reg" << i + 1;
    for (const auto& [id, position] : {std::pair{IDC_ANALOG_RANGE2, 0},
                                       {IDC_ANALOG_FORMAT4, 1},
                                       {IDC_ANALOG_FILTER1, 2},
                                       {IDC_ANALOG_TRIGGER, 0}})
        EXPECT_EQ(selection(id), position) << id;
}

TEST_F(AnalogDialogTest, OkAndCancelOnlyEndTheDialog) {
    for (int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button);
        open(1, {}, false);
        select(IDC_ANALOG_RANGE2, 1);
        const auto changed = editor.registers();
        EXPECT_EQ(changed[0], 0x292C) << "the change is in the editor at once";
        click(window(), button);
        EXPECT_EQ(window(), nullptr);
        EXPECT_EQ(dialog->result(), button);
        EXPECT_EQ(editor.registers(), changed);
    }
}

TEST_F(AnalogDialogTest, AlarmsRunsTheAlarmDialogOverThisOneOnItsWords) {
    Host host;
    for (int i = 3; i < 19; ++i) host.push_back({i, 0x0123});
    open(3, host);
    select(IDC_ANALOG_RANGE4, 5); // group4 to "4ma to 20ma": its setpoints move
    ASSERT_EQ(reg(15), 0x0190);

    struct Seen {
        bool ownerDisabled = false;
        std::string group1Word, group4Word, group4Kind;
    } seen;
    const HWND analog = window();
    std::thread user = testing::actOnWindow(" KTR-ZCI-312-00VM Alarm Limits", [&](HWND alarms) {
        if (!alarms) return;
        seen = {!IsWindowEnabled(analog), testing::itemText(alarms, IDC_ALARM_MIN1_HEX),
                testing::itemText(alarms, IDC_ALARM_MIN7_HEX),
                testing::itemText(alarms, IDC_ALARM_MIN7_TEXT)};
        click(alarms, IDC_ALARM_DEFAULTS);
        click(alarms, IDOK);
    });
    click(window(), IDC_ANALOG_ALARMS);
    user.join();

    EXPECT_TRUE(seen.ownerDisabled) << "the alarm dialog is modal over this one";
    EXPECT_EQ(seen.group1Word, "0123");
    EXPECT_EQ(seen.group4Word, "0190");
    EXPECT_EQ(seen.group4Kind, "4/20ma DVM");
    ASSERT_TRUE(IsWindowEnabled(window()));
    EXPECT_EQ(reg(3), 0xD8F0) << "the alarm dialog's Defaults";
    EXPECT_EQ(reg(15), 0x0190);
    EXPECT_EQ(reg(16), 0x07D0);

    // A later change starts from the words the alarm dialog left.
    select(IDC_ANALOG_ACQUISITION1, 1);
    EXPECT_EQ(reg(4), 0x2710);
    EXPECT_EQ(reg(16), 0x07D0);
    EXPECT_EQ(reg(2), 0x8215);
}

TEST(AnalogModuleDialog, RunsModallyAsItsEditorsDialog) {
    AnalogModule module(0, HostContext{}, win32DialogFactory());
    EditorApp app(module, false, "KTR-ZVI-310-00VM");
    std::thread user = testing::actOnWindow(" Configuring KTR-ZVI-310-00VM", [](HWND dialog) {
        if (!dialog) return;
        selectInList(dialog, IDC_ANALOG_RANGE2, 3);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    ASSERT_NE(module.dialog(), nullptr);
    const int result = module.dialog()->runModal();
    user.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(module.getRegister(0), 0x2018);
}

// The voltage module with its default words.
void analogShot(ModuleKind kind, const char* file) {
    const std::string directory = testing::shotDirectory();
    if (directory.empty()) GTEST_SKIP() << "VELMORA_SHOT_DIR is not set";
    TestEditor block(kind == 3 ? 19 : 3);
    testing::loadWords(block, AnalogRules(kind).words());
    EditorApp app(block, true, std::string(moduleInfo(kind).defaultTitle));
    AnalogInputDialog analog(kind);
    ASSERT_TRUE(analog.createModeless());
    SetFocus(analog.item(IDOK));
    EXPECT_TRUE(testing::saveWindowBitmap(analog.hwnd(), directory + "/" + file));
}

TEST(Screenshot, DISABLED_AnalogInputDialog) {
    analogShot(0, "analog-dialog.bmp");
}

} // namespace
} // namespace velmora
