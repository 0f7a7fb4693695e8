// Every window of the tool is a dialog template with a bitmap control (the
// logo, the heading, the waiting notice). Showing one must not cost a GDI
// object that outlives it: the tool shows a module dialog per host window,
// for as long as the host runs. And the icons the module dialogs hand out.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "../../resources/analog_ids.h"
#include "../../resources/counter_ids.h"
#include "../../resources/multipurpose_ids.h"
#include "../../resources/resource.h"
#include "../../resources/universal_ids.h"
#include "dialogs/alarm_dialog_win32.h"
#include "dialogs/analog_input_dialog_win32.h"
#include "dialogs/counter_dialog_win32.h"
#include "dialogs/multipurpose_dialog_win32.h"
#include "dialogs/universal_input_dialog_win32.h"
#include "framework/dialog.h"
#include "modules/analog_rules.h"
#include "win32/module_dialog_fixture.h"
#include "win32/process_resources.h"

namespace velmora {
namespace {

class PlainDialog final : public Dialog {
public:
    explicit PlainDialog(int templateId) : Dialog(templateId) {}
};

long ownGdiObjects() {
    return testing::measureResources(GetCurrentProcess()).gdiObjects;
}

TEST(DialogImages, ABitmapOfTheTemplateGoesWithItsDialog) {
    struct Template {
        int id;
        int bitmapControl;
    };
    const Template templates[] = {
        {IDD_ABOUT, IDC_LOGO},
        {IDD_MODULE_SELECT, IDC_MODULE_LOGO},
        {IDD_STARTUP, IDC_HEADING},
        {IDD_ANALOG_INPUT, IDC_ANALOG_LOGO},
        {IDD_ALARM_LIMITS, IDC_ALARM_LOGO},
        {IDD_UNIVERSAL, IDC_UNI_LOGO},
        {IDD_COUNTER, IDC_CNT_LOGO},
        {IDD_MULTIPURPOSE, IDC_MP_LOGO},
    };
    auto showAndClose = [](int id, int bitmapControl) {
        PlainDialog dialog(id);
        if (!dialog.createModeless()) return false;
        // The image is there while the dialog is.
        const bool shown = SendMessageA(dialog.item(bitmapControl), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        dialog.endDialog(IDCANCEL);
        return shown;
    };
    for (const Template& t : templates) {
        SCOPED_TRACE("template " + std::to_string(t.id));
        // The first dialogs of a kind create what the system keeps for all.
        ASSERT_TRUE(showAndClose(t.id, t.bitmapControl));
        ASSERT_TRUE(showAndClose(t.id, t.bitmapControl));
        const long before = ownGdiObjects();
        ASSERT_GT(before, 0) << "the GDI objects of this process can be counted";
        for (int round = 0; round < 10; ++round) ASSERT_TRUE(showAndClose(t.id, t.bitmapControl));
        EXPECT_LE(ownGdiObjects(), before + 2) << "10 dialogs shown and closed";
    }
}

TEST(DialogImages, OnlyTheAnalogAndAlarmDialogsAnswerTheDragIconQuery) {
    testing::TestEditor editor(19);
    testing::loadWords(editor, AnalogRules(3).words());
    testing::EditorApp app(editor, true);
    struct Case {
        const char* name;
        std::unique_ptr<ModuleDialog> dialog;
        bool answers;
    };
    Case cases[] = {
        {"analog", std::make_unique<AnalogInputDialog>(3), true},
        {"alarm", std::make_unique<AlarmDialog>(3), true},
        {"universal", std::make_unique<UniversalInputDialog>(), false},
        {"counter", std::make_unique<CounterDialog>(8), false},
        {"multi-purpose", std::make_unique<MultiPurposeDialog>(), false},
    };
    for (Case& c : cases) {
        ASSERT_TRUE(c.dialog->createModeless()) << c.name;
        const HWND window = c.dialog->hwnd();
        const LRESULT icon = SendMessageA(window, WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(icon, 0) << c.name;
        // A dialog that does not answer gets the system's default icon.
        EXPECT_EQ(SendMessageA(window, WM_QUERYDRAGICON, 0, 0) == icon, c.answers) << c.name;
        c.dialog->endDialog(IDCANCEL);
    }
}

} // namespace
} // namespace velmora
