// The multi-purpose counter dialog over its real template: every button and
// both entry fields reach the settings, the register fields show the words
// at once, OK stores them and Cancel stores nothing. The settings' rules
// (limits, whole numbers) are tested natively.

#include <gtest/gtest.h>

#include <windows.h>

#include "../../resources/multipurpose_ids.h"
#include "dialogs/multipurpose_dialog_win32.h"
#include "win32/window_fixture.h"

namespace velmora {
namespace {

using namespace testing;

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
                 {0x0040, 0x0040, 0x0040, 0x0040, 250, 1, 2, 3, 4},
                 {IDC_MP_REG1, IDC_MP_REG2, IDC_MP_REG3, IDC_MP_REG4, IDC_MP_REG5, IDC_MP_REG6, IDC_MP_REG7,
                  IDC_MP_REG8, IDC_MP_REG9},
                 0, Stores::OnOk, "Configure 770-ZPC-354-00VM", steps);
}

} // namespace
} // namespace velmora
