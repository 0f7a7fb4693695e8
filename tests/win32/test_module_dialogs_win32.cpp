// The module dialogs over their real templates, driven by the messages a
// user's actions send, one test a dialog: every control reaches its handler
// and the register fields show what it did; what OK stores and what Cancel
// leaves; the behaviours only the Win32 layer can break (the alarm dialog run
// over the analog dialog, focus-loss read-back, Enter and Escape in the
// setpoints, hidden controls, sorted lists, the drag icon, a template's
// bitmap freed with its dialog). The register rules are tested natively.

#include <thread>

#include "dialogs/alarm_dialog_win32.h"
#include "dialogs/analog_input_dialog_win32.h"
#include "dialogs/counter_dialog_win32.h"
#include "dialogs/multipurpose_dialog_win32.h"
#include "dialogs/universal_input_dialog_win32.h"
#include "modules/analog_rules.h"
#include "win32/process_resources.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

std::vector<std::uint16_t> defaultWords(ModuleKind kind) {
    const AnalogRules rules(kind);
    return {rules.words().begin(), rules.words().end()};
}

TEST(AnalogDialog, EveryControlReachesTheRulesAndTheEditorAtOnceAlarmsWhereTheModelHasThem) {
    const std::vector<Step> steps = {
        {Act::Select, IDC_ANALOG_RANGE1, "5", "2005 2A92 8205"},
        {Act::Select, IDC_ANALOG_RANGE2, "4", "2025 2A92 8205"},
        {Act::Select, IDC_ANALOG_RANGE3, "3", "20E5 2A92 8205"},
        {Act::Select, IDC_ANALOG_RANGE4, "1", "22E5 2A92 8205"},
        {Act::Click, IDC_ANALOG_DEFAULTS, "", "2000 2A92 8205"},
        {Act::Select, IDC_ANALOG_FORMAT1, "0", "2000 2892 8205"},
        {Act::Select, IDC_ANALOG_FORMAT2, "2", "2000 3092 8205"},
        {Act::Select, IDC_ANALOG_FORMAT3, "3", "2000 7092 8205"},
        {Act::Select, IDC_ANALOG_FORMAT4, "0", "2000 7092 8204"},
        {Act::Select, IDC_ANALOG_FILTER1, "0", "0000 7092 8204"},
        {Act::Select, IDC_ANALOG_FILTER2, "1", "0000 7091 8204"},
        {Act::Select, IDC_ANALOG_FILTER3, "3", "0000 7099 8204"},
        {Act::Select, IDC_ANALOG_FILTER4, "0", "0000 7019 8204"},
        {Act::Select, IDC_ANALOG_ACQUISITION1, "1", "0000 7019 8214"},
        {Act::Select, IDC_ANALOG_ACQUISITION2, "1", "0000 7019 8234"},
        {Act::Select, IDC_ANALOG_ACQUISITION3, "1", "0000 7019 8274"},
        {Act::Select, IDC_ANALOG_ACQUISITION4, "1", "0000 7019 82F4"},
        {Act::Select, IDC_ANALOG_CALIBRATION, "3", "0000 7019 83F4"},
        {Act::Select, IDC_ANALOG_TRIGGER, "1", "0000 7019 83FC"},
        {Act::Select, IDC_ANALOG_TIMESTAMP, "1", "0000 7019 83F8"},
    };
    checkBinding([] { return std::make_unique<AnalogInputDialog>(3); }, defaultWords(3), 3,
                 " Configuring KTR-ZCI-312-00VM", steps);
    // Alarms runs the alarm dialog modal over the analog dialog, on the
    // editor's words, which the analog dialog then takes back; a click sent
    // to the disabled button of a model without alarms opens nothing.
    for (const ModuleKind kind : {2, 3}) {
        std::vector<std::uint16_t> host = defaultWords(kind);
        std::fill(host.begin() + 3, host.end(), 0x0123);
        TestEditor editor(host);
        FakeAppServices app(RunMode::Synchronised, &editor);
        AnalogInputDialog analog(kind);
        ASSERT_TRUE(analog.createModeless());
        std::string seen = "nothing";
        std::thread user([&] {
            if (const HWND alarms = waitForWindow(" KTR-ZCI-312-00VM Alarm Limits", kind == 3 ? 3000 : 500)) {
                seen = texts(alarms, {IDC_ALARM_MIN1_HEX}) + (IsWindowEnabled(analog.hwnd()) ? "" : " over");
                sendClick(alarms, IDC_ALARM_DEFAULTS);
                sendClick(alarms, IDOK);
            }
        });
        SendMessageA(analog.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ANALOG_ALARMS, BN_CLICKED), 0);
        user.join();
        EXPECT_TRUE(IsWindowEnabled(analog.hwnd()));
        perform(analog.hwnd(), {Act::Select, IDC_ANALOG_ACQUISITION2, "1", ""});
        // Shown, over its disabled owner; then the alarm dialog's Defaults kept.
        EXPECT_EQ(seen + " " + words(editor, 3, 1), kind == 3 ? "0123 over D8F0" : "nothing 0123");
    }
}

