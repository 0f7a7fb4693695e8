#pragma once
// The eight modules the tool knows. A module is identified everywhere by its
// row in this table: list position, probe order, title slot and editor choice.

#include <array>
#include <optional>
#include <string_view>

namespace velmora {

// Row of the catalogue, 0 to 7.
using ModuleKind = int;

inline constexpr int kModuleCount = 8;
// Host window titles live in 20-byte fields: 19 characters and a terminator.
inline constexpr std::size_t kMaxTitleLength = 19;

enum class EditorFamily { Analog, Universal, Counter, MultiPurpose };

struct ModuleInfo {
    std::string_view listName;     // entry of the module selection list
    std::string_view hostKey;      // key of the title line in the window description file
    std::string_view defaultTitle; // host window title when the file gives none
    EditorFamily family;
    int dialogId;      // dialog template of the module dialog
    int alarmDialogId; // template of the alarm setpoint dialog, 0 when the module has none
    int writtenCount;  // registers 0 to writtenCount-1 go back to the host
    bool hasVoltageRanges;
    bool hasCurrentRanges;
    bool hasAlarms;
    int channels; // input or counter channels of the module
};

inline constexpr int kAnalogDialogId = 102;
inline constexpr int kAlarmDialogId = 134;
inline constexpr int kUniversalDialogId = 136;
inline constexpr int kCounterDialogId = 137;
inline constexpr int kMultiPurposeDialogId = 138;

// clang-format off
inline constexpr std::array<ModuleInfo, kModuleCount> ModuleCatalogue{{
    {"770_ZVI_310VM", "Q770_ZVI_310_00VM", "KTR-ZVI-310-00VM", EditorFamily::Analog,
     kAnalogDialogId, 0, 3, true, false, false, 32},
    {"770_ZCI_310VM", "Q770_ZCI_310_00VM", "KTR-ZCI-310-00VM", EditorFamily::Analog,
     kAnalogDialogId, 0, 3, false, true, false, 32},
    {"770_ZCI_311VM", "Q770_ZCI_311_00VM", "KTR-ZCI-311-00VM", EditorFamily::Analog,
     kAnalogDialogId, 0, 3, true, true, false, 32},
    {"770_ZCI_312VM", "Q770_ZCI_312_00VM", "KTR-ZCI-312-00VM", EditorFamily::Analog,
     kAnalogDialogId, kAlarmDialogId, 19, true, true, true, 32},
    {"770_ZUI_340VM", "Q770_ZUI_340_00VM", "KTR-ZUI-340-00VM", EditorFamily::Universal,
     kUniversalDialogId, 0, 8, false, false, false, 16},
    {"770_ZHC_358VM", "Q770_ZHC_358_00VM", "KTR-ZHC-358-00VM", EditorFamily::Counter,
     kCounterDialogId, 0, 9, false, false, false, 8},
    {"770_ZHC_354VM", "Q770_ZHC_354_00VM", "KTR-ZHC-354-00VM", EditorFamily::Counter,
     kCounterDialogId, 0, 9, false, false, false, 4},
    {"770_ZPM_354VM", "Q770_ZPM_354_00VM", "KTR-ZPM-354-00VM", EditorFamily::MultiPurpose,
     kMultiPurposeDialogId, 0, 9, false, false, false, 4},
}};
// clang-format on

// Any value outside 0 to 7 (a list with nothing selected gives -1) means module 7.
constexpr ModuleKind clampModuleKind(long long kind) {
    return kind >= 0 && kind < kModuleCount ? static_cast<ModuleKind>(kind) : kModuleCount - 1;
}

// The catalogue row of `kind`, clamped as above.
constexpr const ModuleInfo& moduleInfo(long long kind) {
    return ModuleCatalogue[static_cast<std::size_t>(clampModuleKind(kind))];
}

// The module whose list name equals `name`, ignoring the case of letters.
std::optional<ModuleKind> findModuleByListName(std::string_view name);

static_assert([] {
    for (const ModuleInfo& m : ModuleCatalogue)
        if (m.defaultTitle.size() > kMaxTitleLength) return false;
    return true;
}());

} // namespace velmora
