#include "cli/commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/host_text.h"
#include "modules/alarm_setpoints.h"
#include "cli/analog_model.h"
#include "cli/counter_model.h"
#include "cli/multipurpose_model.h"
#include "cli/universal_model.h"

namespace velmora::cli {

namespace {

constexpr bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
std::string allowedModules() {
    std::string out = "0 to 7 or ";
    for (std::size_t k = 0; k < ModuleCatalogue.size(); ++k)
        out += (k ? ", " : "") + std::string(ModuleCatalogue[k].listName);
    return out;
}

// Sign, optional "0x", hex digits: the whole of what the host rules read.
bool isWellFormedWord(std::string_view text) {
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) text.remove_prefix(1);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    return !text.empty() && std::all_of(text.begin(), text.end(), isHexDigit);
}

// The register index of an applied "REG_nn" key, read as the loader reads it.
int regKeyIndex(std::string_view key) {
    std::string_view chars = key.substr(4);
    while (!chars.empty() && isBlank(chars.front())) chars.remove_prefix(1);
    if (!chars.empty() && chars.front() == '+') chars.remove_prefix(1);
    int index = 0;
    for (std::size_t i = 0; i < chars.size() && isDigit(chars[i]); ++i) index = index * 10 + (chars[i] - '0');
    return index;
}

std::optional<ModuleKind> kindOfHostKey(std::string_view key) {
    for (std::size_t k = 0; k < ModuleCatalogue.size(); ++k)
        if (ModuleCatalogue[k].hostKey == key) return static_cast<ModuleKind>(k);
    return std::nullopt;
}

// A title longer than its field is kept only in part.
bool titleWasCut(const LineReport& line, std::string_view hostKey) {
    const std::string_view text = std::string_view(line.text).substr(0, line.text.find('\0'));
    const std::size_t at = text.find(hostKey);
    if (at == std::string_view::npos) return false;
    const auto value = parseQuotedValue(text.substr(at));
    return value && value->size() > kMaxTitleLength;
}

// Whether a line holds a key of either loader.
bool holdsKey(std::string_view line) {
    for (std::string_view key : {"REG_", "OK_BUTTON", "CANCEL_BUTTON", "MAX_WINDOWS"})
        if (line.find(key) != std::string_view::npos) return true;
    for (const ModuleInfo& module : ModuleCatalogue)
        if (line.find(module.hostKey) != std::string_view::npos) return true;
    return false;
}

// The bytes the tool never reads after a Ctrl-Z, and their lines with a key.
void noteTextAfterCtrlZ(WdbCheck& check, std::istream& in) {
    const std::streampos after = in.tellg();
    if (after != std::streampos(-1) && after > 0) check.ctrlZOffset = static_cast<std::uint64_t>(after) - 1;
    const std::string rest{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    check.bytesAfterCtrlZ = rest.size();
    for (std::size_t begin = 0; begin < rest.size();) {
        const std::size_t end = std::min(rest.find('\n', begin), rest.size());
        if (holdsKey(std::string_view(rest).substr(begin, end - begin))) ++check.keyLinesAfterCtrlZ;
        begin = end + 1;
    }
    check.linesWithKey += check.keyLinesAfterCtrlZ;
    check.linesNotInEffect += check.keyLinesAfterCtrlZ;
}

void noteSources(WdbCheck& check, const LineReport& line) {
    for (const LineEffect& e : line.effects) {
        if (!e.applied) continue;
        if (e.key.rfind("REG_", 0) == 0) {
            const int index = regKeyIndex(e.key);
            if (index >= 0 && index < kRegisterCount)
                check.positionLine[static_cast<std::size_t>(index)] = line.number;
        } else if (e.key == "OK_BUTTON") {
            check.okLine = line.number;
        } else if (e.key == "CANCEL_BUTTON") {
            check.cancelLine = line.number;
        } else if (e.key == "MAX_WINDOWS") {
            check.maxWindowsLine = line.number;
        } else if (const auto kind = kindOfHostKey(e.key)) {
            check.titleLine[static_cast<std::size_t>(*kind)] = line.number;
        }
    }
}

} // namespace

std::string_view familyName(EditorFamily family) {
    switch (family) {
    case EditorFamily::Analog:
        return "analog";
    case EditorFamily::Universal:
        return "universal";
    case EditorFamily::Counter:
        return "counter";
    case EditorFamily::MultiPurpose:
        return "multi-purpose";
    }
    return "unknown";
}

std::string echo(std::string_view text) {
    constexpr std::size_t kMax = 40;
    std::string out = "'";
    for (std::size_t i = 0; i < text.size() && i < kMax; ++i) {
        const auto u = static_cast<unsigned char>(text[i]);
        out += u < 0x20 || u == 0x7F ? '?' : text[i];
    }
    if (text.size() > kMax) out += "...";
    return out + "'";
}

ModuleKind parseModule(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    if (!t.empty() && std::all_of(t.begin(), t.end(), isDigit)) {
        std::string_view digits = t;
        while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
        if (digits.size() == 1 && digits.front() < '0' + kModuleCount) return digits.front() - '0';
    } else if (const auto kind = findModuleByListName(t)) {
        return *kind;
    }
    throw CliError("unknown module " + echo(text) + "; allowed: " + allowedModules());
}

std::uint16_t parseWord(std::string_view text, int reg) {
    const std::string_view t = trimBlanks(text);
    if (!isWellFormedWord(t))
        throw CliError(
            "Reg" + std::to_string(reg + 1) + ": " + echo(text) +
            " is not a hexadecimal word; allowed: hex digits with an optional 0x, e.g. 2A92 or 0x2a92");
    return readHostText(t);
}

RegisterWords parseWords(std::span<const std::string> texts) {
    if (texts.size() > static_cast<std::size_t>(kRegisterCount))
        throw CliError(std::to_string(texts.size()) + " register words given; allowed: at most " +
                       std::to_string(kRegisterCount) + " (Reg1 to Reg24)");
    RegisterWords words{};
    for (std::size_t i = 0; i < texts.size(); ++i) words[i] = parseWord(texts[i], static_cast<int>(i));
    return words;
}

std::unique_ptr<ModuleModel> makeModuleModel(ModuleKind kind) {
    switch (moduleInfo(kind).family) {
    case EditorFamily::Analog:
        return std::make_unique<AnalogModel>(kind);
    case EditorFamily::Universal:
        return makeUniversalModel();
    case EditorFamily::Counter:
        return makeCounterModel(kind);
    case EditorFamily::MultiPurpose:
        return makeMultiPurposeModel();
    }
    return nullptr;
}

Decoded decodeModule(ModuleKind kind, const RegisterWords& words) {
    const auto model = makeModuleModel(kind);
    model->startSynchronised(words);
    Decoded out;
    out.kind = kind;
    out.registers.assign(words.begin(), words.begin() + model->handledCount());

    const auto* analog = dynamic_cast<const AnalogModel*>(model.get());
    const bool hasAlarms = analog && analog->rules().hasAlarms();
    for (SettingView& s : model->settings())
        if (!hasAlarms || s.name.rfind("reg", 0) != 0) out.settings.push_back(std::move(s));
    if (hasAlarms) {
        const auto units = analog->setpointUnits();
        for (int s = 0; s < kAlarmSetpoints; ++s) {
            const int reg = alarmSetpointRegister(s);
            const int group = alarmSetpointGroup(s);
            AlarmSetpoint a;
            a.name = "reg" + std::to_string(reg + 1);
            a.word = words[static_cast<std::size_t>(reg)];
            a.units = units[static_cast<std::size_t>(s)];
            a.unitsText = a.units ? alarmUnitsText(*a.units) : std::string(kNoScalingText);
            a.kindText = alarmKindText(analog->rules().range(group), analog->rules().format(group));
            if (a.units) a.unit = analog->rules().range(group) >= 4 ? "mA" : "V";
            out.alarms.push_back(std::move(a));
        }
    }
    return out;
}

bool looksLikeAction(std::string_view token) {
    return token.find('=') != std::string_view::npos || lowered(trimBlanks(token)) == "defaults";
}

Action parseAction(std::string_view token) {
    Action a;
    a.token = std::string(token);
    const std::size_t equals = token.find('=');
    if (equals == std::string_view::npos) {
        if (lowered(trimBlanks(token)) != "defaults")
            throw CliError(echo(token) + " is not an action; allowed: NAME=VALUE or defaults" +
                           " (register words go after --from)");
        a.kind = Action::Kind::Defaults;
        return a;
    }
    a.name = lowered(trimBlanks(token.substr(0, equals)));
    a.value = std::string(token.substr(equals + 1));
    if (a.name == "copy") a.kind = Action::Kind::Copy;
    return a;
}

CopyPlan parseCopy(std::string_view units, const CopyUnits& family) {
    const std::string what = family.prefix == "ch" ? "channels" : "groups";
    const std::string p = family.prefix;
    const std::string allowed = "allowed: copy=" + p + "A:" + p + "B-" + p + "C or copy=" + p + "A:" + p +
                                "B, " + what + " 1 to " + std::to_string(family.count);
    std::string text;
    for (char c : units)
        if (!isBlank(c)) text += lowerAscii(c);
    // A unit number after its prefix; -1 when the text has no such thing at `at`.
    std::size_t at = 0;
    const auto unit = [&](bool prefixOptional) {
        if (text.compare(at, p.size(), p) == 0)
            at += p.size();
        else if (!prefixOptional)
            return -1L;
        const std::size_t digits = at;
        long n = 0;
        while (at < text.size() && isDigit(text[at]) && at - digits < 6) n = n * 10 + (text[at++] - '0');
        return at == digits || (at < text.size() && isDigit(text[at])) ? -1L : n;
    };
    const long source = unit(false);
    const bool colon = source >= 0 && at < text.size() && text[at] == ':';
    ++at;
    const long first = colon ? unit(false) : -1;
    long last = first;
    if (first >= 0 && at < text.size() && text[at] == '-') {
        ++at;
        last = unit(true);
    }
    if (source < 0 || first < 0 || last < 0 || at < text.size())
        throw CliError("copy: " + echo(units) + " is malformed; " + allowed);
    for (long n : {source, first, last})
        if (n < 1 || n > family.count)
            throw CliError("copy: " + p + std::to_string(n) + " does not exist on this module; " + allowed);
    if (first > last)
        throw CliError("copy: the targets " + p + std::to_string(first) + "-" + p + std::to_string(last) +
                       " run backwards; " + allowed + ", B not above C");
    if (first == last && first == source)
        throw CliError("copy: " + p + std::to_string(source) + " onto itself changes nothing; " + allowed +
                       ", other than the source");
    return {static_cast<int>(source) - 1, static_cast<int>(first) - 1, static_cast<int>(last) - 1};
}

std::vector<WordChange> wordChanges(const RegisterWords& before, const RegisterWords& after, int count,
                                    const std::vector<NamedField>& fields) {
    std::vector<WordChange> out;
    for (int reg = 0; reg < count && reg < kRegisterCount; ++reg) {
        const std::uint16_t b = before[static_cast<std::size_t>(reg)];
        const std::uint16_t a = after[static_cast<std::size_t>(reg)];
        if (a == b) continue;
        WordChange change{reg, b, a, {}};
        for (int bit = 0; bit < 16; ++bit) {
            if (((a ^ b) >> bit & 1) == 0) continue;
            std::string owner;
            for (const NamedField& f : fields)
                if (f.field.reg == reg && (f.field.mask() >> bit & 1)) owner = f.setting;
            const auto group = std::find_if(change.bits.begin(), change.bits.end(),
                                            [&](const ChangedBits& c) { return c.setting == owner; });
            if (group == change.bits.end())
                change.bits.push_back({owner, {bit}});
            else
                group->bits.push_back(bit);
        }
        out.push_back(std::move(change));
    }
    return out;
}

namespace {

// Collects what one action did: the settings and words before it, and the
// model's notes on each of its steps.
class EffectRecorder {
public:
    explicit EffectRecorder(const ModuleModel& model)
        : model_(model), settings_(model.settings()), words_(model.currentWords()) {}

