#include "app/cli_commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "hostlink/host_text.h"
#include "modules/alarm_setpoints.h"
#include "modules/analog_model.h"
#include "modules/counter_model.h"
#include "modules/multipurpose_model.h"
#include "modules/universal_model.h"

namespace velmora::cli {

namespace {

constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = lower(c);
    return out;
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

void noteSources(WdbCheck& check, const LineReport& line) {
    for (const LineEffect& e : line.effects) {
        if (!e.applied) continue;
        if (e.key.rfind("REG_", 0) == 0) {
            const int index = regKeyIndex(e.key);
            if (index >= 0 && index < kRegisterCount) check.positionLine[static_cast<std::size_t>(index)] = line.number;
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
    case EditorFamily::Analog: return "analog";
    case EditorFamily::Universal: return "universal";
    case EditorFamily::Counter: return "counter";
    case EditorFamily::MultiPurpose: return "multi-purpose";
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
    const std::string_view t = trim(text);
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
    const std::string_view t = trim(text);
    if (!isWellFormedWord(t))
        throw CliError("Reg" + std::to_string(reg + 1) + ": " + echo(text) +
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
    case EditorFamily::Analog: return std::make_unique<AnalogModel>(kind);
    case EditorFamily::Universal: return makeUniversalModel();
    case EditorFamily::Counter: return makeCounterModel(kind);
    case EditorFamily::MultiPurpose: return makeMultiPurposeModel();
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
            out.alarms.push_back(std::move(a));
        }
    }
    return out;
}

bool looksLikeAction(std::string_view token) {
    return token.find('=') != std::string_view::npos || lowered(trim(token)) == "defaults";
}

Action parseAction(std::string_view token) {
    Action a;
    a.token = std::string(token);
    const std::size_t equals = token.find('=');
    if (equals == std::string_view::npos) {
        if (lowered(trim(token)) != "defaults")
            throw CliError(echo(token) + " is not an action; allowed: NAME=VALUE or defaults" +
                           " (register words go after --from)");
        a.kind = Action::Kind::Defaults;
        return a;
    }
    a.name = lowered(trim(token.substr(0, equals)));
    a.value = std::string(token.substr(equals + 1));
    return a;
}

Encoded encodeModule(const EncodeRequest& request, const ActionObserver& observer) {
    const auto model = makeModuleModel(request.kind);
    if (request.from)
        model->startSynchronised(*request.from);
    else
        model->startStandalone();
    for (const Action& action : request.actions) {
        if (action.kind == Action::Kind::Defaults) {
            model->pressDefaults();
        } else if (const ActionResult r = model->apply(action.name, action.value); !r.ok()) {
            throw CliError(r.error);
        }
        if (observer) observer(action, *model);
    }
    const RegisterWords words = model->finish();
    Encoded out;
    out.kind = request.kind;
    out.registers.assign(words.begin(), words.begin() + moduleInfo(request.kind).writtenCount);
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
        bool allUsed = end - first == 1;  // a split line lost a character
        bool loose = false;               // text the tool reads no key in
        bool anyIgnored = false;
        for (std::size_t i = first; i < end; ++i) {
            const LineReport& line = lines[i];
            noteSources(check, line);
            for (const LineEffect& e : line.effects) {
                if (!e.key.empty()) hasKey = true;
                if (!e.applied) anyIgnored = true;
                if (!e.applied || (kindOfHostKey(e.key) && titleWasCut(line, e.key))) allUsed = false;
            }
            if (line.effects.empty() && !trim(line.text).empty()) loose = true;
            // A key may have been cut in two where the line was split.
            if (end - first > 1 && !trim(line.text).empty()) hasKey = true;
        }
        if (hasKey) {
            ++check.linesWithKey;
            if (!allUsed) ++check.linesNotInEffect;
        }
        if ((hasKey && !allUsed) || loose || anyIgnored || end - first > 1)
            for (std::size_t i = first; i < end; ++i) check.reported.push_back(i);
        first = end;
    }
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
