#pragma once
// What the command-line tool computes, as data: argument readers, decode,
// encode and the window description check. Printing is in cli_output.h, so a
// new output form or a new report over the same results needs no change here.

#include <array>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"
#include "hostlink/window_description.h"
#include "cli/module_model.h"

namespace velmora::cli {

// A problem with the command line or its values: one line naming the problem
// and the allowed values. The tool prints it and exits with status 2.
class CliError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "analog", "universal", "counter", "multi-purpose".
std::string_view familyName(EditorFamily family);

// A user's text echoed in an error line: quoted, control characters replaced,
// long texts cut.
std::string echo(std::string_view text);

// A kind 0-7 or a list name in any case, blanks around it ignored.
ModuleKind parseModule(std::string_view text);

// One register word, read with the host text rules (a sign and "0x" allowed,
// the low 16 bits kept). Text with anything but that around the hex digits is
// malformed. `reg` (from 0) only names the register in the error.
std::uint16_t parseWord(std::string_view text, int reg);
// Words filling Reg1 onwards, the rest 0; more than 24 is an error.
RegisterWords parseWords(std::span<const std::string> texts);

// The model of the module's dialog, at the standalone start.
std::unique_ptr<ModuleModel> makeModuleModel(ModuleKind kind);

struct AlarmSetpoint {
    std::string name; // "reg4" .. "reg19"
    std::uint16_t word = 0;
    std::optional<double> units; // none when the group's range has no scaling row
    std::string unitsText;       // as the alarm dialog shows it ("%.3f"), or why there is none
    std::string kindText;        // the group's range and format, "-/+10v DVM"
    std::string unit;            // "V" or "mA"; empty without scaling
};

struct Decoded {
    ModuleKind kind = 0;
    std::vector<std::uint16_t> registers; // the words the module's dialog handles
    std::vector<SettingView> settings;    // as the dialog decodes them, setpoints aside
    std::vector<AlarmSetpoint> alarms;    // module 3 only
};

// The settings a synchronised dialog shows for these words.
Decoded decodeModule(ModuleKind kind, const RegisterWords& words);

struct Action {
    enum class Kind { Set, Defaults, Copy };
    Kind kind = Kind::Set;
    std::string name;  // lower case, blanks around it dropped
    std::string value; // as given; the model trims it (a copy's units for Copy)
    std::string token; // the argument as typed
};

// "NAME=VALUE", "defaults" or "copy=UNITS" (any case).
Action parseAction(std::string_view token);

// A copy's units, from 0: "ch1:ch2-ch8" or "g2:g1" with the family's prefix.
struct CopyPlan {
    int source = 0;
    int first = 0;
    int last = 0;
};
CopyPlan parseCopy(std::string_view units, const CopyUnits& family);
// Whether the argument has the shape of an action rather than of a word.
bool looksLikeAction(std::string_view token);

struct EncodeRequest {
    ModuleKind kind = 0;
    std::optional<RegisterWords> from; // none: the standalone start
    std::vector<Action> actions;
};

struct Encoded {
    ModuleKind kind = 0;
    std::vector<std::uint16_t> registers; // the written registers after OK
};

// A setting an action changed, or one whose typed value is worth telling.
struct SettingChange {
    enum class Cause { Chosen, Copied, Defaults, Rule, Unexplained };
    SettingView before;
    SettingView after;
    Cause cause = Cause::Chosen;
    // The rule in plain words; for a chosen or copied value what was typed
    // (or nothing); for a copied one the unit it came from is in `from`.
    std::string why;
    std::string from; // "ch1", "g2"
};

// Changed bits of a word that belong to one setting (`setting` empty: to none).
struct ChangedBits {
    std::string setting;
    std::vector<int> bits;
};

struct WordChange {
    int reg = 0; // from 0
    std::uint16_t before = 0;
    std::uint16_t after = 0;
    std::vector<ChangedBits> bits;
};

// What one action did, or (empty token) what the synchronised start did to
// the words it read.
struct ActionEffect {
    std::string token;
    std::vector<SettingChange> settings;
    std::vector<WordChange> words;
    // The copy steps the dialog refused: "ch2.range, ch2.mode: REASON".
    std::vector<std::string> notCopied;
};

// The words that differ among the first `count`, each with its changed bits
// by the field that holds them.
std::vector<WordChange> wordChanges(const RegisterWords& before, const RegisterWords& after, int count,
                                    const std::vector<NamedField>& fields);

// Called after each action took effect; when started from words, first with
// the start's changes (if any).
using ActionObserver = std::function<void(const ActionEffect&)>;

// Starts the model, applies the actions in order and presses OK. A refused
// action throws CliError with the model's reason.
Encoded encodeModule(const EncodeRequest& request, const ActionObserver& observer = {});

// Two register sets of one module compared by the settings its dialog shows.
struct SettingDifference {
    SettingView given;
    SettingView against;
};

struct Diffed {
    ModuleKind kind = 0;
    std::vector<SettingDifference> differences;
    // Handled registers whose words differ although every setting is the same.
    std::vector<int> quietRegisters;
    bool equal() const { return differences.empty(); }
};

Diffed diffModule(ModuleKind kind, const RegisterWords& given, const RegisterWords& against);

// The window description file as the tool reads it, with where each value in
// effect came from and the lines worth a look.
struct WdbCheck {
    WindowDescription description;
    // Line that set each value; 0 when the default stands.
    std::array<int, kModuleCount> titleLine{};
    std::array<int, kRegisterCount> positionLine{};
    int okLine = 0;
    int cancelLine = 0;
    int maxWindowsLine = 0;
    // Indexes into description.lines of the lines ignored or only partly
    // used (text without a key included; blank lines left out).
    std::vector<std::size_t> reported;
    // Lines of the file (a split line counts once, and counts as having a key
    // unless it is blank: its split may have cut one in two).
    int linesWithKey = 0;
    int linesNotInEffect = 0; // of those, lines not wholly used as written
    // Where a Ctrl-Z byte ended the file (from 0), the bytes after it that
    // are never read, and their lines that hold a key (counted above as
    // lines with a key that did not take effect).
    std::optional<std::uint64_t> ctrlZOffset;
    std::uint64_t bytesAfterCtrlZ = 0;
    int keyLinesAfterCtrlZ = 0;

    bool allTookEffect() const { return linesNotInEffect == 0; }
};

WdbCheck checkWdb(std::istream& in);
// Throws CliError when the file cannot be opened or read.
WdbCheck checkWdbFile(const std::string& path);

} // namespace velmora::cli
