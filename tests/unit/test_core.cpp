// The module catalogue, the host's register texts, the shared text helpers and
// the module editors the catalogue picks.

#include <gtest/gtest.h>

#include <new>
#include <sstream>

#include "analog_ids.h"
#include "core/catalogue.h"
#include "core/host_text.h"
#include "core/text.h"
#include "hostlink/window_description.h"
#include "modules/module_editors.h"
#include "unit/fakes_app.h"

namespace velmora {
namespace {

// The three spellings of one designation must agree, or a title line would
// configure another module than the list shows; keys are searched for in
// turn, so none may contain another. A module with alarms names the alarm
// dialog's template of the resource script.
TEST(Catalogue, ThreeSpellingsAgreeAndNoKeyContainsAnother) {
    for (const ModuleInfo& m : ModuleCatalogue) {
        const std::string list(m.listName), type = list.substr(4, 3), model = list.substr(8, 3);
        EXPECT_EQ(m.hostKey, "Q770_" + type + "_" + model + "_00VM");
        EXPECT_EQ(m.defaultTitle, "KTR-" + type + "-" + model + "-00VM");
        EXPECT_EQ(m.alarmDialogId, m.hasAlarms ? IDD_ALARM_LIMITS : 0) << list;
        for (const ModuleInfo& other : ModuleCatalogue)
            EXPECT_TRUE(&other == &m || m.hostKey.find(other.hostKey) == std::string_view::npos);
    }
}

TEST(Catalogue, KindsOutsideTheTableAreTheLastAndListNamesMatchInAnyCase) {
    EXPECT_EQ(&moduleInfo(4294967296LL + 2), &ModuleCatalogue[7]);
    // clang-format off
    for (const auto& [name, kind] : {std::pair<const char*, std::optional<ModuleKind>>("770_ZVI_310VM", 0),
             {"770_zpm_354vM", 7}, {"", {}}, {"770_ZHC_354", {}}, {"770_ZHC_354VM ", {}},
             {"Q770_ZHC_354_00VM", {}}})
        // clang-format on
        EXPECT_EQ(findModuleByListName(name), kind) << name;
}

// Read the way the C library's strtoul reads base 16.
TEST(HostText, ReadsLenientlyAndWritesLowerCaseWithoutLeadingZeros) {
    // clang-format off
    const std::pair<std::string, std::uint32_t> cases[] = {{"AbCdEf", 0xABCDEF},
        {" \t\n\v\f\r+aBcDeF", 0xABCDEF}, {"-90", 0xFFFFFF70}, {" 0x5", 5}, {"0X00ff", 0xFF},
        {"-0x10", 0xFFFFFFF0}, {"12g4", 0x12}, {"9:", 9}, {"", 0}, {"0x", 0}, {"0xg", 0}, {"0x0x5", 0},
        {"- 1", 0}, {"+-1", 0}, {"ffffffff", 0xFFFFFFFF}, {"-ffffffff", 1}, {"100000000", 0xFFFFFFFF},
        {"-100000000", 0xFFFFFFFF}, {"123456789abcdef0123456789", 0xFFFFFFFF}, {"00000000000000000001", 1},
        {std::string("5\0007", 3), 5}, {"\3771", 0}};
    // clang-format on
    for (const auto& [text, number] : cases) {
        EXPECT_EQ(readHostNumber(text), number) << velmora::quotedText(text);
        EXPECT_EQ(readHostText(text), number & 0xFFFF) << velmora::quotedText(text);
    }
    EXPECT_EQ(writeHostText(0) + writeHostText(0x0A00), "0a00");
    for (unsigned w = 0; w <= 0xFFFF; ++w)
        ASSERT_EQ(readHostText(writeHostText(static_cast<std::uint16_t>(w))), w);
}

TEST(Text, QuotedEscapesWhatATerminalWouldActOn) {
    const std::string text = "a\"b\\ ~\x1f\x7f";
    EXPECT_EQ(velmora::quotedText(text) + velmora::quotedText(text, 1), "\"a\\\"b\\\\ ~\\x1f\\x7f\"\"a\"...");
    // A fuzzer found the two bytes after a "REG_" key printed raw.
    std::istringstream in(std::string("REG_\x1b[ = 3\nREG_\xff\xfd = 1\n", 22));
    std::string shown;
    for (const LineReport& line : checkWindowDescription(in).lines) shown += describeLine(line);
    for (char c : shown) EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << velmora::quotedText(shown);
}

// Each editor is built after its window description is read, and its dialog
// goes with it.
TEST(ModuleEditor, EachKindBuildsTheCataloguesEditorAfterReadingItsPositions) {
    // Kind, then the dialog asked for (family, kind, channels) and the registers written back.
    // clang-format off
    using F = EditorFamily;
    const std::tuple<ModuleKind, F, ModuleKind, int, int> cases[] = {{0, F::Analog, 0, 0, 3},
        {1, F::Analog, 1, 0, 3}, {3, F::Analog, 3, 0, 19}, {4, F::Universal, 4, 0, 8},
        {5, F::Counter, 5, 8, 9}, {6, F::Counter, 6, 4, 9}, {7, F::MultiPurpose, 7, 0, 9},
        {-1, F::MultiPurpose, 7, 0, 9}, {1000, F::MultiPurpose, 7, 0, 9}};
    // clang-format on
    for (const auto& [kind, family, dialogKind, channels, written] : cases) {
        testing::EventLog log;
        std::vector<DialogRequest> requests;
        const HostContext context{nullptr, nullptr, {}, [&log]() -> std::unique_ptr<std::istream> {
                                      log.push_back("description");
                                      return std::make_unique<std::istringstream>("OK_BUTTON=40\n");
                                  }};
        const auto dialogs = [&](const DialogRequest& request) -> std::unique_ptr<EditorDialog> {
            log.push_back("dialog built");
            requests.push_back(request);
            return std::make_unique<testing::FakeDialog>(log, nullptr);
        };
        {
            // Through the adaptor WinMain hands to the application.
            auto editor = editorFactory(dialogs)(kind, context);
            EXPECT_EQ(std::tuple(editor->layout().okPosition, log),
                      std::tuple(40, testing::EventLog{"description", "dialog built"}));
            ASSERT_EQ(requests.size(), 1u) << kind;
            EXPECT_EQ(std::tuple(requests[0].family, requests[0].kind, requests[0].channels),
                      std::tuple(family, dialogKind, channels));
            // The analog editors start from their module's defaults, the others from zeros.
            for (int i = -2; i <= kRegisterCount + 1; ++i)
                EXPECT_EQ(std::tuple(editor->isWritten(i), editor->getRegister(i)),
                          std::tuple(i >= 0 && i < written,
                                     family == EditorFamily::Analog ? AnalogRules(kind).word(i) : 0))
                    << kind << " " << i;
        }
        EXPECT_EQ(log.back(), "dialog deleted") << "the dialog goes with its editor";
    }
}

TEST(ModuleEditor, ADialogThatCannotBeBuiltLeavesNoEditor) {
    const DialogFactory factories[] = {
        [](const DialogRequest&) -> std::unique_ptr<EditorDialog> { throw std::bad_alloc(); },
        [](const DialogRequest&) { return std::unique_ptr<EditorDialog>(); }, DialogFactory()};
    for (const DialogFactory& factory : factories)
        for (ModuleKind kind : {0, 4, 5, 7})
            EXPECT_ANY_THROW(makeEditor(kind, HostContext{}, factory)) << kind;
}

} // namespace
} // namespace velmora
