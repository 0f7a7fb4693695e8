// The universal input dialog over its real template: every button and list
// reaches the settings of the group on show, the register fields show the
// words at once, OK stores them and Cancel stores nothing; the lists keep
// the table's order though the template sorts them. The settings' rules are
// tested natively.

#include <gtest/gtest.h>

#include <windows.h>

#include "../../resources/universal_ids.h"
#include "dialogs/universal_input_dialog_win32.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

TEST(UniversalDialog, EveryControlReachesItsSettingOkStoresCancelDoesNot) {
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
                 {0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010, 0x0018, 0x0010},
                 {IDC_UNI_REG1, IDC_UNI_REG2, IDC_UNI_REG3, IDC_UNI_REG4, IDC_UNI_REG5, IDC_UNI_REG6,
                  IDC_UNI_REG7, IDC_UNI_REG8},
                 0, Stores::OnOk, " Configure ZUI-340-00VM", steps);
}

TEST(UniversalDialog, SortedListsHoldTheTablesEntriesInTheTablesOrder) {
    TestEditor editor;
    FakeAppServices app(RunMode::Synchronised, &editor);
    UniversalInputDialog dialog;
    ASSERT_TRUE(dialog.createModeless());
    for (const auto& info : universal::kLists) {
        const int id = static_cast<int>(info.list);
        std::vector<std::string> shown;
        for (int i = 0; i < dialog.listCount(id); ++i) shown.push_back(dialog.listText(id, i));
        const auto table = UniversalSettings::listTexts(info.list);
        EXPECT_EQ(shown, std::vector<std::string>(table.begin(), table.end())) << id;
    }
}

} // namespace
} // namespace velmora
