// The counter dialog of both models, created from its real template and
// driven by real messages: clicks, typed characters, notifications no user
// could make; checked against its controls and the registers stored on OK.

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "../../resources/counter_ids.h"
#include "dialogs/counter_dialog_win32.h"
#include "dialogs/dialog_factory_win32.h"
#include "win32/fake_app_services.h"
#include "win32/module_dialog_fixture.h"
#include "win32/window_shot.h"

namespace velmora {
namespace {

using testing::click;
using testing::EditorApp;
using testing::hex;
using testing::notify;
using testing::TestEditor;
using Words = std::array<std::uint16_t, 9>;

constexpr std::array<int, 9> kRegEdits{IDC_CNT_REG1, IDC_CNT_REG2, IDC_CNT_REG3, IDC_CNT_REG4, IDC_CNT_REG5,
                                       IDC_CNT_REG6, IDC_CNT_REG7, IDC_CNT_REG8, IDC_CNT_REG9};
// Controls that follow the pair: range and mode.
constexpr std::array<int, 8> kPairControls{IDC_CNT_RANGE_5V,    IDC_CNT_RANGE_12V,  IDC_CNT_RANGE_24V,
                                           IDC_CNT_RANGE_AC,    IDC_CNT_MODE_UNI,   IDC_CNT_MODE_BI,
                                           IDC_CNT_MODE_QUAD1X, IDC_CNT_MODE_QUAD4X};
// Controls of a second member's own bits.
constexpr std::array<int, 6> kOwnControls{IDC_CNT_SIZE_16,       IDC_CNT_SIZE_24,  IDC_CNT_DIGITAL_FILTER,
                                          IDC_CNT_ANALOG_FILTER, IDC_CNT_RATE_1HZ, IDC_CNT_RATE_01HZ};

// The user typing into an edit that has the caret: one WM_CHAR per key.
void type(HWND edit, const std::string& keys) {
    for (char key : keys)
        SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(key)), 0);
}

class CounterDialogTest : public ::testing::Test {
protected:
    void open(int channels, bool synchronised, const Words& host = {}) {
        testing::loadWords(editor, host);
        // The previous application unregisters itself first.
        dialog.reset();
        app.reset();
        app = std::make_unique<EditorApp>(editor, synchronised);
        dialog = std::make_unique<CounterDialog>(channels);
        ASSERT_TRUE(dialog->createModeless());
    }

    HWND window() const { return dialog->hwnd(); }
    std::string text(int id) const { return dialog->itemText(id); }
    bool checked(int id) const { return dialog->isItemChecked(id); }
    bool enabled(int id) const { return dialog->isItemEnabled(id); }
    // Every checked button of first..last: each set shows exactly one.
    std::vector<int> checkedOf(int first, int last) const {
        std::vector<int> ids;
        for (int id = first; id <= last; ++id)
            if (checked(id)) ids.push_back(id);
        return ids;
    }
    std::string reg(int index) const { return text(kRegEdits[static_cast<std::size_t>(index)]); }

    Words stored() const {
        Words words{};
        for (int i = 0; i < 9; ++i) words[static_cast<std::size_t>(i)] = editor.getRegister(i);
        return words;
    }
    void ok() {
        click(window(), IDOK);
        ASSERT_EQ(window(), nullptr);
        ASSERT_EQ(dialog->result(), IDOK);
    }

    TestEditor editor{9};
    std::unique_ptr<EditorApp> app;
    std::unique_ptr<CounterDialog> dialog;
};

TEST_F(CounterDialogTest, EachModelShowsItsChannelsRegistersAndCaption) {
    struct Case {
        int channels;
        const char* caption;
        int shownChannels;
        int shownRegisters;
    };
    for (const Case& c :
         {Case{8, " Configure 770-ZHC-358-00VM", 8, 9}, Case{4, " Configure 770-ZHC-354-00VM", 4, 5}}) {
        SCOPED_TRACE(c.channels);
        open(c.channels, false);
        EXPECT_EQ(dialog->caption(), c.caption);
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(dialog->isItemVisible(IDC_CNT_CHANNEL1 + i), i < c.shownChannels)
                << "channel " << i + 1;
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(dialog->isItemVisible(kRegEdits[static_cast<std::size_t>(i)]), i < c.shownRegisters)
                << "Reg" << i + 1;
        EXPECT_EQ(dialog->isItemVisible(IDC_CNT_REG5_LABEL + 1), c.shownRegisters > 5) << "Reg6's label";
        EXPECT_EQ(SendDlgItemMessageA(window(), IDC_CNT_DELAY, EM_GETLIMITTEXT, 0, 0), 5);

        // Standalone: the all-zero state, channel 1.
        for (int i = 0; i < c.shownRegisters; ++i) EXPECT_EQ(reg(i), "0000");
        EXPECT_EQ(text(IDC_CNT_DELAY), "0");
        for (int id :
             {IDC_CNT_CHANNEL1, IDC_CNT_RANGE_5V, IDC_CNT_MODE_UNI, IDC_CNT_SIZE_16, IDC_CNT_RATE_1HZ})
            EXPECT_TRUE(checked(id)) << id;
        EXPECT_FALSE(checked(IDC_CNT_DIGITAL_FILTER));
        EXPECT_FALSE(checked(IDC_CNT_ANALOG_FILTER));
        dialog.reset();
    }
}