    // Notes of one step; `from` names the copy's source unit, empty otherwise.
    void add(const std::vector<SettingNote>& notes, const std::string& from) {
        for (const SettingNote& n : notes) {
            Noted& noted = notes_[n.setting];
            noted.cause = n.byRule       ? SettingChange::Cause::Rule
                          : from.empty() ? SettingChange::Cause::Chosen
                                         : SettingChange::Cause::Copied;
            noted.chosen = n.chosen;
            noted.why = n.words;
            noted.from = from;
        }
    }
    // A step the dialog refused: its setting and the reason, without the
    // setting's name in front or the advice that follows.
    void refused(const std::string& setting, const std::string& error) {
        std::string reason = error.rfind(setting + ": ", 0) == 0 ? error.substr(setting.size() + 2) : error;
        reason = reason.substr(0, reason.find("; allowed"));
        if (!notCopied_.empty() && notCopied_.back().second == reason)
            notCopied_.back().first += ", " + setting;
        else
            notCopied_.emplace_back(setting, reason);
    }
    void pressedDefaults() { defaults_ = true; }

    ActionEffect effect(const std::string& token) const {
        ActionEffect out;
        out.token = token;
        const std::vector<SettingView> after = model_.settings();
        for (std::size_t i = 0; i < after.size() && i < settings_.size(); ++i) {
            const SettingView& b = settings_[i];
            const SettingView& a = after[i];
            const auto noted = notes_.find(a.name);
            const bool changed = a.code != b.code || a.text != b.text;
            // What was typed into a setting is told even when its value stands.
            const bool told = noted != notes_.end() && noted->second.chosen && !noted->second.why.empty();
            if (!changed && !told) continue;
            SettingChange c{b, a, SettingChange::Cause::Unexplained, {}, {}};
            if (noted != notes_.end()) {
                c.cause = noted->second.cause;
                c.why = noted->second.why;
                c.from = noted->second.from;
            } else if (defaults_) {
                c.cause = SettingChange::Cause::Defaults;
            }
            out.settings.push_back(std::move(c));
        }
        out.words = wordChanges(words_, model_.currentWords(), model_.handledCount(), model_.fields());
        for (const auto& [settings, reason] : notCopied_) out.notCopied.push_back(settings + ": " + reason);
        return out;
    }

private:
    struct Noted {
        SettingChange::Cause cause = SettingChange::Cause::Chosen;
        bool chosen = false;
        std::string why;
        std::string from;
    };

