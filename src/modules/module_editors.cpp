#include "modules/module_editors.h"

#include "modules/counter_settings.h"

#include <stdexcept>
#include <string>

namespace velmora {

namespace {

std::unique_ptr<EditorDialog> buildDialog(const DialogFactory& dialogs, const DialogRequest& request) {
    if (!dialogs) throw std::logic_error("no dialog factory");
    std::unique_ptr<EditorDialog> dialog = dialogs(request);
    if (!dialog) throw std::runtime_error("no dialog for module " + std::to_string(request.kind));
    return dialog;
}

bool below(int index, int count) {
    return index >= 0 && index < count;
}

} // namespace

// Each constructor follows the same order: the block (zeroed) is built, the
// editor's own data set, the host positions loaded, and only then the dialog
// created, since the dialog may look at the editor's registers.

AnalogModule::AnalogModule(ModuleKind kind, HostContext context, const DialogFactory& dialogs)
    : RegisterBlock(std::move(context)), kind_(kind), flags_(analogFlags(kind)) {
    const AnalogRules defaults(kind);
    for (int i = 0; i < kRegisterCount; ++i) setRegister(i, defaults.word(i));
    loadWindowDescription();
    setDialog(buildDialog(dialogs, {EditorFamily::Analog, kind, 0}));
}

AnalogModule::~AnalogModule() = default;

bool AnalogModule::isWritten(int index) const {
    return below(index, flags_.writtenCount);
}

UniversalModule::UniversalModule(HostContext context, const DialogFactory& dialogs)
    : RegisterBlock(std::move(context)) {
    loadWindowDescription();
    setDialog(buildDialog(dialogs, {EditorFamily::Universal, 4, 0}));
}

UniversalModule::~UniversalModule() = default;

bool UniversalModule::isWritten(int index) const {
    return below(index, moduleInfo(4).writtenCount);
}

CounterModule::CounterModule(ModuleKind kind, HostContext context, const DialogFactory& dialogs)
    : RegisterBlock(std::move(context)), kind_(kind), channels_(counterChannelCount(kind)) {
    loadWindowDescription();
    setDialog(buildDialog(dialogs, {EditorFamily::Counter, kind, channels_}));
}

CounterModule::~CounterModule() = default;

bool CounterModule::isWritten(int index) const {
    return below(index, counterModuleInfo(kind_).writtenCount);
}

MultiPurposeModule::MultiPurposeModule(HostContext context, const DialogFactory& dialogs)
    : RegisterBlock(std::move(context)) {
    loadWindowDescription();
    setDialog(buildDialog(dialogs, {EditorFamily::MultiPurpose, 7, 0}));
}

MultiPurposeModule::~MultiPurposeModule() = default;

bool MultiPurposeModule::isWritten(int index) const {
    return below(index, moduleInfo(7).writtenCount);
}

std::unique_ptr<RegisterBlock> makeEditor(ModuleKind kind, HostContext context,
                                          const DialogFactory& dialogs) {
    kind = clampModuleKind(kind);
    switch (moduleInfo(kind).family) {
    case EditorFamily::Analog:
        return std::make_unique<AnalogModule>(kind, std::move(context), dialogs);
    case EditorFamily::Universal:
        return std::make_unique<UniversalModule>(std::move(context), dialogs);
    case EditorFamily::Counter:
        return std::make_unique<CounterModule>(kind, std::move(context), dialogs);
    case EditorFamily::MultiPurpose:
        break;
    }
    return std::make_unique<MultiPurposeModule>(std::move(context), dialogs);
}

} // namespace velmora
