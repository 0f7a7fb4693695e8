// The multi-purpose counter dialog, created from template 138 and driven by
// real messages: clicks, text changes, typed characters.

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../../resources/multipurpose_ids.h"
#include "dialogs/multipurpose_dialog_win32.h"
#include "win32/module_dialog_fixture.h"
#include "win32/window_shot.h"

namespace velmora {
namespace {

using testing::click;
using testing::EditorApp;
using testing::itemText;
using testing::TestEditor;

using Words = std::array<std::uint16_t, 9>;

constexpr int kRegisterEdits[9] = {IDC_MP_REG1, IDC_MP_REG2, IDC_MP_REG3, IDC_MP_REG4, IDC_MP_REG5,
                                   IDC_MP_REG6, IDC_MP_REG7, IDC_MP_REG8, IDC_MP_REG9};

// The checked button of each set, as ids; 0 where none is.
struct Checked {
    int channel, range, gate, size;
    bool digital, analog;
    bool operator==(const Checked&) const = default;
};

class MultiPurposeDialogTest : public ::testing::Test {
protected:
    // Opens the dialog over an editor holding `host` in registers 0-8 and
    // 0xBEEF in the others.
    void open(bool synchronised, const Words& host = {}) {
        for (int i = 0; i < 24; ++i)
            editor.setRegister(i, i < 9 ? host[static_cast<std::size_t>(i)] : 0xBEEF);
        app = std::make_unique<EditorApp>(editor, synchronised, "KTR-ZPM-354-00VM");
        ASSERT_TRUE(dialog.createModeless());
        window = dialog.hwnd();
    }

    std::string text(int id) const { return itemText(window, id); }
    void setText(int id, const std::string& value) {
        SendDlgItemMessageA(window, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    }
    // Characters typed at the caret, one message each, as a keyboard does.
    void type(int id, const std::string& characters) {
        for (char c : characters) SendDlgItemMessageA(window, id, WM_CHAR, static_cast<WPARAM>(c), 0);
    }
    bool checked(int id) const { return IsDlgButtonChecked(window, id) == BST_CHECKED; }
    int checkedOf(int first, int last) const {
        int found = 0;
        for (int id = first; id <= last; ++id)
            if (checked(id)) found = found ? -1 : id; // -1: more than one
        return found;
    }
    Checked state() const {
        return {checkedOf(IDC_MP_CHANNEL1, IDC_MP_CHANNEL4),
                checkedOf(IDC_MP_RANGE_5V, IDC_MP_RANGE_AC),
                checkedOf(IDC_MP_GATE_5V, IDC_MP_GATE_24V),
                checkedOf(IDC_MP_SIZE_16BIT, IDC_MP_SIZE_24BIT),
                checked(IDC_MP_DIGITAL_FILTER),
                checked(IDC_MP_ANALOG_FILTER)};
    }
    std::vector<std::string> shownRegisters() const {
        std::vector<std::string> shown;
        for (int id : kRegisterEdits) shown.push_back(text(id));
        return shown;
    }
    std::vector<std::uint16_t> stored() const {
        std::vector<std::uint16_t> words;
        for (int i = 0; i < 9; ++i) words.push_back(editor.getRegister(i));
        return words;
    }
    void expectOthersUntouched() const {
        for (int i = 9; i < 24; ++i) EXPECT_EQ(editor.getRegister(i), 0xBEEF) << "register " << i;
    }

    TestEditor editor{9};
    std::unique_ptr<EditorApp> app;
    MultiPurposeDialog dialog;
    HWND window = nullptr;
};

const std::vector<std::string> kDefaultShown{"0040", "0040", "0040", "0040", "0000",
                                             "0000", "0000", "0000", "0000"};
const Checked kDefaultChecked{IDC_MP_CHANNEL1,   IDC_MP_RANGE_5V, IDC_MP_GATE_5V,
                              IDC_MP_SIZE_24BIT, false,           false};

TEST_F(MultiPurposeDialogTest, StandaloneOpensAtDefaultsAndOkStoresThem) {
    open(false, Words{0x0003, 0x0003, 0x0003, 0x0003, 7, 7, 7, 7, 7});
    EXPECT_EQ(dialog.caption(), "Configure 770-ZPC-354-00VM");
    EXPECT_EQ(shownRegisters(), kDefaultShown);
    EXPECT_EQ(state(), kDefaultChecked);
    EXPECT_EQ(text(IDC_MP_DELAY), "0");
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "0");
    EXPECT_EQ(editor.getRegister(0), 0x0003) << "nothing is stored before OK";

