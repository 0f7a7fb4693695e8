// The module list of the standalone mode, created from its real template and
// driven by real messages.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "../../resources/resource.h"
#include "core/catalogue.h"
#include "app/module_select_dialog_win32.h"
#include "win32/fake_app_services.h"

namespace velmora {
namespace {

using testing::FakeAppServices;
using testing::pumpUntil;
using testing::windowText;

class ModuleList : public ::testing::Test {
protected:
    void open() { ASSERT_TRUE(dialog.createModeless()); }

    void click(int id) { SendMessageA(dialog.item(id), BM_CLICK, 0, 0); }

    FakeAppServices app{RunMode::Standalone};
    ModuleSelectDialog dialog;
};

TEST_F(ModuleList, ListsTheEightModulesInCatalogueOrderWithTheLastPreselected) {
    open();
    EXPECT_EQ(dialog.caption(), "Select a module");
    ASSERT_EQ(dialog.listCount(IDC_MODULE_LIST), kModuleCount);
    for (int kind = 0; kind < kModuleCount; ++kind)
        EXPECT_EQ(dialog.listText(IDC_MODULE_LIST, kind), ModuleCatalogue[kind].listName);
    EXPECT_EQ(dialog.listText(IDC_MODULE_LIST, 0), "770_ZVI_310VM");
    EXPECT_EQ(dialog.listText(IDC_MODULE_LIST, 7), "770_ZPM_354VM");
    EXPECT_EQ(dialog.listSelection(IDC_MODULE_LIST), 7);
    EXPECT_TRUE(app.selections.empty()) << "preselection selects nothing";
    EXPECT_NE(SendMessageA(dialog.hwnd(), WM_GETICON, ICON_BIG, 0), 0);

    // The module selected before is preselected.
    app.index = 3;
    ModuleSelectDialog again;
    ASSERT_TRUE(again.createModeless());
    EXPECT_EQ(again.listSelection(IDC_MODULE_LIST), 3);
}

TEST_F(ModuleList, OkWithoutAChangeKeepsModuleAndTitle) {
    open();
    click(IDOK);
    EXPECT_EQ(dialog.hwnd(), nullptr);
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_TRUE(app.selections.empty());
    EXPECT_EQ(app.moduleIndex(), 7);
    EXPECT_EQ(app.currentTitle(), "");
    EXPECT_EQ(app.runMode(), RunMode::Standalone);
}

TEST_F(ModuleList, SelectionAndDoubleClickSelectTheModule) {
    struct Case {
        const char* name;
        std::vector<int> picks; // selection changes, in order
        int doubleClicked;      // -2: none, then OK is clicked
        std::vector<int> selected;
    };
    const Case cases[] = {
        {"pick twice then OK", {0, 5}, -2, {0, 5}},
        {"pick then double-click another", {1}, 6, {1, 6}},
        {"selection cleared then OK", {-1}, -2, {-1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAppServices fake(RunMode::Standalone);
        ModuleSelectDialog select;
        ASSERT_TRUE(select.createModeless());
        const HWND list = select.item(IDC_MODULE_LIST);
        auto send = [&](int index, WORD notification) {
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendMessageA(select.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_MODULE_LIST, notification),
                         reinterpret_cast<LPARAM>(list));
        };
        for (int index : c.picks) send(index, LBN_SELCHANGE);
        EXPECT_NE(select.hwnd(), nullptr) << "a selection change does not close the list";
        if (c.doubleClicked != -2)
            send(c.doubleClicked, LBN_DBLCLK);
        else
            SendMessageA(select.item(IDOK), BM_CLICK, 0, 0);

        EXPECT_EQ(select.hwnd(), nullptr);
        EXPECT_EQ(select.result(), IDOK);
        EXPECT_EQ(fake.selections, c.selected);
        const int last = c.selected.back();
        EXPECT_EQ(fake.moduleIndex(), clampModuleKind(last));
        EXPECT_EQ(fake.currentTitle(), moduleInfo(last).defaultTitle);
        EXPECT_EQ(fake.runMode(), RunMode::Standalone);
    }
}

TEST_F(ModuleList, CancelEscapeAndCloseEndTheRun) {
    enum class Act { CancelButton, Escape, CloseButton, SystemMenuClose };
    for (Act act : {Act::CancelButton, Act::Escape, Act::CloseButton, Act::SystemMenuClose}) {
        SCOPED_TRACE(static_cast<int>(act));
        FakeAppServices fake(RunMode::Standalone);
        ModuleSelectDialog select;
        ASSERT_TRUE(select.createModeless());
        const HWND window = select.hwnd();
        switch (act) {
        case Act::CancelButton:
            SendMessageA(select.item(IDCANCEL), BM_CLICK, 0, 0);
            break;
        case Act::Escape:
            SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
            break;
        case Act::CloseButton:
            SendMessageA(window, WM_CLOSE, 0, 0);
            break;
        case Act::SystemMenuClose:
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        }
        EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
        EXPECT_EQ(select.result(), IDCANCEL);
        EXPECT_EQ(fake.runMode(), RunMode::Quit);
        EXPECT_EQ(fake.writesOutsideLock, 0);
        EXPECT_EQ(fake.lockCalls, 1);
        EXPECT_EQ(fake.unlockCalls, 1);
        EXPECT_TRUE(fake.selections.empty());
    }
}

TEST_F(ModuleList, RunsModallyUntilOk) {
    // The modal run as the run cycle uses it: a posted double-click ends it.
    HWND seen = nullptr;
    std::thread closer([&] {
        seen = testing::waitForWindow("Select a module");
        // The preselection is made before the window becomes visible.
        pumpUntil([&] { return seen && IsWindowVisible(seen); });
        if (!seen) return;
        const HWND list = GetDlgItem(seen, IDC_MODULE_LIST);
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        PostMessageA(seen, WM_COMMAND, MAKEWPARAM(IDC_MODULE_LIST, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(list));
    });
    const INT_PTR result = dialog.runModal();
    closer.join();
    ASSERT_NE(seen, nullptr);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(app.selections, std::vector<int>{1});
}

} // namespace
} // namespace velmora
