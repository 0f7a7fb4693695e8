// The counter dialog over its real template: every button and the delay
// field reach the counter settings, the register fields show the words at
// once, OK stores them and Cancel stores nothing; the 4-channel model hides
// what it lacks. The settings' rules are tested natively.

#include <gtest/gtest.h>

#include <windows.h>

#include "../../resources/counter_ids.h"
#include "dialogs/counter_dialog_win32.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

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
    checkBinding([] { return std::make_unique<CounterDialog>(8); }, {0x0080, 0, 0, 0, 0, 0, 0, 0, 0x0064},
                 {IDC_CNT_REG1, IDC_CNT_REG2, IDC_CNT_REG3, IDC_CNT_REG4, IDC_CNT_REG5, IDC_CNT_REG6,
                  IDC_CNT_REG7, IDC_CNT_REG8, IDC_CNT_REG9},
                 0, Stores::OnOk, " Configure 770-ZHC-358-00VM", steps);
}

TEST(CounterDialog, FourChannelModelHidesChannelsAndRegistersItLacks) {
    TestEditor editor;
    FakeAppServices app(RunMode::Synchronised, &editor);
    CounterDialog dialog(4);
    ASSERT_TRUE(dialog.createModeless());
    EXPECT_EQ(dialog.caption(), " Configure 770-ZHC-354-00VM");
    for (const int id : {IDC_CNT_CHANNEL4, IDC_CNT_REG5, IDC_CNT_REG5_LABEL})
        EXPECT_TRUE(dialog.isItemVisible(id)) << id;
    for (const int id : {IDC_CNT_CHANNEL5, IDC_CNT_CHANNEL8, IDC_CNT_REG6, IDC_CNT_REG9, IDC_CNT_REG6_LABEL})
        EXPECT_FALSE(dialog.isItemVisible(id)) << id;
    perform(dialog.hwnd(), {Act::Type, IDC_CNT_DELAY, "300", ""});
    EXPECT_EQ(texts(dialog.hwnd(), {IDC_CNT_REG5}), "012C") << "the delay follows the four channels";
}

} // namespace
} // namespace velmora
