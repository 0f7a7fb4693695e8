// The universal input dialog, created from its real template and driven by
// real messages: clicks, list selections, focus; checked against its
// controls and the registers stored into the editor on OK.

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../../resources/universal_ids.h"
#include "dialogs/dialog_factory_win32.h"
#include "dialogs/universal_input_dialog_win32.h"
#include "win32/module_dialog_fixture.h"
#include "win32/window_shot.h"

namespace velmora {
namespace {

using testing::click;
using testing::EditorApp;
using testing::notify;
using testing::selectInList;
using testing::TestEditor;
using Words = std::array<std::uint16_t, 8>;

constexpr std::array<int, 8> kRegEdits{IDC_UNI_REG1, IDC_UNI_REG2, IDC_UNI_REG3, IDC_UNI_REG4,
                                       IDC_UNI_REG5, IDC_UNI_REG6, IDC_UNI_REG7, IDC_UNI_REG8};
// The lists that depend on the input type; format, filter and fault always show.
constexpr std::array<int, 8> kTypeLists{IDC_UNI_VOLTAGE,    IDC_UNI_CURRENT,    IDC_UNI_THERMOCOUPLE,
                                        IDC_UNI_RTD,        IDC_UNI_RESISTANCE, IDC_UNI_UNITS,
                                        IDC_UNI_RTD_WIRING, IDC_UNI_RES_WIRING};
constexpr std::array<int, 3> kCommonLists{IDC_UNI_FORMAT, IDC_UNI_FILTER, IDC_UNI_FAULT};
constexpr Words kDefaultWords{0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010};
constexpr std::uint16_t kUntouched = 0xBEEF; // register 8, which the dialog never handles

class UniversalDialog : public ::testing::Test {
protected:
    void open(bool synchronised, const Words& host = {}) {
        dialog.reset();
        app.reset();
        testing::loadWords(editor, host);
        editor.setRegister(8, kUntouched);
        app = std::make_unique<EditorApp>(editor, synchronised);
        dialog = std::make_unique<UniversalInputDialog>();
        ASSERT_TRUE(dialog->createModeless());
    }

    HWND window() const { return dialog->hwnd(); }
    std::vector<std::string> edits() const {
        std::vector<std::string> texts;
        for (int id : kRegEdits) texts.push_back(dialog->itemText(id));
        return texts;
    }
    static std::vector<std::string> hex(const Words& words) {
        std::vector<std::string> texts;
        for (std::uint16_t w : words) texts.push_back(testing::hex(w));
        return texts;
    }
    Words stored() const {
        Words words{};
        for (int i = 0; i < 8; ++i) words[static_cast<std::size_t>(i)] = editor.getRegister(i);
        return words;
    }
    std::set<int> shownTypeLists() const {
        std::set<int> shown;
        for (int id : kTypeLists)
            if (dialog->isItemVisible(id)) shown.insert(id);
        return shown;
    }
    int checkedType() const { return dialog->checkedRadio(IDC_UNI_TYPE_VOLTAGE, IDC_UNI_TYPE_CJC); }
    void ok() {
        click(window(), IDOK);
        ASSERT_EQ(window(), nullptr);
        ASSERT_EQ(dialog->result(), IDOK);
    }