    const ModuleModel& model_;
    std::vector<SettingView> settings_;
    RegisterWords words_;
    std::map<std::string, Noted> notes_;
    std::vector<std::pair<std::string, std::string>> notCopied_; // settings, reason
    bool defaults_ = false;
};

// Each step as the dialog takes it; a step the dialog refuses is left out.
void applyCopy(ModuleModel& model, const Action& action, EffectRecorder* recorder) {
    const CopyUnits units = model.copyUnits();
    const CopyPlan plan = parseCopy(action.value, units);
    const std::string from = units.prefix + std::to_string(plan.source + 1);
    // Every target takes the source as it stood before the copy began.
    std::vector<std::vector<CopyStep>> steps;
    for (int target = plan.first; target <= plan.last; ++target)
        if (target != plan.source) steps.push_back(model.copySteps(plan.source, target));
    for (const auto& targetSteps : steps) {
        for (const CopyStep& step : targetSteps) {
            const ActionResult r = model.apply(step.name, step.value);
            if (!recorder) continue;
            if (r.ok())
                recorder->add(model.lastNotes(), from);
            else
                recorder->refused(step.name, r.error);
        }
    }
}

} // namespace

Encoded encodeModule(const EncodeRequest& request, const ActionObserver& observer) {
    const auto model = makeModuleModel(request.kind);
    if (request.from)
        model->startSynchronised(*request.from);
    else
        model->startStandalone();
    if (observer && request.from) {
        ActionEffect start;
        start.words =
            wordChanges(*request.from, model->currentWords(), model->handledCount(), model->fields());
        if (!start.words.empty()) observer(start);
    }
    for (const Action& action : request.actions) {
        std::optional<EffectRecorder> recorder;
        if (observer) recorder.emplace(*model);
        switch (action.kind) {
        case Action::Kind::Defaults:
            model->pressDefaults();
            if (recorder) recorder->pressedDefaults();
            break;
        case Action::Kind::Copy:
            applyCopy(*model, action, recorder ? &*recorder : nullptr);
            break;
        case Action::Kind::Set:
            if (const ActionResult r = model->apply(action.name, action.value); !r.ok())
                throw CliError(r.error);
            if (recorder) recorder->add(model->lastNotes(), {});
            break;
        }
        if (recorder) observer(recorder->effect(action.token));
    }
    const RegisterWords words = model->finish();
    Encoded out;
    out.kind = request.kind;
    out.registers.assign(words.begin(), words.begin() + moduleInfo(request.kind).writtenCount);
    return out;
}

Diffed diffModule(ModuleKind kind, const RegisterWords& given, const RegisterWords& against) {
    const auto left = makeModuleModel(kind);
    const auto right = makeModuleModel(kind);
    left->startSynchronised(given);
    right->startSynchronised(against);
    Diffed out;
    out.kind = kind;
    const std::vector<SettingView> a = left->settings();
    const std::vector<SettingView> b = right->settings();
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i].code != b[i].code || a[i].text != b[i].text) out.differences.push_back({a[i], b[i]});
    if (out.equal())
        for (int reg = 0; reg < left->handledCount(); ++reg)
            if (given[static_cast<std::size_t>(reg)] != against[static_cast<std::size_t>(reg)])
                out.quietRegisters.push_back(reg);
    return out;
}