    click(window, IDOK);
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_EQ(stored(), (std::vector<std::uint16_t>{0x40, 0x40, 0x40, 0x40, 0, 0, 0, 0, 0}));
    expectOthersUntouched();
}

TEST_F(MultiPurposeDialogTest, HostWordsDecodedAndStoredBackOnOk) {
    struct Case {
        const char* name;
        Words host;
        Checked shown; // channel 1
        std::string delay, timeout;
        std::vector<std::uint16_t> storedOnOk;
    };
    const Case cases[] = {
        {"channel word 00FF: AC, no gate button, both filters, 24 bit",
         {0x00FF, 0, 0, 0, 0, 0, 0, 0, 0},
         {IDC_MP_CHANNEL1, IDC_MP_RANGE_AC, 0, IDC_MP_SIZE_24BIT, true, true},
         "0",
         "0",
         {0x007F, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"12V input, 24V gate, digital filter",
         {0x0019, 0x40, 0x40, 0x40, 250, 12, 0, 0, 0},
         {IDC_MP_CHANNEL1, IDC_MP_RANGE_12V, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, true, false},
         "250",
         "12",
         {0x0019, 0x40, 0x40, 0x40, 250, 12, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestEditor block(9);
        testing::loadWords(block, c.host);
        EditorApp host(block, true);
        MultiPurposeDialog shown;
        ASSERT_TRUE(shown.createModeless());
        window = shown.hwnd();
        EXPECT_EQ(state(), c.shown);
        EXPECT_EQ(text(IDC_MP_DELAY), c.delay);
        EXPECT_EQ(text(IDC_MP_TIMEOUT), c.timeout);
        // The register fields show what OK stores, before anything is touched.
        for (std::size_t i = 0; i < 9; ++i)
            EXPECT_EQ(text(kRegisterEdits[i]), testing::hex(c.storedOnOk[i])) << "Reg" << i + 1;

        click(window, IDOK);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(block.getRegister(i), c.storedOnOk[static_cast<std::size_t>(i)]) << "Reg" << i + 1;
    }
}

TEST_F(MultiPurposeDialogTest, TimeoutTypedKeepsItsTextUntilAnotherControlRefreshes) {
    open(true, Words{0x40, 0x40, 0x40, 0x40, 0, 5, 6, 7, 8});
    click(window, IDC_MP_CHANNEL2);
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "6");

    setText(IDC_MP_TIMEOUT, "300");
    EXPECT_EQ(text(IDC_MP_REG7), "00F0") << "the register shows the limited value at once";
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "300") << "the field keeps what was typed";
    EXPECT_EQ(text(IDC_MP_REG6), "0005");

    // Typing in the delay field refreshes the time-out field.
    setText(IDC_MP_DELAY, "9");
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "240");
    EXPECT_EQ(text(IDC_MP_REG5), "0009");

    setText(IDC_MP_TIMEOUT, "999");
    click(window, IDC_MP_ANALOG_FILTER); // any click refreshes it
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "240");
    EXPECT_EQ(text(IDC_MP_REG2), "0060");

