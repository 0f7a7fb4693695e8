// The alarm setpoint dialog of module 3 over its real template: each value
// field is read back when the focus leaves it, Enter moves on and never
// closes, OK keeps what was typed and Cancel puts Reg1-Reg19 back. The
// setpoint rules themselves are tested natively.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../../resources/analog_ids.h"
#include "dialogs/alarm_dialog_win32.h"
#include "modules/analog_rules.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

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

TEST(AlarmDialog, EachValueFieldIsReadBackWhenLeftOkKeepsCancelRestores) {
    struct Row {
        int value, hex;
        const char* typed;
        const char* word; // every group "-10V to +10V" "DVM": millivolts
    };
    const Row rows[] = {
        {IDC_ALARM_MIN1_VALUE, IDC_ALARM_MIN1_HEX, "-1", "FC18"},
        {IDC_ALARM_MAX1_VALUE, IDC_ALARM_MAX1_HEX, "1", "03E8"},
        {IDC_ALARM_MIN2_VALUE, IDC_ALARM_MIN2_HEX, "-2", "F830"},
        {IDC_ALARM_MAX2_VALUE, IDC_ALARM_MAX2_HEX, "2", "07D0"},
        {IDC_ALARM_MIN3_VALUE, IDC_ALARM_MIN3_HEX, "-3", "F448"},
        {IDC_ALARM_MAX3_VALUE, IDC_ALARM_MAX3_HEX, "3", "0BB8"},
        {IDC_ALARM_MIN4_VALUE, IDC_ALARM_MIN4_HEX, "-4", "F060"},
        {IDC_ALARM_MAX4_VALUE, IDC_ALARM_MAX4_HEX, "4", "0FA0"},
        {IDC_ALARM_MIN5_VALUE, IDC_ALARM_MIN5_HEX, "-5", "EC78"},
        {IDC_ALARM_MAX5_VALUE, IDC_ALARM_MAX5_HEX, "5", "1388"},
        {IDC_ALARM_MIN6_VALUE, IDC_ALARM_MIN6_HEX, "-6", "E890"},
        {IDC_ALARM_MAX6_VALUE, IDC_ALARM_MAX6_HEX, "6", "1770"},
        {IDC_ALARM_MIN7_VALUE, IDC_ALARM_MIN7_HEX, "-7", "E4A8"},
        {IDC_ALARM_MAX7_VALUE, IDC_ALARM_MAX7_HEX, "7", "1B58"},
        {IDC_ALARM_MIN8_VALUE, IDC_ALARM_MIN8_HEX, "-8", "E0C0"},
        {IDC_ALARM_MAX8_VALUE, IDC_ALARM_MAX8_HEX, "8", "1F40"},
    };
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        TestEditor editor;
        const AnalogRules rules(3);
        const auto& host = rules.words();
        for (int i = 0; i < 19; ++i) editor.setRegister(i, host[static_cast<std::size_t>(i)]);
        const std::string opened = words(editor, 0, 19);
        FakeAppServices app(RunMode::Synchronised, &editor, "KTR-ZCI-312-00VM");
        AlarmDialog alarms(3);
        ASSERT_TRUE(alarms.createModeless());
        const HWND dialog = alarms.hwnd();
        EXPECT_EQ(windowText(dialog), " KTR-ZCI-312-00VM Alarm Limits");
        ASSERT_TRUE(SetForegroundWindow(dialog));
        std::string stored;
        for (std::size_t s = 0; s < std::size(rows); ++s) {
            const Row& row = rows[s];
            SCOPED_TRACE(row.typed);
            const int index = 3 + static_cast<int>(s);
            const std::string before = words(editor, index, 1);
            perform(dialog, {Act::Type, row.value, row.typed, ""});
            EXPECT_EQ(words(editor, index, 1), before) << "nothing read before the focus leaves";
            SetFocus(GetNextDlgTabItem(dialog, GetDlgItem(dialog, row.value), FALSE));
            EXPECT_EQ(texts(dialog, {row.hex}), row.word);
            EXPECT_EQ(words(editor, index, 1), row.word);
            stored += (stored.empty() ? "" : " ") + std::string(row.word);
        }
        // Still typing when the dialog ends: Enter reads the field and moves
        // on; Escape ends without reading it.
        perform(dialog, {Act::Type, IDC_ALARM_MAX8_VALUE, "9", ""});
        if (button == IDOK) {
            press(dialog, VK_RETURN);
            ASSERT_TRUE(IsWindow(dialog));
            EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_ALARM_MIN1_VALUE));
            click(dialog, IDOK);
        } else {
            press(dialog, VK_ESCAPE);
        }
        EXPECT_FALSE(IsWindow(dialog));
        EXPECT_EQ(alarms.result(), button);
        EXPECT_EQ(words(editor, 0, 19),
                  button == IDOK ? opened.substr(0, 15) + stored.substr(0, 75) + "2328" : opened);
    }
}

} // namespace
} // namespace velmora