WdbCheck checkWdb(std::istream& in) {
    WdbCheck check;
    check.description = checkWindowDescription(in);
    const std::vector<LineReport>& lines = check.description.lines;

    // Pieces of one split line share its number and stand next to each other.
    for (std::size_t first = 0; first < lines.size();) {
        std::size_t end = first + 1;
        while (end < lines.size() && lines[end].continued) ++end;

        bool hasKey = false;
        bool allUsed = end - first == 1; // a split line lost a character
        bool loose = false;              // text the tool reads no key in
        bool anyIgnored = false;
        for (std::size_t i = first; i < end; ++i) {
            const LineReport& line = lines[i];
            noteSources(check, line);
            for (const LineEffect& e : line.effects) {
                if (!e.key.empty()) hasKey = true;
                if (!e.applied) anyIgnored = true;
                if (!e.applied || (kindOfHostKey(e.key) && titleWasCut(line, e.key))) allUsed = false;
            }
            if (line.effects.empty() && !trimBlanks(line.text).empty()) loose = true;
            // A key may have been cut in two where the line was split.
            if (end - first > 1 && !trimBlanks(line.text).empty()) hasKey = true;
        }
        if (hasKey) {
            ++check.linesWithKey;
            if (!allUsed) ++check.linesNotInEffect;
        }
        if ((hasKey && !allUsed) || loose || anyIgnored || end - first > 1 || lines[end - 1].ctrlZ)
            for (std::size_t i = first; i < end; ++i) check.reported.push_back(i);
        first = end;
    }
    if (!lines.empty() && lines.back().ctrlZ) noteTextAfterCtrlZ(check, in);
    return check;
}

WdbCheck checkWdbFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw CliError(echo(path) + " is a directory; allowed: a window description file such as " +
                       kDescriptionFileName);
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        throw CliError("cannot open " + echo(path) + "; allowed: a readable file (default " +
                       kDescriptionFileName + " in the current directory)");
    WdbCheck check = checkWdb(in);
    if (in.bad()) throw CliError("cannot read " + echo(path) + "; the file could not be read to its end");
    return check;
}

} // namespace velmora::cli