    click(window, IDOK);
    EXPECT_EQ(stored(), (std::vector<std::uint16_t>{0x40, 0x60, 0x40, 0x40, 9, 5, 240, 7, 8}));
}

TEST_F(MultiPurposeDialogTest, EntryTextsAreReadAsWholeNumbersAndLimited) {
    struct Case {
        std::string typed;
        const char* timeoutWord; // Reg6, channel 1
        const char* delayWord;   // Reg5
    };
    const Case cases[] = {
        {"  42abc", "002A", "002A"},
        {"241", "00F0", "00F1"},
        // Beyond 16 bits both are limited, never wrapped (65536 would wrap to 0).
        {"65536", "00F0", "FFFF"},
        {"-1", "0000", "0000"},
    };
    open(true, Words{0x40, 0x40, 0x40, 0x40, 1, 1, 0, 0, 0});
    for (const Case& c : cases) {
        SCOPED_TRACE("typed \"" + c.typed + "\"");
        setText(IDC_MP_TIMEOUT, c.typed);
        EXPECT_EQ(text(IDC_MP_REG6), c.timeoutWord);
        EXPECT_EQ(text(IDC_MP_TIMEOUT), c.typed);
        setText(IDC_MP_DELAY, c.typed);
        EXPECT_EQ(text(IDC_MP_REG5), c.delayWord);
        EXPECT_EQ(text(IDC_MP_DELAY), c.typed);
        EXPECT_EQ(text(IDC_MP_REG6), c.timeoutWord) << "the delay leaves the time-out alone";
    }
}

TEST_F(MultiPurposeDialogTest, CharactersTypedOneByOneLandAtTheCaret) {
    open(false);
    for (int id : {IDC_MP_DELAY, IDC_MP_TIMEOUT}) {
        SCOPED_TRACE(id);
        SendDlgItemMessageA(window, id, EM_SETSEL, 0, -1);
        type(id, "1234");
        EXPECT_EQ(text(id), "1234") << "a rewrite of the field would have moved the caret";
    }
    EXPECT_EQ(text(IDC_MP_REG5), "04D2");
    EXPECT_EQ(text(IDC_MP_REG6), "00F0");
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "1234");

    // A backspace is typing too.
    SendDlgItemMessageA(window, IDC_MP_TIMEOUT, EM_SETSEL, 4, 4);
    type(IDC_MP_TIMEOUT, "\b\b");
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "12");
    EXPECT_EQ(text(IDC_MP_REG6), "000C");
}

TEST_F(MultiPurposeDialogTest, EachClickChangesOneSetOnlyAndOnlyTheChannelOnShow) {
    struct Case {
        int button;
        Checked after;
        const char* reg3; // channel 3 is on show
    };
    const Case cases[] = {
        {IDC_MP_RANGE_12V,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_12V, IDC_MP_GATE_5V, IDC_MP_SIZE_24BIT, false, false},
         "0041"},
        {IDC_MP_GATE_24V,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_12V, IDC_MP_GATE_24V, IDC_MP_SIZE_24BIT, false, false},
         "0049"},
        {IDC_MP_SIZE_16BIT,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_12V, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, false, false},
         "0009"},
        {IDC_MP_RANGE_AC,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, false, false},
         "000B"},
        {IDC_MP_DIGITAL_FILTER,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, true, false},
         "001B"},
        {IDC_MP_ANALOG_FILTER,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, true, true},
         "003B"},
        {IDC_MP_DIGITAL_FILTER,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, false, true},
         "002B"},
        {IDC_MP_GATE_5V,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, IDC_MP_GATE_5V, IDC_MP_SIZE_16BIT, false, true},
         "0023"},
        {IDC_MP_SIZE_24BIT,
         {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, IDC_MP_GATE_5V, IDC_MP_SIZE_24BIT, false, true},
         "0063"},
    };
    open(false);
    click(window, IDC_MP_CHANNEL3);
    EXPECT_EQ(state(),
              (Checked{IDC_MP_CHANNEL3, IDC_MP_RANGE_5V, IDC_MP_GATE_5V, IDC_MP_SIZE_24BIT, false, false}));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        click(window, c.button);
        EXPECT_EQ(state(), c.after);
        EXPECT_EQ(text(IDC_MP_REG3), c.reg3);
        for (int id : {IDC_MP_REG1, IDC_MP_REG2, IDC_MP_REG4}) EXPECT_EQ(text(id), "0040");
    }
    // Back on channel 1, its own settings show.
    click(window, IDC_MP_CHANNEL1);
    EXPECT_EQ(state(), kDefaultChecked);
}

