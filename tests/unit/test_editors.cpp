#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/fake_host_windows.h"
#include "modules/analog_rules.h"
#include "modules/module_editors.h"
#include "unit/fakes_app.h"

namespace velmora {
namespace {

using testing::EventLog;
using testing::FakeDialog;

// A context whose description file and dialog factory log when they are used.
struct EditorRig {
    EventLog log;
    FakeHostWindows host;
    FakeClock clock;
    std::vector<DialogRequest> requests;
    std::string description = "OK_BUTTON=40\n";

    HostContext context() {
        return {&host, &clock, [] { return std::string(); },
                [this]() -> std::unique_ptr<std::istream> {
                    log.push_back("description");
                    return std::make_unique<std::istringstream>(description);
                }};
    }
    DialogFactory dialogs() {
        return [this](const DialogRequest& request) -> std::unique_ptr<EditorDialog> {
            log.push_back("dialog built");
            requests.push_back(request);
            return std::make_unique<FakeDialog>(log, nullptr);
        };
    }
};

TEST(ModuleEditor, EachKindBuildsTheCataloguesEditor) {
    struct Case {
        ModuleKind kind;
        EditorFamily family;
        ModuleKind dialogKind;
        int channels;
        int written;
    };
    const Case cases[] = {
        {0, EditorFamily::Analog, 0, 0, 3},          {1, EditorFamily::Analog, 1, 0, 3},
        {2, EditorFamily::Analog, 2, 0, 3},          {3, EditorFamily::Analog, 3, 0, 19},
        {4, EditorFamily::Universal, 4, 0, 8},       {5, EditorFamily::Counter, 5, 8, 9},
        {6, EditorFamily::Counter, 6, 4, 9},         {7, EditorFamily::MultiPurpose, 7, 0, 9},
        {-1, EditorFamily::MultiPurpose, 7, 0, 9},   {8, EditorFamily::MultiPurpose, 7, 0, 9},
        {1000, EditorFamily::MultiPurpose, 7, 0, 9},
    };
    for (const Case& c : cases) {
        EditorRig rig;
        // Through the adaptor WinMain hands to the application.
        auto editor = editorFactory(rig.dialogs())(c.kind, rig.context());
        ASSERT_NE(editor, nullptr);
        ASSERT_NE(editor->dialog(), nullptr);
        switch (c.family) {
        case EditorFamily::Analog:
            EXPECT_NE(dynamic_cast<AnalogModule*>(editor.get()), nullptr);
            break;
        case EditorFamily::Universal:
            EXPECT_NE(dynamic_cast<UniversalModule*>(editor.get()), nullptr);
            break;
        case EditorFamily::Counter:
            EXPECT_NE(dynamic_cast<CounterModule*>(editor.get()), nullptr);
            break;
        case EditorFamily::MultiPurpose:
            EXPECT_NE(dynamic_cast<MultiPurposeModule*>(editor.get()), nullptr);
            break;
        }
        ASSERT_EQ(rig.requests.size(), 1u) << c.kind;
        EXPECT_EQ(rig.requests[0].family, c.family) << c.kind;
        EXPECT_EQ(rig.requests[0].kind, c.dialogKind) << c.kind;
        EXPECT_EQ(rig.requests[0].channels, c.channels) << c.kind;
        // A leading run of written registers, nothing outside the block.
        for (int i = -2; i <= kRegisterCount + 1; ++i)
            EXPECT_EQ(editor->isWritten(i), i >= 0 && i < c.written) << c.kind << " index " << i;
        EXPECT_EQ(c.written, moduleInfo(c.kind).writtenCount);
    }
}

TEST(ModuleEditor, OtherEditorsStartFromZeroedRegisters) {
    for (ModuleKind kind : {4, 5, 6, 7}) {
        EditorRig rig;
        auto editor = makeEditor(kind, rig.context(), rig.dialogs());
        for (int i = 0; i < kRegisterCount; ++i) EXPECT_EQ(editor->getRegister(i), 0) << kind;
    }
}

TEST(ModuleEditor, CounterChannelsAreFourOnlyForKindSix) {
    const std::pair<ModuleKind, int> cases[] = {{6, 4}, {5, 8}, {7, 8}, {0, 8}, {-6, 8}, {106, 8}};
    for (auto [kind, channels] : cases) {
        EditorRig rig;
        CounterModule editor(kind, rig.context(), rig.dialogs());
        EXPECT_EQ(editor.channelCount(), channels) << kind;
        EXPECT_EQ(rig.requests.at(0).channels, channels) << kind;
        EXPECT_TRUE(editor.isWritten(8));
        EXPECT_FALSE(editor.isWritten(9));
    }
}

TEST(ModuleEditor, PositionsAreLoadedBeforeTheDialogIsBuiltAndTheDialogGoesWithTheEditor) {
    for (ModuleKind kind = 0; kind < kModuleCount; ++kind) {
        EditorRig rig;
        {
            auto editor = makeEditor(kind, rig.context(), rig.dialogs());
            EXPECT_EQ(editor->layout().okPosition, 40) << kind;
            EXPECT_EQ(rig.log, (EventLog{"description", "dialog built"})) << kind;
        }
        EXPECT_EQ(rig.log, (EventLog{"description", "dialog built", "dialog deleted"})) << kind;
    }
}

TEST(ModuleEditor, ADialogThatCannotBeBuiltLeavesNoEditor) {
    struct Case {
        const char* name;
        DialogFactory factory;
    };
    const std::vector<Case> cases{
        {"factory throws",
         [](const DialogRequest&) -> std::unique_ptr<EditorDialog> { throw std::bad_alloc(); }},
        {"factory gives nothing", [](const DialogRequest&) { return std::unique_ptr<EditorDialog>(); }},
        {"no factory", DialogFactory()},
    };
    for (const Case& c : cases) {
        for (ModuleKind kind : {0, 4, 5, 7}) {
            EditorRig rig;
            EXPECT_ANY_THROW(makeEditor(kind, rig.context(), c.factory)) << c.name << " " << kind;
        }
    }
}

} // namespace
} // namespace velmora