    TestEditor editor{8};
    std::unique_ptr<EditorApp> app;
    std::unique_ptr<UniversalInputDialog> dialog;
};

TEST_F(UniversalDialog, StandaloneOpensWithTheDefaultsWhateverTheEditorHolds) {
    open(false, {0x1234, 0xFFFF, 0x0005, 0, 0, 0, 0, 0x8000});
    EXPECT_EQ(dialog->caption(), " Configure ZUI-340-00VM");
    EXPECT_EQ(edits(), hex(kDefaultWords));
    EXPECT_EQ(dialog->checkedRadio(IDC_UNI_GROUP1, IDC_UNI_GROUP4), IDC_UNI_GROUP1);
    EXPECT_EQ(checkedType(), IDC_UNI_TYPE_VOLTAGE);
    EXPECT_EQ(shownTypeLists(), std::set<int>{IDC_UNI_VOLTAGE});
    EXPECT_EQ(dialog->listText(IDC_UNI_VOLTAGE, dialog->listSelection(IDC_UNI_VOLTAGE)), "+/- 5.0V");
    EXPECT_EQ(dialog->listText(IDC_UNI_FORMAT, dialog->listSelection(IDC_UNI_FORMAT)), "DVM");
    for (int id : kCommonLists) EXPECT_TRUE(dialog->isItemVisible(id)) << id;
    EXPECT_EQ(GetFocus(), dialog->item(IDOK));

    ok();
    EXPECT_EQ(stored(), kDefaultWords);
    EXPECT_EQ(editor.getRegister(8), kUntouched);
}

TEST_F(UniversalDialog, ListsKeepTheirTextsAndTableOrderThoughTheTemplateSortsThem) {
    open(false);
    for (const auto& info : universal::kLists) {
        const int id = static_cast<int>(info.list);
        SCOPED_TRACE(id);
        EXPECT_TRUE(GetWindowLongA(dialog->item(id), GWL_STYLE) & LBS_SORT);
        const auto texts = UniversalSettings::listTexts(info.list);
        ASSERT_EQ(dialog->listCount(id), static_cast<int>(texts.size()));
        for (std::size_t i = 0; i < texts.size(); ++i)
            EXPECT_EQ(dialog->listText(id, static_cast<int>(i)), texts[i]);
    }
    // The blanks that line the entries up are part of them.
    EXPECT_EQ(dialog->listText(IDC_UNI_VOLTAGE, 5), "0 ..  5V");
    EXPECT_EQ(dialog->listText(IDC_UNI_RTD, 0), " 100Pt385");
    EXPECT_EQ(dialog->listText(IDC_UNI_RTD, 14), " 604NiFe518");
    EXPECT_EQ(dialog->listText(IDC_UNI_RES_WIRING, 1), "3 wire");
    EXPECT_EQ(dialog->listText(IDC_UNI_FAULT, 3), "Zero On Fault");
}

TEST_F(UniversalDialog, SynchronisedOpenShowsTheHostWordsReEncoded) {
    struct Case {
        const char* name;
        Words host;
        Words shown; // the edits at once, and what OK stores with nothing changed
        int checkedType;
        std::set<int> lists;
    };
    const Case cases[] = {
        {"bits 9-15 of second words are cleared",
         {0x0018, 0xFE10, 0x0018, 0x8210, 0x0018, 0x0200, 0x0018, 0xFFFF},
         {0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0000, 0x0018, 0x01FF},
         IDC_UNI_TYPE_VOLTAGE,
         {IDC_UNI_VOLTAGE}},
        {"RTD with 3 wire and units F",
         {0x8003 | (14 << 11), 0x0110, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010},
         {0x8003 | (14 << 11), 0x0110, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010},
         IDC_UNI_TYPE_RTD,
         {IDC_UNI_RTD, IDC_UNI_UNITS, IDC_UNI_RTD_WIRING}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(true, c.host);
        EXPECT_EQ(edits(), hex(c.shown));
        EXPECT_EQ(checkedType(), c.checkedType);
        EXPECT_EQ(shownTypeLists(), c.lists);
        ok();
        EXPECT_EQ(stored(), c.shown);
    }
}

TEST_F(UniversalDialog, EachInputTypeShowsItsListsAndClearsWhatItDoesNotShow) {
    struct Case {
        int button;
        std::set<int> lists;
        std::uint16_t first;  // Reg1 after the click, from RTD " 100Ni618", 3 wire, units F
        std::uint16_t second; // Reg2
    };
    // Start: RTD (3) type 9, wiring 1, voltage 2, current 1, thermocouple 4,
    // resistance 2, units 1, format 1, filter 3, fault 2.
    const std::uint16_t first = 0x8000 | (9 << 11) | (4 << 8) | (1 << 6) | (2 << 3) | 3;
    const std::uint16_t second = 0x0100 | (2 << 6) | (1 << 4) | (3 << 2) | 2;
    const std::uint16_t common = (2 << 6) | (1 << 4) | (3 << 2);
    const Case cases[] = {
        {IDC_UNI_TYPE_VOLTAGE, {IDC_UNI_VOLTAGE}, (2 << 3) | 0, common},
        {IDC_UNI_TYPE_CURRENT, {IDC_UNI_CURRENT}, (1 << 6) | 1, common},
        {IDC_UNI_TYPE_THERMOCOUPLE, {IDC_UNI_THERMOCOUPLE, IDC_UNI_UNITS}, (4 << 8) | 2, 0x0100 | common},
        {IDC_UNI_TYPE_RTD,
         {IDC_UNI_RTD, IDC_UNI_UNITS, IDC_UNI_RTD_WIRING},
         0x8000 | (9 << 11) | 3,
         0x0100 | common},
        {IDC_UNI_TYPE_RESISTANCE, {IDC_UNI_RESISTANCE, IDC_UNI_RES_WIRING}, 0x8000 | 4, common | 2},
        {IDC_UNI_TYPE_CJC, {IDC_UNI_UNITS}, 5, 0x0100 | common},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        open(true, {first, second, 0x0018, 0x0010});
        click(window(), c.button);
        EXPECT_EQ(checkedType(), c.button);
        EXPECT_EQ(shownTypeLists(), c.lists);
        for (int id : kCommonLists) EXPECT_TRUE(dialog->isItemVisible(id));
        const auto shown = edits();
        EXPECT_EQ(shown[0], testing::hex(c.first));
        EXPECT_EQ(shown[1], testing::hex(c.second));
        EXPECT_EQ(shown[2], "0018") << "other groups are not touched";
    }
}

TEST_F(UniversalDialog, ThreeWireIsKeptUnderResistanceAndClearedUnderThermocouple) {
    struct Case {
        int thenClicked;
        int wiring; // selection of the wiring lists afterwards
        std::uint16_t first;
    };
    const Case cases[] = {
        {IDC_UNI_TYPE_RESISTANCE, 1, 0x8004},
        {IDC_UNI_TYPE_THERMOCOUPLE, 0, 0x0002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.thenClicked);
        open(false);
        click(window(), IDC_UNI_TYPE_RTD);
        selectInList(window(), IDC_UNI_RTD_WIRING, 1);
        EXPECT_EQ(dialog->itemText(IDC_UNI_REG1), "8003");
        EXPECT_EQ(dialog->listSelection(IDC_UNI_RES_WIRING), 1) << "one setting, two lists";

        click(window(), c.thenClicked);
        EXPECT_EQ(dialog->itemText(IDC_UNI_REG1), testing::hex(c.first));
        EXPECT_EQ(dialog->listSelection(IDC_UNI_RES_WIRING), c.wiring);
        EXPECT_EQ(dialog->listSelection(IDC_UNI_RTD_WIRING), c.wiring);
        EXPECT_EQ(dialog->isItemVisible(IDC_UNI_RES_WIRING), c.thenClicked == IDC_UNI_TYPE_RESISTANCE);
    }
}

TEST_F(UniversalDialog, ListChoicesEncodeIntoTheGroupOnShowOnly) {
    open(false);
    click(window(), IDC_UNI_GROUP3);
    EXPECT_EQ(dialog->checkedRadio(IDC_UNI_GROUP1, IDC_UNI_GROUP4), IDC_UNI_GROUP3);
    selectInList(window(), IDC_UNI_VOLTAGE, 7); // "0 .. 10V"
    selectInList(window(), IDC_UNI_FORMAT, 3);  // "15 bit"
    selectInList(window(), IDC_UNI_FILTER, 2);  // "Reject middle"
    selectInList(window(), IDC_UNI_FAULT, 1);   // "Max Scale"
    EXPECT_EQ(edits(), hex({0x0018, 0x0010, 0x0018, 0x0010, 0x0038, 0x0078, 0x0018, 0x0010}));

    // The lists follow the group on show; the edits keep showing all four.
    click(window(), IDC_UNI_GROUP1);
    EXPECT_EQ(dialog->listSelection(IDC_UNI_VOLTAGE), 3);
    EXPECT_EQ(dialog->listSelection(IDC_UNI_FORMAT), 1);
    EXPECT_EQ(dialog->itemText(IDC_UNI_REG5), "0038");
    click(window(), IDC_UNI_GROUP3);
    EXPECT_EQ(dialog->listSelection(IDC_UNI_VOLTAGE), 7);
    EXPECT_EQ(dialog->listSelection(IDC_UNI_FAULT), 1);

    ok();
    EXPECT_EQ(stored(), (Words{0x0018, 0x0010, 0x0018, 0x0010, 0x0038, 0x0078, 0x0018, 0x0010}));
}

TEST_F(UniversalDialog, NotificationsNoUserMadeChangeNothing) {
    open(false);
    // A hidden list, and "no selection", reported as if chosen.
    selectInList(window(), IDC_UNI_CURRENT, 2);
    selectInList(window(), IDC_UNI_RTD, 5);
    selectInList(window(), IDC_UNI_VOLTAGE, -1);
    EXPECT_EQ(edits(), hex(kDefaultWords));
    EXPECT_EQ(dialog->listSelection(IDC_UNI_VOLTAGE), 3) << "the refresh puts the selection back";
    EXPECT_EQ(dialog->listSelection(IDC_UNI_CURRENT), 0);
    ok();
    EXPECT_EQ(stored(), kDefaultWords);
}

TEST_F(UniversalDialog, DefaultsResetEveryGroupAndCancelStoresNothing) {
    const Words host{0x8003, 0x01FF, 0x0002, 0x0100, 0x0001, 0x0020, 0x0005, 0x0000};
    open(true, host);
    click(window(), IDC_UNI_GROUP4);
    click(window(), IDC_UNI_TYPE_CURRENT);
    click(window(), IDC_UNI_DEFAULTS);
    EXPECT_EQ(edits(), hex(kDefaultWords));
    EXPECT_EQ(dialog->checkedRadio(IDC_UNI_GROUP1, IDC_UNI_GROUP4), IDC_UNI_GROUP1);
    EXPECT_EQ(checkedType(), IDC_UNI_TYPE_VOLTAGE);
    EXPECT_EQ(shownTypeLists(), std::set<int>{IDC_UNI_VOLTAGE});

    click(window(), IDCANCEL);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(stored(), host);
}

TEST_F(UniversalDialog, FocusStaysOnTheListBeingChanged) {
    open(false);
    SetForegroundWindow(window());
    SetFocus(dialog->item(IDC_UNI_FILTER));
    ASSERT_EQ(GetFocus(), dialog->item(IDC_UNI_FILTER));
    selectInList(window(), IDC_UNI_FILTER, 3);
    EXPECT_EQ(GetFocus(), dialog->item(IDC_UNI_FILTER));
    EXPECT_EQ(dialog->itemText(IDC_UNI_REG2), "001C");
}

TEST(UniversalEditor, BuildsItsDialogThroughTheWin32Factory) {
    const auto editor = makeEditor(4, HostContext{}, win32DialogFactory());
    auto* universal = dynamic_cast<UniversalInputDialog*>(editor->dialog());
    ASSERT_NE(universal, nullptr);
    EditorApp app(*editor, false);
    ASSERT_TRUE(universal->createModeless());
    EXPECT_EQ(universal->caption(), " Configure ZUI-340-00VM");
    click(universal->hwnd(), IDC_UNI_TYPE_CJC);
    click(universal->hwnd(), IDOK);
    EXPECT_EQ(editor->getRegister(0), 0x0005);
    EXPECT_EQ(editor->getRegister(7), 0x0010);
}

TEST(Screenshot, DISABLED_UniversalInputDialog) {
    const std::string directory = testing::shotDirectory();
    if (directory.empty()) GTEST_SKIP() << "VELMORA_SHOT_DIR is not set";
    TestEditor block(8);
    // Group 2 measures an RTD, so its three lists show.
    const Words host{0x0018, 0x0010, 0x8003 | (4 << 11), 0x0110, 0x0002, 0x0010, 0x0001, 0x0022};
    testing::loadWords(block, host);
    EditorApp app(block, true);
    UniversalInputDialog universal;
    ASSERT_TRUE(universal.createModeless());
    click(universal.hwnd(), IDC_UNI_GROUP2);
    SetFocus(universal.item(IDOK));
    EXPECT_TRUE(testing::saveWindowBitmap(universal.hwnd(), directory + "/universal.bmp"));
}

} // namespace
} // namespace velmora