// A key pressed in the focused control, delivered through the dialog
// manager as the tool's message loop does.
void press(HWND dialog, WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageA(GetFocus(), WM_KEYUP, key, 0xC0000001);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Every group "-10V to +10V" "DVM": the word in millivolts. The setpoints
// in register order, Min1 Max1 Min2 ... Max8, each typed as -N or N for group N.
TEST(AlarmDialog, EachValueFieldIsReadBackWhenLeftOkKeepsCancelRestores) {
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        TestEditor editor(defaultWords(3));
        const std::string opened = words(editor, 0, 19);
        FakeAppServices app(RunMode::Synchronised, &editor);
        AlarmDialog alarms(3);
        ASSERT_TRUE(alarms.createModeless());
        const HWND dialog = alarms.hwnd();
        EXPECT_EQ(textOf(dialog), " KTR-ZCI-312-00VM Alarm Limits");
        const LRESULT icon = SendMessageA(dialog, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0), icon) << "it answers the drag-icon query";
        ASSERT_TRUE(SetForegroundWindow(dialog));
        std::string stored;
        for (int s = 0; s < 16; ++s) {
            const int group = s / 2, millivolts = (s % 2 ? 1000 : -1000) * (group + 1);
            const int value = (s % 2 ? IDC_ALARM_MAX1_VALUE : IDC_ALARM_MIN1_VALUE) + group;
            const int hex = (s % 2 ? IDC_ALARM_MAX1_HEX : IDC_ALARM_MIN1_HEX) + group;
            const std::string typed = std::to_string(millivolts / 1000);
            const std::string word = words(TestEditor({static_cast<std::uint16_t>(millivolts)}), 0, 1);
            perform(dialog, {Act::Type, value, typed.c_str(), ""});
            EXPECT_EQ(words(editor, 3 + s, 1), opened.substr(5 * (3 + s), 4))
                << "nothing read before the focus leaves";
            SetFocus(GetNextDlgTabItem(dialog, GetDlgItem(dialog, value), FALSE));
            EXPECT_EQ(texts(dialog, {hex}), word);
            EXPECT_EQ(words(editor, 3 + s, 1), word);
            stored += (stored.empty() ? "" : " ") + word;
        }
        // Still typing when the dialog ends: Enter reads the field and moves
        // on; Escape ends without reading it.
        perform(dialog, {Act::Type, IDC_ALARM_MAX8_VALUE, "9", ""});
        press(dialog, button == IDOK ? VK_RETURN : VK_ESCAPE);
        EXPECT_TRUE(button != IDOK || GetFocus() == GetDlgItem(dialog, IDC_ALARM_MIN1_VALUE))
            << "Enter moves on";
        if (button == IDOK) sendClick(dialog, IDOK);
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_EQ(alarms.result(), button);
        EXPECT_EQ(words(editor, 0, 19),
                  button == IDOK ? opened.substr(0, 15) + stored.substr(0, 75) + "2328" : opened);
    }
}