TEST_F(CounterDialogTest, SecondMemberShowsThePairAndIsLockedWhileThePairIsNotUniDirectional) {
    open(8, true, {0x00C5, 0x003A, 0, 0, 0, 0, 0, 0, 0});
    // 00C5: 12V, BiDirectional, 24 bit, 0.1 Hz, no filters.
    for (int id : {IDC_CNT_RANGE_12V, IDC_CNT_MODE_BI, IDC_CNT_SIZE_24, IDC_CNT_RATE_01HZ})
        EXPECT_TRUE(checked(id)) << id;
    EXPECT_FALSE(checked(IDC_CNT_DIGITAL_FILTER));
    EXPECT_FALSE(checked(IDC_CNT_ANALOG_FILTER));
    EXPECT_EQ(reg(1), "00C5") << "the host's own word for channel 2 is replaced at once";

    click(window(), IDC_CNT_CHANNEL2);
    EXPECT_EQ(checkedOf(IDC_CNT_CHANNEL1, IDC_CNT_CHANNEL8), std::vector<int>{IDC_CNT_CHANNEL2});
    EXPECT_EQ(checkedOf(IDC_CNT_RANGE_5V, IDC_CNT_RANGE_AC), std::vector<int>{IDC_CNT_RANGE_12V});
    EXPECT_EQ(checkedOf(IDC_CNT_MODE_UNI, IDC_CNT_MODE_QUAD4X), std::vector<int>{IDC_CNT_MODE_BI});
    for (int id : kPairControls) EXPECT_FALSE(enabled(id)) << id;
    for (int id : kOwnControls) EXPECT_FALSE(enabled(id)) << id;

    // Channel 3 is a first member again.
    click(window(), IDC_CNT_CHANNEL3);
    for (int id : kPairControls) EXPECT_TRUE(enabled(id)) << id;
    for (int id : kOwnControls) EXPECT_TRUE(enabled(id)) << id;

    ok();
    EXPECT_EQ(stored()[1], 0x00C5);
}

