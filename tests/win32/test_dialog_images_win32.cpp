// Every window of the tool is a template with a bitmap control, and the tool
// shows a module dialog per host window for as long as the host runs:
// showing one must not leave a GDI object behind.

#include <gtest/gtest.h>

#include <windows.h>

#include "../../resources/analog_ids.h"
#include "framework/dialog.h"
#include "win32/process_resources.h"

namespace velmora {
namespace {

class PlainDialog final : public Dialog {
public:
    PlainDialog() : Dialog(IDD_ANALOG_INPUT) {}
};

// Whether the dialog showed its bitmap.
bool showAndClose() {
    PlainDialog dialog;
    if (!dialog.createModeless()) return false;
    const bool shown = SendMessageA(dialog.item(IDC_ANALOG_LOGO), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    dialog.endDialog(IDCANCEL);
    return shown;
}

TEST(DialogImages, ATemplatesBitmapGoesWithItsDialog) {
    // The first dialogs create what the system keeps for all.
    ASSERT_TRUE(showAndClose());
    ASSERT_TRUE(showAndClose());
    const long before = testing::measureResources(GetCurrentProcess()).gdiObjects;
    ASSERT_GT(before, 0) << "the GDI objects of this process can be counted";
    for (int round = 0; round < 20; ++round) ASSERT_TRUE(showAndClose());
    EXPECT_LE(testing::measureResources(GetCurrentProcess()).gdiObjects, before + 2) << "20 dialogs shown";
}

} // namespace
} // namespace velmora
