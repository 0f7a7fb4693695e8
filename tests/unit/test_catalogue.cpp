#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/catalogue.h"

namespace velmora {
namespace {

struct Row {
    const char* listName;
    const char* hostKey;
    const char* defaultTitle;
    EditorFamily family;
    int dialogId;
    int writtenCount;
    bool voltage, current, alarms;
    int channels;
};

// The catalogue as a reader of the module list and the host expects it, row by row.
const Row kExpected[kModuleCount] = {
    {"770_ZVI_310VM", "Q770_ZVI_310_00VM", "KTR-ZVI-310-00VM", EditorFamily::Analog, 102, 3, true, false, false, 32},
    {"770_ZCI_310VM", "Q770_ZCI_310_00VM", "KTR-ZCI-310-00VM", EditorFamily::Analog, 102, 3, false, true, false, 32},
    {"770_ZCI_311VM", "Q770_ZCI_311_00VM", "KTR-ZCI-311-00VM", EditorFamily::Analog, 102, 3, true, true, false, 32},
    {"770_ZCI_312VM", "Q770_ZCI_312_00VM", "KTR-ZCI-312-00VM", EditorFamily::Analog, 102, 19, true, true, true, 32},
    {"770_ZUI_340VM", "Q770_ZUI_340_00VM", "KTR-ZUI-340-00VM", EditorFamily::Universal, 136, 8, false, false, false, 16},
    {"770_ZHC_358VM", "Q770_ZHC_358_00VM", "KTR-ZHC-358-00VM", EditorFamily::Counter, 137, 9, false, false, false, 8},
    {"770_ZHC_354VM", "Q770_ZHC_354_00VM", "KTR-ZHC-354-00VM", EditorFamily::Counter, 137, 9, false, false, false, 4},
    {"770_ZPM_354VM", "Q770_ZPM_354_00VM", "KTR-ZPM-354-00VM", EditorFamily::MultiPurpose, 138, 9, false, false, false, 4},
};

TEST(Catalogue, RowsInListOrder) {
    for (int kind = 0; kind < kModuleCount; ++kind) {
        SCOPED_TRACE(kind);
        const Row& want = kExpected[kind];
        const ModuleInfo& got = ModuleCatalogue[static_cast<std::size_t>(kind)];
        EXPECT_EQ(got.listName, want.listName);
        EXPECT_EQ(got.hostKey, want.hostKey);
        EXPECT_EQ(got.defaultTitle, want.defaultTitle);
        EXPECT_EQ(got.family, want.family);
        EXPECT_EQ(got.dialogId, want.dialogId);
        EXPECT_EQ(got.writtenCount, want.writtenCount);
        EXPECT_EQ(got.hasVoltageRanges, want.voltage);
        EXPECT_EQ(got.hasCurrentRanges, want.current);
        EXPECT_EQ(got.hasAlarms, want.alarms);
        EXPECT_EQ(got.channels, want.channels);
        EXPECT_EQ(got.alarmDialogId, want.alarms ? 134 : 0);
    }
}

// The three spellings of one designation must agree, or a title line would
// configure a different module than the list shows.
TEST(Catalogue, ThreeSpellingsAgree) {
    for (const ModuleInfo& m : ModuleCatalogue) {
        const std::string list(m.listName);
        ASSERT_EQ(list.size(), 13u);
        const std::string series = list.substr(0, 3), type = list.substr(4, 3),
                          model = list.substr(8, 3), suffix = list.substr(11);
        EXPECT_EQ(m.hostKey, "Q" + series + "_" + type + "_" + model + "_00" + suffix);
        EXPECT_EQ(m.defaultTitle, "KTR-" + type + "-" + model + "-00" + suffix);
    }
}

TEST(Catalogue, HostKeysAreDistinctAndNoneContainsAnother) {
    // A title line is matched by searching for each key in turn.
    for (const ModuleInfo& a : ModuleCatalogue)
        for (const ModuleInfo& b : ModuleCatalogue)
            if (&a != &b) {
                EXPECT_EQ(a.hostKey.find(b.hostKey), std::string_view::npos);
            }
}

TEST(Catalogue, ClampModuleKind) {
    const struct { long long in; int out; } cases[] = {
        {0, 0}, {3, 3}, {7, 7}, {-1, 7}, {8, 7}, {-2147483648LL, 7},
        {4294967296LL, 7}, {4294967296LL + 2, 7}, {9223372036854775807LL, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(clampModuleKind(c.in), c.out) << c.in;
        EXPECT_EQ(&moduleInfo(c.in), &ModuleCatalogue[static_cast<std::size_t>(c.out)]) << c.in;
    }
}

TEST(Catalogue, FindByListNameIgnoresCase) {
    const struct { const char* name; std::optional<ModuleKind> kind; } cases[] = {
        {"770_ZVI_310VM", 0}, {"770_zci_311vm", 2}, {"770_Zpm_354Vm", 7},
        {"770_ZHC_354VM", 6}, {"770_ZHC_358VM", 5},
        {"", std::nullopt}, {"770_ZHC_354", std::nullopt}, {"770_ZHC_354VM ", std::nullopt},
        {"Q770_ZHC_354_00VM", std::nullopt}, {"KTR-ZHC-354-00VM", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(findModuleByListName(c.name), c.kind) << c.name;
}

} // namespace
} // namespace velmora