TEST(UniversalDialog, EveryControlReachesItsSettingOkStoresCancelDoesNotListsInTableOrder) {
    const std::vector<Step> steps = {
        {Act::Click, IDC_UNI_GROUP2, "", "0018 0010 0018 0010 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_TYPE_CURRENT, "", "0018 0010 0001 0010 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_CURRENT, "2", "0018 0010 0081 0010 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_TYPE_THERMOCOUPLE, "", "0018 0010 0002 0010 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_THERMOCOUPLE, "3", "0018 0010 0302 0010 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_UNITS, "1", "0018 0010 0302 0110 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_GROUP3, "", "0018 0010 0302 0110 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_TYPE_RTD, "", "0018 0010 0302 0110 0003 0010 0018 0010"},
        {Act::Select, IDC_UNI_RTD, "5", "0018 0010 0302 0110 2803 0010 0018 0010"},
        {Act::Select, IDC_UNI_RTD_WIRING, "1", "0018 0010 0302 0110 A803 0010 0018 0010"},
        {Act::Click, IDC_UNI_GROUP4, "", "0018 0010 0302 0110 A803 0010 0018 0010"},
        {Act::Click, IDC_UNI_TYPE_RESISTANCE, "", "0018 0010 0302 0110 A803 0010 0004 0010"},
        {Act::Select, IDC_UNI_RESISTANCE, "2", "0018 0010 0302 0110 A803 0010 0004 0012"},
        {Act::Select, IDC_UNI_RES_WIRING, "1", "0018 0010 0302 0110 A803 0010 8004 0012"},
        {Act::Click, IDC_UNI_TYPE_CJC, "", "0018 0010 0302 0110 A803 0010 0005 0010"},
        {Act::Click, 3, "", "0018 0010 0018 0010 0018 0010 0018 0010"}, // Defaults
        {Act::Click, IDC_UNI_GROUP2, "", "0018 0010 0018 0010 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_VOLTAGE, "7", "0018 0010 0038 0010 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_FORMAT, "3", "0018 0010 0038 0030 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_FILTER, "2", "0018 0010 0038 0038 0018 0010 0018 0010"},
        {Act::Select, IDC_UNI_FAULT, "1", "0018 0010 0038 0078 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_GROUP1, "", "0018 0010 0038 0078 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_TYPE_CJC, "", "0005 0010 0038 0078 0018 0010 0018 0010"},
        {Act::Click, IDC_UNI_TYPE_VOLTAGE, "", "0000 0010 0038 0078 0018 0010 0018 0010"},
    };
    checkBinding([] { return std::make_unique<UniversalInputDialog>(); },
                 {0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010}, 4,
                 " Configure ZUI-340-00VM", steps);
    // Sorted lists hold the tables' entries in the tables' order.
    FakeAppServices app;
    UniversalInputDialog dialog;
    ASSERT_TRUE(dialog.createModeless());
    for (const auto& info : universal::kLists) {
        const auto table = UniversalSettings::listTexts(info.list);
        ASSERT_EQ(dialog.listCount(static_cast<int>(info.list)), static_cast<int>(table.size()));
        for (std::size_t i = 0; i < table.size(); ++i)
            EXPECT_EQ(dialog.listText(static_cast<int>(info.list), static_cast<int>(i)), table[i]) << i;
    }
}

TEST(CounterDialog, EveryControlReachesItsSettingOkStoresCancelDoesNot) {
    // Channel 1 at 0.1 Hz and a delay of 100 read from the host.
    const std::vector<Step> steps = {
        {Act::Click, IDC_CNT_CHANNEL3, "", "0080 0000 0000 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RANGE_12V, "", "0080 0000 0001 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RANGE_24V, "", "0080 0000 0002 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RANGE_AC, "", "0080 0000 0003 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RANGE_5V, "", "0080 0000 0000 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_SIZE_24, "", "0080 0000 0040 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_SIZE_16, "", "0080 0000 0000 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_DIGITAL_FILTER, "", "0080 0000 0010 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_ANALOG_FILTER, "", "0080 0000 0030 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RATE_01HZ, "", "0080 0000 00B0 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RATE_1HZ, "", "0080 0000 0030 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_CHANNEL4, "", "0080 0000 0030 0000 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_RATE_01HZ, "", "0080 0000 0030 0080 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_CHANNEL5, "", "0080 0000 0030 0080 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_MODE_BI, "", "0080 0000 0030 0080 0004 0004 0000 0000 0064"},
        {Act::Click, IDC_CNT_MODE_QUAD1X, "", "0080 0000 0030 0080 0008 0008 0000 0000 0064"},
        {Act::Click, IDC_CNT_MODE_QUAD4X, "", "0080 0000 0030 0080 000C 000C 0000 0000 0064"},
        {Act::Click, IDC_CNT_MODE_UNI, "", "0080 0000 0030 0080 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_CHANNEL6, "", "0080 0000 0030 0080 0000 0000 0000 0000 0064"},
        {Act::Click, IDC_CNT_SIZE_24, "", "0080 0000 0030 0080 0000 0040 0000 0000 0064"},
        {Act::Click, IDC_CNT_CHANNEL7, "", "0080 0000 0030 0080 0000 0040 0000 0000 0064"},
        {Act::Click, IDC_CNT_RANGE_12V, "", "0080 0000 0030 0080 0000 0040 0001 0000 0064"},
        {Act::Click, IDC_CNT_CHANNEL8, "", "0080 0000 0030 0080 0000 0040 0001 0000 0064"},
        {Act::Click, IDC_CNT_DIGITAL_FILTER, "", "0080 0000 0030 0080 0000 0040 0001 0010 0064"},
        {Act::Click, IDC_CNT_DEFAULTS, "", "0000 0000 0000 0000 0000 0000 0000 0000 0000"},
        {Act::Click, IDC_CNT_CHANNEL2, "", "0000 0000 0000 0000 0000 0000 0000 0000 0000"},
        {Act::Click, IDC_CNT_ANALOG_FILTER, "", "0000 0020 0000 0000 0000 0000 0000 0000 0000"},
        {Act::Click, IDC_CNT_CHANNEL1, "", "0000 0020 0000 0000 0000 0000 0000 0000 0000"},
        {Act::Click, IDC_CNT_RANGE_24V, "", "0002 0020 0000 0000 0000 0000 0000 0000 0000"},
        {Act::Type, IDC_CNT_DELAY, "250", "0002 0020 0000 0000 0000 0000 0000 0000 00FA"},
        {Act::Type, IDC_CNT_DELAY, "123456", "0002 0020 0000 0000 0000 0000 0000 0000 3039"},
    };
    checkBinding([] { return std::make_unique<CounterDialog>(8); }, {0x0080, 0, 0, 0, 0, 0, 0, 0, 0x0064}, 5,
                 " Configure 770-ZHC-358-00VM", steps);
}

TEST(MultiPurposeDialog, EveryControlReachesItsSettingOkStoresCancelDoesNot) {
    const std::vector<Step> steps = {
        {Act::Click, IDC_MP_CHANNEL2, "", "0040 0040 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_RANGE_12V, "", "0040 0041 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_RANGE_24V, "", "0040 0042 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_RANGE_AC, "", "0040 0043 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_GATE_12V, "", "0040 0047 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_GATE_24V, "", "0040 004B 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_CHANNEL3, "", "0040 004B 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_RANGE_12V, "", "0040 004B 0041 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_RANGE_5V, "", "0040 004B 0040 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_DIGITAL_FILTER, "", "0040 004B 0050 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_ANALOG_FILTER, "", "0040 004B 0070 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_SIZE_16BIT, "", "0040 004B 0030 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_CHANNEL4, "", "0040 004B 0030 0040 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_GATE_12V, "", "0040 004B 0030 0044 00FA 0001 0002 0003 0004"},
        {Act::Click, IDC_MP_GATE_5V, "", "0040 004B 0030 0040 00FA 0001 0002 0003 0004"},
        {Act::Type, IDC_MP_TIMEOUT, "300", "0040 004B 0030 0040 00FA 0001 0002 0003 00F0"},
        {Act::Click, IDC_MP_CHANNEL1, "", "0040 004B 0030 0040 00FA 0001 0002 0003 00F0"},
        {Act::Click, IDC_MP_SIZE_16BIT, "", "0000 004B 0030 0040 00FA 0001 0002 0003 00F0"},
        {Act::Click, IDC_MP_SIZE_24BIT, "", "0040 004B 0030 0040 00FA 0001 0002 0003 00F0"},
        {Act::Click, IDC_MP_DEFAULTS, "", "0040 0040 0040 0040 0000 0000 0000 0000 0000"},
        {Act::Click, IDC_MP_CHANNEL2, "", "0040 0040 0040 0040 0000 0000 0000 0000 0000"},
        {Act::Type, IDC_MP_TIMEOUT, "12", "0040 0040 0040 0040 0000 0000 000C 0000 0000"},
        {Act::Type, IDC_MP_DELAY, "1234", "0040 0040 0040 0040 04D2 0000 000C 0000 0000"},
    };
    checkBinding([] { return std::make_unique<MultiPurposeDialog>(); },
                 {0x0040, 0x0040, 0x0040, 0x0040, 250, 1, 2, 3, 4}, 7, "Configure 770-ZPC-354-00VM", steps);
}

struct PlainDialog final : Dialog {
    PlainDialog() : Dialog(IDD_ANALOG_INPUT) {}
};

// The tool shows a module dialog per host window for as long as the host
// runs: each must free its template's bitmap. Whether it showed it:
bool showAndClose() {
    PlainDialog dialog;
    if (!dialog.createModeless()) return false;
    const bool shown = SendMessageA(dialog.item(IDC_ANALOG_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    dialog.endDialog(IDCANCEL);
    return shown;
}

TEST(DialogImages, ATemplatesBitmapGoesWithItsDialog) {
    // The first dialogs create what the system keeps for all.
    for (int round = 0; round < 2; ++round) ASSERT_TRUE(showAndClose());
    const long before = measureResources(GetCurrentProcess()).gdiObjects;
    ASSERT_GT(before, 0) << "the GDI objects of this process can be counted";
    for (int round = 0; round < 20; ++round) ASSERT_TRUE(showAndClose());
    EXPECT_LE(measureResources(GetCurrentProcess()).gdiObjects, before + 2) << "20 dialogs shown";
}

} // namespace
} // namespace velmora