TEST_F(CounterDialogTest, ModeChangeOnAFirstMemberReachesTheSecondAtOnce) {
    open(8, false);
    click(window(), IDC_CNT_RANGE_24V);
    click(window(), IDC_CNT_DIGITAL_FILTER);
    click(window(), IDC_CNT_SIZE_24);
    EXPECT_EQ(checkedOf(IDC_CNT_RANGE_5V, IDC_CNT_RANGE_AC), std::vector<int>{IDC_CNT_RANGE_24V});
    EXPECT_EQ(checkedOf(IDC_CNT_SIZE_16, IDC_CNT_SIZE_24), std::vector<int>{IDC_CNT_SIZE_24});
    click(window(), IDC_CNT_CHANNEL2);
    click(window(), IDC_CNT_ANALOG_FILTER);
    EXPECT_EQ(reg(1), "0020");
    click(window(), IDC_CNT_CHANNEL1);

    click(window(), IDC_CNT_MODE_BI);
    EXPECT_EQ(reg(0), "0056");
    EXPECT_EQ(reg(1), reg(0)) << "Reg2 follows Reg1 as soon as the click is handled";
    click(window(), IDC_CNT_CHANNEL2);
    for (int id : kOwnControls) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(checked(IDC_CNT_DIGITAL_FILTER)) << "channel 2 shows the pair's copy";
    EXPECT_FALSE(checked(IDC_CNT_ANALOG_FILTER));

    // Back to UniDirectional: channel 2 keeps channel 1's own bits, not its range and mode.
    click(window(), IDC_CNT_CHANNEL1);
    click(window(), IDC_CNT_MODE_UNI);
    EXPECT_EQ(reg(0), "0052");
    EXPECT_EQ(reg(1), "0050");
    click(window(), IDC_CNT_CHANNEL2);
    for (int id : kOwnControls) EXPECT_TRUE(enabled(id)) << id;
    for (int id : kPairControls) EXPECT_FALSE(enabled(id)) << id;

    ok();
    EXPECT_EQ(stored(), (Words{0x0052, 0x0050, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(CounterDialogTest, ClicksOnDisabledOrHiddenButtonsChangeNothing) {
    open(4, true, {0x0004, 0x0000, 0x0000, 0x0000, 0x0010, 0x1111, 0x2222, 0x3333, 0x4444});
    click(window(), IDC_CNT_CHANNEL2);
    ASSERT_FALSE(enabled(IDC_CNT_RANGE_AC));
    // Mouse messages reach a disabled button all the same.
    for (int id : {IDC_CNT_RANGE_AC, IDC_CNT_MODE_QUAD4X, IDC_CNT_SIZE_24, IDC_CNT_RATE_01HZ,
                   IDC_CNT_DIGITAL_FILTER}) {
        click(window(), id);
        notify(window(), id, BN_CLICKED);
    }
    EXPECT_EQ(checkedOf(IDC_CNT_RANGE_5V, IDC_CNT_RANGE_AC), std::vector<int>{IDC_CNT_RANGE_5V});
    EXPECT_EQ(checkedOf(IDC_CNT_MODE_UNI, IDC_CNT_MODE_QUAD4X), std::vector<int>{IDC_CNT_MODE_BI});
    EXPECT_EQ(checkedOf(IDC_CNT_SIZE_16, IDC_CNT_SIZE_24), std::vector<int>{IDC_CNT_SIZE_16});
    EXPECT_EQ(checkedOf(IDC_CNT_RATE_1HZ, IDC_CNT_RATE_01HZ), std::vector<int>{IDC_CNT_RATE_1HZ});
    EXPECT_FALSE(checked(IDC_CNT_DIGITAL_FILTER));
    // A hidden channel of the 4-channel model.
    notify(window(), IDC_CNT_CHANNEL6, BN_CLICKED);
    EXPECT_EQ(checkedOf(IDC_CNT_CHANNEL1, IDC_CNT_CHANNEL8), std::vector<int>{IDC_CNT_CHANNEL2});
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(reg(i), hex(Words{0x0004, 0x0004, 0, 0, 0x0010}[static_cast<std::size_t>(i)])) << i;

    ok();
    EXPECT_EQ(stored(), (Words{0x0004, 0x0004, 0, 0, 0x0010, 0x1111, 0x2222, 0x3333, 0x4444}))
        << "registers 6 to 9 go back as read";
}

TEST_F(CounterDialogTest, OkDropsWhatNoSettingHolds) {
    struct Case {
        const char* name;
        int channels;
        Words host;
        Words stored;
    };
    const Case cases[] = {
        {"bits 8-15 of channel registers",
         8,
         {0xFF01, 0xAB30, 0x1200, 0x0100, 0xFFFF, 0x80F3, 0x0180, 0x7F00, 0xFFFF},
         {0x0001, 0x0030, 0x0000, 0x0000, 0x00FF, 0x00FF, 0x0080, 0x0000, 0xFFFF}},
        {"second member copies a pair in Quadrature",
         4,
         {0x009A, 0x0041, 0x000C, 0x00F3, 0x1234, 0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD},
         {0x009A, 0x009A, 0x000C, 0x000C, 0x1234, 0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.channels, true, c.host);
        const int shown = c.channels + 1;
        for (int i = 0; i < shown; ++i)
            EXPECT_EQ(reg(i), hex(c.stored[static_cast<std::size_t>(i)])) << "Reg" << i + 1;
        ok();
        EXPECT_EQ(stored(), c.stored);
        dialog.reset();
    }
}

TEST_F(CounterDialogTest, TypedDelayReachesItsRegisterAndTheCaretStays) {
    struct Case {
        int channels;
        std::string keys;
        std::string field; // what the field holds afterwards (at most 5 characters)
        std::uint16_t delay;
    };
    const Case cases[] = {
        {8, "250", "250", 0x00FA},
        {8, "123456", "12345", 12345},
        {4, "99999", "99999", 0xFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        open(c.channels, false);
        const HWND edit = dialog->item(IDC_CNT_DELAY);
        SendMessageA(edit, EM_SETSEL, 0, -1); // the user selects the "0" and types over it
        for (std::size_t n = 0; n < c.keys.size(); ++n) {
            type(edit, c.keys.substr(n, 1));
            DWORD start = 0, end = 0;
            SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            const DWORD length = static_cast<DWORD>(text(IDC_CNT_DELAY).size());
            EXPECT_EQ(start, length) << "caret after key " << n;
            EXPECT_EQ(end, length);
        }
        EXPECT_EQ(text(IDC_CNT_DELAY), c.field);
        const int delayIndex = c.channels;
        EXPECT_EQ(reg(delayIndex), hex(c.delay));
        EXPECT_EQ(reg(0), "0000") << "the delay is not a channel's";

        // The next action shows the value as the register holds it.
        click(window(), IDC_CNT_CHANNEL2);
        EXPECT_EQ(text(IDC_CNT_DELAY), std::to_string(c.delay));
        ok();
        EXPECT_EQ(editor.getRegister(delayIndex), c.delay);
        dialog.reset();
    }
}

TEST_F(CounterDialogTest, DefaultsGiveTheAllZeroStateAndCancelStoresNothing) {
    const Words host{0x00C5, 0x0011, 0x00FF, 0x0020, 0x0003, 0x0040, 0x0008, 0x0080, 0x03E8};
    open(8, true, host);
    click(window(), IDC_CNT_CHANNEL4);
    click(window(), 3);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(reg(i), "0000") << "Reg" << i + 1;
    EXPECT_EQ(text(IDC_CNT_DELAY), "0");
    EXPECT_EQ(checkedOf(IDC_CNT_CHANNEL1, IDC_CNT_CHANNEL8), std::vector<int>{IDC_CNT_CHANNEL1});
    EXPECT_EQ(checkedOf(IDC_CNT_MODE_UNI, IDC_CNT_MODE_QUAD4X), std::vector<int>{IDC_CNT_MODE_UNI});
    EXPECT_FALSE(checked(IDC_CNT_DIGITAL_FILTER));

    click(window(), IDCANCEL);
    EXPECT_EQ(window(), nullptr);
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(stored(), host);
}

TEST(CounterEditor, BuildsTheDialogOfItsModelThroughTheWin32Factory) {
    struct Case {
        ModuleKind kind;
        const char* caption;
        bool channel5;
    };
    for (const Case& c :
         {Case{5, " Configure 770-ZHC-358-00VM", true}, Case{6, " Configure 770-ZHC-354-00VM", false}}) {
        SCOPED_TRACE(c.kind);
        const auto editor = makeEditor(c.kind, HostContext{}, win32DialogFactory());
        auto* counter = dynamic_cast<CounterDialog*>(editor->dialog());
        ASSERT_NE(counter, nullptr);
        EditorApp app(*editor, false);
        ASSERT_TRUE(counter->createModeless());
        EXPECT_EQ(counter->caption(), c.caption);
        EXPECT_EQ(counter->isItemVisible(IDC_CNT_CHANNEL5), c.channel5);
        click(counter->hwnd(), IDC_CNT_MODE_QUAD4X);
        click(counter->hwnd(), IDOK);
        EXPECT_EQ(editor->getRegister(0), 0x000C);
        EXPECT_EQ(editor->getRegister(1), 0x000C);
    }
}

TEST(CounterEditor, ModalRunStoresOnOkAndEndsWithOne) {
    TestEditor block(9);
    block.setRegister(0, 0x0001);
    block.setRegister(8, 0x0064);
    EditorApp app(block, true);
    CounterDialog counter(8);
    // The user, from outside the modal loop: a click on "Quadrature 1X", then OK.
    const DWORD uiThread = GetCurrentThreadId();
    std::thread user = testing::actOnWindow(" Configure 770-ZHC-358-00VM", [uiThread](HWND window) {
        if (!window) { // not found by its caption: end whatever shows, so the test fails, not hangs
            EnumThreadWindows(
                uiThread, [](HWND w, LPARAM) { return PostMessageA(w, WM_COMMAND, IDCANCEL, 0); }, 0);
            return;
        }
        click(window, IDC_CNT_MODE_QUAD1X);
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    const int result = counter.runModal();
    user.join();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(block.getRegister(0), 0x0009);
    EXPECT_EQ(block.getRegister(1), 0x0009);
    EXPECT_EQ(block.getRegister(8), 0x0064);
}

void counterShot(int channels, const char* file) {
    const std::string directory = testing::shotDirectory();
    if (directory.empty()) GTEST_SKIP() << "VELMORA_SHOT_DIR is not set";
    TestEditor block(9);
    testing::loadWords(block, Words{0x0095, 0x0095, 0x0022, 0x0070, 0x0000, 0x0010, 0x000F, 0x0020, 0x03E8});
    if (channels == 4) block.setRegister(4, 0x01F4);
    EditorApp app(block, true);
    CounterDialog counter(channels);
    ASSERT_TRUE(counter.createModeless());
    SetFocus(counter.item(IDOK));
    EXPECT_TRUE(testing::saveWindowBitmap(counter.hwnd(), directory + "/" + file));
}

TEST(Screenshot, DISABLED_Counter8Channels) {
    counterShot(8, "counter8.bmp");
}

TEST(Screenshot, DISABLED_Counter4Channels) {
    counterShot(4, "counter4.bmp");
}

} // namespace
} // namespace velmora
