#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/catalogue.h"

namespace velmora {
namespace {

// The three spellings of one designation must agree, or a title line would
// configure a different module than the list shows.
TEST(Catalogue, ThreeSpellingsAgree) {
    for (const ModuleInfo& m : ModuleCatalogue) {
        const std::string list(m.listName);
        ASSERT_EQ(list.size(), 13u);
        const std::string series = list.substr(0, 3), type = list.substr(4, 3), model = list.substr(8, 3),
                          suffix = list.substr(11);
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
    const struct {
        long long in;
        int out;
    } cases[] = {
        {0, 0},
        {3, 3},
        {7, 7},
        {-1, 7},
        {8, 7},
        {-2147483648LL, 7},
        {4294967296LL, 7},
        {4294967296LL + 2, 7},
        {9223372036854775807LL, 7},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(clampModuleKind(c.in), c.out) << c.in;
        EXPECT_EQ(&moduleInfo(c.in), &ModuleCatalogue[static_cast<std::size_t>(c.out)]) << c.in;
    }
}

TEST(Catalogue, FindByListNameIgnoresCase) {
    const struct {
        const char* name;
        std::optional<ModuleKind> kind;
    } cases[] = {
        {"770_ZVI_310VM", 0},
        {"770_zci_311vm", 2},
        {"770_Zpm_354Vm", 7},
        {"770_ZHC_354VM", 6},
        {"770_ZHC_358VM", 5},
        {"", std::nullopt},
        {"770_ZHC_354", std::nullopt},
        {"770_ZHC_354VM ", std::nullopt},
        {"Q770_ZHC_354_00VM", std::nullopt},
        {"KTR-ZHC-354-00VM", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(findModuleByListName(c.name), c.kind) << c.name;
}

} // namespace
} // namespace velmora
