// The analog input dialog over its real template: every list reaches the
// rules and shows the words at once; the Alarms button runs the alarm
// dialog over it. The rules themselves are tested natively.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "../../resources/analog_ids.h"
#include "dialogs/analog_input_dialog_win32.h"
#include "modules/analog_rules.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

std::vector<std::uint16_t> defaultWords(ModuleKind kind) {
    const AnalogRules rules(kind);
    return {rules.words().begin(), rules.words().end()};
}

TEST(AnalogDialog, EveryListReachesTheRulesAndTheEditorAtOnce) {
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
    // The run cycle writes the editor's words on OK and drops them on Cancel.
    checkBinding([] { return std::make_unique<AnalogInputDialog>(3); }, defaultWords(3),
                 {IDC_ANALOG_REG1, IDC_ANALOG_REG2, IDC_ANALOG_REG3}, 0, Stores::AtOnce,
                 " Configuring KTR-ZCI-312-00VM", steps);
}

// Modal over the analog dialog, on the editor's words, which the analog
// dialog then takes back; a click sent to the disabled button of a model
// without alarms opens nothing.
TEST(AnalogDialog, AlarmsRunsTheAlarmDialogOnlyWhereTheModelHasAlarms) {
    for (const ModuleKind kind : {2, 3}) {
        SCOPED_TRACE(kind);
        TestEditor editor;
        std::vector<std::uint16_t> host = defaultWords(kind);
        for (int i = 3; i < 19; ++i) host[static_cast<std::size_t>(i)] = 0x0123;
        for (int i = 0; i < 19; ++i) editor.setRegister(i, host[static_cast<std::size_t>(i)]);
        FakeAppServices app(RunMode::Synchronised, &editor, "KTR-ZCI-312-00VM");
        AnalogInputDialog analog(kind);
        ASSERT_TRUE(analog.createModeless());
        std::string seen;
        bool ownerDisabled = false;
        std::thread user([&] {
            const HWND alarms = waitForWindow(" KTR-ZCI-312-00VM Alarm Limits", 1500);
            if (!alarms) return;
            ownerDisabled = !IsWindowEnabled(analog.hwnd());
            seen = texts(alarms, {IDC_ALARM_MIN1_HEX});
            click(alarms, IDC_ALARM_DEFAULTS);
            click(alarms, IDOK);
        });
        SendMessageA(analog.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_ANALOG_ALARMS, BN_CLICKED), 0);
        user.join();
        EXPECT_EQ(seen, kind == 3 ? "0123" : "");
        EXPECT_EQ(ownerDisabled, kind == 3);
        EXPECT_TRUE(IsWindowEnabled(analog.hwnd()));
        perform(analog.hwnd(), {Act::Select, IDC_ANALOG_ACQUISITION2, "1", ""});
        EXPECT_EQ(words(editor, 3, 1), kind == 3 ? "D8F0" : "0123") << "the alarm dialog's Defaults kept";
    }
}

} // namespace
} // namespace velmora
