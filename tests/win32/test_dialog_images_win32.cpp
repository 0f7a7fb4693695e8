// Every window of the tool is a dialog template with a bitmap control (the
// logo, the heading, the waiting notice). Showing one must not cost a GDI
// object that outlives it: the tool shows a module dialog per host window,
// for as long as the host runs.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "../../resources/analog_ids.h"
#include "../../resources/counter_ids.h"
#include "../../resources/multipurpose_ids.h"
#include "../../resources/resource.h"
#include "../../resources/universal_ids.h"
#include "framework/dialog.h"
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

} // namespace
} // namespace velmora
