#pragma once
// The four module editors: each is the register block of one module's host
// window and owns that module's dialog. The dialogs themselves are Win32
// objects, so an editor gets its dialog from a factory the caller supplies.

#include <functional>
#include <memory>
#include <utility>

#include "core/catalogue.h"
#include "hostlink/register_block.h"
#include "modules/analog_rules.h"

namespace velmora {

// What an editor asks its dialog factory for.
struct DialogRequest {
    EditorFamily family; // which dialog: analog (102), universal (136), counter (137), multi-purpose (138)
    ModuleKind kind;     // the kind the editor was built with (4 and 7 for the editors without one)
    int channels;        // counter channels, 4 or 8; 0 for the other families
};

// Builds the dialog an editor owns. It must not return null; a failure is an
// exception, which leaves the editor unbuilt.
using DialogFactory = std::function<std::unique_ptr<EditorDialog>(const DialogRequest&)>;

// Modules 0-3. The block starts with the module's default words.
class AnalogModule : public RegisterBlock {
public:
    AnalogModule(ModuleKind kind, HostContext context, const DialogFactory& dialogs);
    ~AnalogModule() override;

    bool isWritten(int index) const override; // index < 19 with alarms, else < 3

    ModuleKind kind() const { return kind_; }
    const AnalogFlags& flags() const { return flags_; }
    bool hasVoltageRanges() const { return flags_.hasVoltageRanges; }
    bool hasCurrentRanges() const { return flags_.hasCurrentRanges; }
    bool hasAlarms() const { return flags_.hasAlarms; }

private:
    ModuleKind kind_;
    AnalogFlags flags_;
};

// Module 4.
class UniversalModule : public RegisterBlock {
public:
    UniversalModule(HostContext context, const DialogFactory& dialogs);
    ~UniversalModule() override;

    bool isWritten(int index) const override; // index < 8
};

// Modules 5 and 6. The 4-channel module writes the same nine registers as the
// 8-channel one: registers its dialog does not handle go back as read.
class CounterModule : public RegisterBlock {
public:
    CounterModule(ModuleKind kind, HostContext context, const DialogFactory& dialogs);
    ~CounterModule() override;

    bool isWritten(int index) const override; // index < 9

    ModuleKind kind() const { return kind_; }
    int channelCount() const { return channels_; }

private:
    ModuleKind kind_;
    int channels_;
};

// Module 7.
class MultiPurposeModule : public RegisterBlock {
public:
    MultiPurposeModule(HostContext context, const DialogFactory& dialogs);
    ~MultiPurposeModule() override;

    bool isWritten(int index) const override; // index < 9
};

// The editor of `kind` as the catalogue says, `kind` clamped to 0-7 first.
std::unique_ptr<RegisterBlock> makeEditor(ModuleKind kind, HostContext context, const DialogFactory& dialogs);

// makeEditor over `dialogs`, in the shape of the application's EditorFactory.
inline auto editorFactory(DialogFactory dialogs) {
    return [dialogs = std::move(dialogs)](ModuleKind kind, HostContext context) {
        return makeEditor(kind, std::move(context), dialogs);
    };
}

} // namespace velmora
