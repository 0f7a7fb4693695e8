#pragma once
// A module family's settings as the command-line tool drives them: the same
// operations a module dialog offers a user, by setting name.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modules/register_fields.h"

namespace velmora {

struct SettingView {
    std::string name;    // "g1.range", "ch3.mode", "delay", ...
    int code = 0;        // the value as the settings hold it
    std::string text;    // what the dialog shows for it
    bool isWord = false; // the code is a whole register word (an alarm setpoint)
};

// Why a setting took its value in the last action: the setting the action
// set (`chosen`), and every other setting a rule changed (`byRule`). A chosen
// value a rule limited has both. `words` name the rule in plain words; for a
// typed value they tell what was typed and what is stored.
struct SettingNote {
    std::string setting;
    bool chosen = false;
    bool byRule = false;
    std::string words;
};

// A field of a handled register and the setting it holds.
struct NamedField {
    std::string setting;
    RegField field;
};

// What a copy copies: channels ("ch") or groups ("g"), numbered from 1.
struct CopyUnits {
    std::string prefix;
    int count = 0;
};

// One user action of a copy, as NAME=VALUE would give it.
struct CopyStep {
    std::string name;
    std::string value;
};

// Outcome of one user action; `error` is empty on success and otherwise one
// line naming the problem and the allowed values.
struct ActionResult {
    std::string error;
    bool ok() const { return error.empty(); }
};

class ModuleModel {
public:
    virtual ~ModuleModel() = default;

    // Start as the standalone dialog does: the module's defaults.
    virtual void startStandalone() = 0;
    // Start as the synchronised dialog does after reading these words from a host.
    virtual void startSynchronised(const RegisterWords& words) = 0;
    // The dialog's Defaults button.
    virtual void pressDefaults() = 0;
    // One user action: set NAME to VALUE (a code, a list or button text, or a
    // typed number), exactly as the dialog applies it.
    virtual ActionResult apply(const std::string& name, const std::string& value) = 0;
    // The 24 registers as they go back to the host after OK (registers the
    // dialog does not handle keep the value they started with).
    virtual RegisterWords finish() = 0;
    // Number of registers the dialog handles (shown in hex by the dialog).
    virtual int handledCount() const = 0;
    // Every setting, in the order a person reads the dialog.
    virtual std::vector<SettingView> settings() const = 0;

    // The registers as OK would store them now.
    virtual RegisterWords currentWords() const = 0;
    // Notes on the last apply(), in the order the rules ran; empty after a
    // refused action, a start or Defaults.
    virtual std::vector<SettingNote> lastNotes() const = 0;
    // Every field of the handled registers.
    virtual std::vector<NamedField> fields() const = 0;
    virtual CopyUnits copyUnits() const = 0;
    // The actions that give unit `target` the settings unit `source` has now
    // (both from 0), in the order a user would make them in the dialog.
    virtual std::vector<CopyStep> copySteps(int source, int target) const = 0;
};

} // namespace velmora