TEST_F(MultiPurposeDialogTest, ChoosingChannelsShowsTheirTimeoutsAndChangesNoRegister) {
    open(true, Words{0x41, 0x0A, 0x1F, 0x63, 1000, 10, 20, 30, 240});
    const std::vector<std::string> before = shownRegisters();
    const struct {
        int button;
        const char* timeout;
        Checked shown;
    } cases[] = {
        {IDC_MP_CHANNEL2,
         "20",
         {IDC_MP_CHANNEL2, IDC_MP_RANGE_24V, IDC_MP_GATE_24V, IDC_MP_SIZE_16BIT, false, false}},
        {IDC_MP_CHANNEL3, "30", {IDC_MP_CHANNEL3, IDC_MP_RANGE_AC, 0, IDC_MP_SIZE_16BIT, true, false}},
        {IDC_MP_CHANNEL4,
         "240",
         {IDC_MP_CHANNEL4, IDC_MP_RANGE_AC, IDC_MP_GATE_5V, IDC_MP_SIZE_24BIT, false, true}},
        {IDC_MP_CHANNEL1,
         "10",
         {IDC_MP_CHANNEL1, IDC_MP_RANGE_12V, IDC_MP_GATE_5V, IDC_MP_SIZE_24BIT, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        click(window, c.button);
        EXPECT_EQ(text(IDC_MP_TIMEOUT), c.timeout);
        EXPECT_EQ(state(), c.shown);
        EXPECT_EQ(text(IDC_MP_DELAY), "1000");
        EXPECT_EQ(shownRegisters(), before);
    }
    // Gate code 3 of channel 3 goes back unchanged when no gate button is picked.
    click(window, IDOK);
    EXPECT_EQ(stored(), (std::vector<std::uint16_t>{0x41, 0x0A, 0x1F, 0x63, 1000, 10, 20, 30, 240}));
}

TEST_F(MultiPurposeDialogTest, DefaultsResetsTheDialogNotTheEditor) {
    const Words host{0x7F, 0x01, 0x02, 0x03, 500, 1, 2, 3, 4};
    open(true, host);
    click(window, IDC_MP_CHANNEL4);
    setText(IDC_MP_TIMEOUT, "77");
    click(window, IDC_MP_DEFAULTS);
    EXPECT_EQ(shownRegisters(), kDefaultShown);
    EXPECT_EQ(state(), kDefaultChecked);
    EXPECT_EQ(text(IDC_MP_DELAY), "0");
    EXPECT_EQ(text(IDC_MP_TIMEOUT), "0");
    EXPECT_EQ(stored(), std::vector<std::uint16_t>(host.begin(), host.end()));

    click(window, IDCANCEL);
    EXPECT_EQ(dialog.result(), IDCANCEL);
    EXPECT_EQ(dialog.hwnd(), nullptr);
    EXPECT_EQ(stored(), std::vector<std::uint16_t>(host.begin(), host.end())) << "Cancel stores nothing";
    expectOthersUntouched();
}

TEST(Screenshot, DISABLED_MultiPurposeDialog) {
    const std::string directory = testing::shotDirectory();
    if (directory.empty()) GTEST_SKIP() << "VELMORA_SHOT_DIR is not set";
    TestEditor block(9);
    EditorApp app(block, false, "KTR-ZPM-354-00VM");
    MultiPurposeDialog dialog;
    ASSERT_TRUE(dialog.createModeless());
    SetFocus(dialog.item(IDOK));
    EXPECT_TRUE(testing::saveWindowBitmap(dialog.hwnd(), directory + "/multipurpose.bmp"));
}

} // namespace
} // namespace velmora
