#include "cli/output.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "cli/json.h"
#include "hostlink/window_description.h"
#include "modules/analog_scaling.h"

namespace velmora::cli {

namespace {

std::string padded(std::string_view text, std::size_t width) {
    std::string out(text);
    if (out.size() < width) out.append(width - out.size(), ' ');
    return out;
}

std::string rightAligned(std::string_view text, std::size_t width) {
    std::string out;
    if (text.size() < width) out.append(width - text.size(), ' ');
    return out.append(text);
}

std::string wordList(const std::vector<std::uint16_t>& words) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) out += (i ? " " : "") + wordText(words[i]);
    return out;
}

void writeWordArray(JsonWriter& json, const std::vector<std::uint16_t>& words) {
    json.beginArray();
    for (std::uint16_t w : words) json.value(wordText(w));
    json.endArray();
}

std::string source(int line) {
    return line ? "line " + std::to_string(line) : std::string("default");
}

// Key as the file spells it: "REG_05".
std::string regKey(int index) {
    char text[8];
    std::snprintf(text, sizeof text, "REG_%02d", index);
    return text;
}

// "bit 2", "bits 0-1", "bits 0-3, 8, 12-15".
std::string bitsText(const std::vector<int>& bits) {
    std::string out;
    for (std::size_t i = 0; i < bits.size();) {
        std::size_t j = i;
        while (j + 1 < bits.size() && bits[j + 1] == bits[j] + 1) ++j;
        out += (out.empty() ? "" : ", ") + std::to_string(bits[i]);
        if (j > i) out += "-" + std::to_string(bits[j]);
        i = j + 1;
    }
    return (bits.size() == 1 ? "bit " : "bits ") + out;
}

std::string causeText(const SettingChange& c) {
    const std::string detail = c.why.empty() ? std::string() : ": " + c.why;
    switch (c.cause) {
    case SettingChange::Cause::Chosen:
        return "chosen" + detail;
    case SettingChange::Cause::Copied:
        return "copied from " + c.from + detail;
    case SettingChange::Cause::Defaults:
        return "chosen: Defaults";
    case SettingChange::Cause::Rule:
        return "rule: " + c.why;
    case SettingChange::Cause::Unexplained:
        break;
    }
    return "changed as the dialog encoded its registers";
}

std::string markdownEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '|' || c == '\\' || c == '*' || c == '_' || c == '`' || c == '[' || c == '<') out += '\\';
        out += c;
    }
    return out;
}

// A table cell: what the dialog shows, as a sheet is read.
std::string cellText(const SettingView& s) {
    if (s.text.empty()) return "(no selection, code " + std::to_string(s.code) + ")";
    return markdownEscaped(trimBlanks(s.text));
}

void tableRow(std::ostream& out, const std::vector<std::string>& cells) {
    out << '|';
    for (const std::string& c : cells) out << ' ' << c << " |";
    out << '\n';
}

void tableHead(std::ostream& out, const std::vector<std::string>& cells) {
    tableRow(out, cells);
    out << '|';
    for (std::size_t i = 0; i < cells.size(); ++i) out << "---|";
    out << '\n';
}

// The commissioning sheet: settings per channel or group in columns.
void printSheet(std::ostream& out, const Decoded& d) {
    const ModuleInfo& m = moduleInfo(d.kind);
    out << "## " << m.listName << "\n\n";
    out << "- Module: " << d.kind << " (" << familyName(m.family) << ")\n";
    out << "- Host window title: " << m.defaultTitle << "\n\n";

    out << "### Registers\n\n";
    std::vector<std::string> names;
    std::vector<std::string> words;
    for (std::size_t i = 0; i < d.registers.size(); ++i) {
        names.push_back("Reg" + std::to_string(i + 1));
        words.push_back(wordText(d.registers[i]));
    }
    tableHead(out, names);
    tableRow(out, words);

    // "ch3.range": unit "ch3", key "range"; a name without a dot is module-wide.
    std::vector<std::string> units;
    std::vector<std::string> keys;
    std::map<std::pair<std::string, std::string>, const SettingView*> cells;
    std::vector<const SettingView*> moduleWide;
    for (const SettingView& s : d.settings) {
        const std::size_t dot = s.name.find('.');
        if (dot == std::string::npos) {
            moduleWide.push_back(&s);
            continue;
        }
        const std::string unit = s.name.substr(0, dot);
        const std::string key = s.name.substr(dot + 1);
        if (std::find(units.begin(), units.end(), unit) == units.end()) units.push_back(unit);
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
        cells[{unit, key}] = &s;
    }
    out << "\n### Settings\n\n";
    std::vector<std::string> head{"Setting"};
    head.insert(head.end(), units.begin(), units.end());
    tableHead(out, head);
    for (const std::string& key : keys) {
        std::vector<std::string> row{"`" + key + "`"};
        for (const std::string& unit : units) {
            const auto cell = cells.find({unit, key});
            row.push_back(cell == cells.end() ? "" : cellText(*cell->second));
        }
        tableRow(out, row);
    }
    if (!moduleWide.empty()) {
        out << '\n';
        tableHead(out, {"Setting", "Value"});
        for (const SettingView* s : moduleWide) tableRow(out, {"`" + s->name + "`", cellText(*s)});
    }
    if (!d.alarms.empty()) {
        out << "\n### Alarm limits\n\n";
        std::vector<std::string> groups{"Limit"};
        for (int g = 0; g < kAnalogGroups; ++g) groups.push_back("g" + std::to_string(g + 1));
        tableHead(out, groups);
        static constexpr const char* kRows[] = {"pair 1 minimum", "pair 1 maximum", "pair 2 minimum",
                                                "pair 2 maximum"};
        for (int r = 0; r < 4; ++r) {
            std::vector<std::string> row{kRows[r]};
            for (int g = 0; g < kAnalogGroups; ++g) {
                const auto i = static_cast<std::size_t>(4 * g + r);
                if (i >= d.alarms.size()) break;
                const AlarmSetpoint& a = d.alarms[i];
                row.push_back(markdownEscaped(a.unitsText + (a.units ? " " + a.unit : std::string())) + " (" +
                              a.name + " = " + wordText(a.word) + ")");
            }
            tableRow(out, row);
        }
    }
}

} // namespace

std::string valueText(const SettingView& s) {
    if (s.isWord) return wordText(static_cast<std::uint16_t>(s.code)) + " (" + s.text + ")";
    const std::string code = std::to_string(s.code);
    if (s.text.empty()) return code + " (no selection)";
    if (s.text == code) return code;
    return code + " \"" + s.text + "\"";
}

void printModules(std::ostream& out, OutputFormat format) {
    if (format == OutputFormat::Json) {
        JsonWriter json;
        json.beginArray();
        for (std::size_t k = 0; k < ModuleCatalogue.size(); ++k) {
            const ModuleInfo& m = ModuleCatalogue[k];
            json.beginObject()
                .key("kind")
                .value(static_cast<int>(k))
                .key("name")
                .value(m.listName)
                .key("host_key")
                .value(m.hostKey)
                .key("default_title")
                .value(m.defaultTitle)
                .key("family")
                .value(familyName(m.family))
                .key("written")
                .value(m.writtenCount)
                .endObject();
        }
        json.endArray();
        out << json.text() << '\n';
        return;
    }
    out << "kind  name           host key           default title     family         written\n";
    for (std::size_t k = 0; k < ModuleCatalogue.size(); ++k) {
        const ModuleInfo& m = ModuleCatalogue[k];
        out << padded(std::to_string(k), 6) << padded(m.listName, 15) << padded(m.hostKey, 19)
            << padded(m.defaultTitle, 18) << padded(familyName(m.family), 15) << m.writtenCount << '\n';
    }
}

void printDecoded(std::ostream& out, const Decoded& d, OutputFormat format) {
    const ModuleInfo& m = moduleInfo(d.kind);
    if (format == OutputFormat::Markdown) {
        printSheet(out, d);
        return;
    }
    if (format == OutputFormat::Json) {
        JsonWriter json;
        json.beginObject().key("module").value(d.kind).key("name").value(m.listName).key("registers");
        writeWordArray(json, d.registers);
        json.key("settings").beginObject();
        for (const SettingView& s : d.settings) json.key(s.name).value(s.code);
        json.endObject();
        if (m.hasAlarms) {
            json.key("alarms").beginObject();
            for (const AlarmSetpoint& a : d.alarms) {
                json.key(a.name);
                if (a.units)
                    json.value(*a.units);
                else
                    json.null();
            }
            json.endObject();
        }
        json.endObject();
        out << json.text() << '\n';
        return;
    }

    out << "module " << d.kind << ' ' << m.listName << " (" << familyName(m.family) << ")\n";
    out << "registers: " << wordList(d.registers) << '\n';
    std::size_t nameWidth = 0;
    for (const SettingView& s : d.settings) nameWidth = std::max(nameWidth, s.name.size());
    for (const SettingView& s : d.settings) {
        const std::string code = std::to_string(s.code);
        std::string line = padded(s.name, nameWidth + 2) + rightAligned(code, 5);
        // A list the code has no entry in shows no selection.
        if (s.text.empty())
            line += "  (no selection)";
        else if (s.text != code)
            line += "  " + s.text;
        out << line << '\n';
    }
    if (!d.alarms.empty()) {
        out << "alarm setpoints (engineering units):\n";
        for (const AlarmSetpoint& a : d.alarms) {
            std::string line = padded(a.name, 7) + wordText(a.word) + "  " + rightAligned(a.unitsText, 10);
            if (!a.kindText.empty()) line += "  " + a.kindText;
            out << line << '\n';
        }
    }
}

void printEncoded(std::ostream& out, const Encoded& e, OutputFormat format) {
    if (format == OutputFormat::Json) {
        JsonWriter json;
        json.beginObject().key("registers");
        writeWordArray(json, e.registers);
        json.endObject();
        out << json.text() << '\n';
        return;
    }
    out << wordList(e.registers) << '\n';
}

void printWdbCheck(std::ostream& out, const WdbCheck& check, std::string_view path) {
    const WindowDescription& d = check.description;
    out << "window description file " << quotedText(path) << '\n';

    out << "titles in effect:\n";
    for (std::size_t k = 0; k < ModuleCatalogue.size(); ++k)
        out << "  " << k << ' ' << padded(ModuleCatalogue[k].listName, 15)
            << padded(quotedText(d.titles[k]), 23) << source(check.titleLine[k]) << '\n';

    out << "positions in effect (child of the host window):\n";
    for (int i = 0; i < kRegisterCount; ++i) {
        const int position = d.layout.controlPositions[static_cast<std::size_t>(i)];
        out << "  " << padded(regKey(i) + " (Reg" + std::to_string(i + 1) + ")", 16)
            << padded(position == kUnmapped ? "unmapped" : std::to_string(position), 10)
            << source(check.positionLine[static_cast<std::size_t>(i)]) << '\n';
    }
    out << "  " << padded("OK_BUTTON", 16) << padded(std::to_string(d.layout.okPosition), 10)
        << source(check.okLine) << '\n';
    out << "  " << padded("CANCEL_BUTTON", 16) << padded(std::to_string(d.layout.cancelPosition), 10)
        << source(check.cancelLine) << '\n';
    out << "  " << padded("MAX_WINDOWS", 16) << padded(std::to_string(d.layout.maxWindows), 10)
        << source(check.maxWindowsLine) << "  (children walked)\n";

    out << "lines ignored or only partly used:";
    if (check.reported.empty()) out << " none";
    out << '\n';
    for (std::size_t i : check.reported) out << describeLine(d.lines[i]);
    if (check.ctrlZOffset) {
        out << "the file ends at byte " << *check.ctrlZOffset
            << ", a Ctrl-Z (0x1a): " << check.bytesAfterCtrlZ << " bytes after it are not read";
        if (check.keyLinesAfterCtrlZ)
            out << ", " << check.keyLinesAfterCtrlZ << (check.keyLinesAfterCtrlZ == 1 ? " line" : " lines")
                << " of them with a key";
        out << '\n';
    }

    out << check.linesWithKey << (check.linesWithKey == 1 ? " line" : " lines")
        << " with a key: " << check.linesWithKey - check.linesNotInEffect << " took effect, "
        << check.linesNotInEffect << " did not (or only in part)\n";
}

void printActionEffect(std::ostream& out, const ActionEffect& e) {
    out << (e.token.empty() ? std::string("after the start from the host's words:")
                            : "after " + e.token + ":")
        << '\n';
    for (const SettingChange& c : e.settings)
        out << "  " << c.after.name << ": " << valueText(c.before) << " -> " << valueText(c.after) << "; "
            << causeText(c) << '\n';
    for (const std::string& reason : e.notCopied) out << "  not copied: " << reason << '\n';
    for (const WordChange& w : e.words) {
        out << "  Reg" << w.reg + 1 << ": " << wordText(w.before) << " -> " << wordText(w.after) << ';';
        for (std::size_t i = 0; i < w.bits.size(); ++i)
            out << (i ? ", " : " ") << bitsText(w.bits[i].bits) << " ("
                << (w.bits[i].setting.empty() ? std::string("no setting") : w.bits[i].setting) << ')';
        out << '\n';
    }
    if (e.settings.empty() && e.words.empty() && e.notCopied.empty()) out << "  no change\n";
}

void printDiffed(std::ostream& out, const Diffed& d, OutputFormat format) {
    const ModuleInfo& m = moduleInfo(d.kind);
    if (format == OutputFormat::Json) {
        JsonWriter json;
        json.beginObject().key("module").value(d.kind).key("name").value(m.listName);
        json.key("equal").boolean(d.equal());
        json.key("differences").beginArray();
        for (const SettingDifference& s : d.differences) {
            json.beginObject().key("setting").value(s.given.name);
            json.key("given")
                .beginObject()
                .key("code")
                .value(s.given.code)
                .key("text")
                .value(s.given.text)
                .endObject();
            json.key("against")
                .beginObject()
                .key("code")
                .value(s.against.code)
                .key("text")
                .value(s.against.text)
                .endObject();
            json.endObject();
        }
        json.endArray().endObject();
        out << json.text() << '\n';
        return;
    }
    if (d.equal()) {
        out << "no setting differs";
        if (!d.quietRegisters.empty()) {
            out << " (the words differ in";
            for (int reg : d.quietRegisters) out << " Reg" << reg + 1;
            out << ", where the dialog ignores or overrides them)";
        }
        out << '\n';
        return;
    }
    std::size_t nameWidth = 0;
    std::size_t valueWidth = 0;
    for (const SettingDifference& s : d.differences) {
        nameWidth = std::max(nameWidth, s.given.name.size());
        valueWidth = std::max(valueWidth, valueText(s.given).size());
    }
    for (const SettingDifference& s : d.differences)
        out << padded(s.given.name, nameWidth + 2) << padded(valueText(s.given), valueWidth + 2) << "| "
            << valueText(s.against) << '\n';
}

namespace {

const char* kindName(ChildKind kind) {
    switch (kind) {
    case ChildKind::Edit:
        return "edit";
    case ChildKind::PushButton:
        return "push button";
    case ChildKind::OtherButton:
        return "button";
    case ChildKind::Label:
        return "label";
    case ChildKind::Other:
        return "other";
    case ChildKind::Unknown:
        break;
    }
    return "unknown";
}

std::string spoilsText(unsigned spoils) {
    std::string out;
    for (const auto& [bit, name] : {std::pair{kSpoilsRead, "read"}, std::pair{kSpoilsWrite, "write"},
                                    std::pair{kSpoilsCancel, "cancel"}})
        if (spoils & bit) out += (out.empty() ? "" : ", ") + std::string(name);
    return out;
}

void printInspectionJson(std::ostream& out, const Inspection& in) {
    const WindowLayout& layout = in.layout();
    JsonWriter json;
    json.beginObject().key("module").value(in.kind).key("name").value(moduleInfo(in.kind).listName);
    json.key("title").value(in.title).key("title_source").value(in.titleSource);
    json.key("description");
    if (in.description.path.empty())
        json.null();
    else
        json.value(in.description.path);
    json.key("layout").beginObject().key("registers").beginArray();
    for (int position : layout.controlPositions) position == kUnmapped ? json.null() : json.value(position);
    json.endArray();
    json.key("ok").value(layout.okPosition).key("cancel").value(layout.cancelPosition);
    json.key("max_windows").value(layout.maxWindows).endObject();
    json.key("children").value(static_cast<int>(in.positions.size()));
    json.key("complete").boolean(!in.seen.stopped && !in.seen.truncated);
    json.key("positions").beginArray();
    for (const InspectedPosition& at : in.positions) {
        json.beginObject().key("position").value(at.position);
        const auto& facts = at.child.facts;
        json.key("class");
        facts ? json.value(facts->className) : json.null();
        json.key("id");
        facts ? json.value(facts->controlId) : json.null();
        json.key("enabled");
        facts ? json.boolean(facts->enabled) : json.null();
        json.key("visible");
        facts ? json.boolean(facts->visible) : json.null();
        json.key("kind").value(kindName(at.kind));
        json.key("text");
        at.child.text ? json.value(*at.child.text) : json.null();
        json.key("maps").beginArray();
        for (const std::string& m : at.maps) json.value(m);
        json.endArray();
        json.key("value");
        at.value ? json.value(wordText(*at.value)) : json.null();
        json.endObject();
    }
    json.endArray();
    json.key("read").beginObject().key("succeeds").boolean(in.readSucceeds).endObject();
    json.key("write").beginObject().key("succeeds").boolean(in.writeSucceeds).endObject();
    json.key("cancel").beginObject().key("succeeds").boolean(in.cancelSucceeds).endObject();
    json.key("problems").beginArray();
    for (const InspectionProblem& p : in.problems) {
        json.beginObject().key("text").value(p.text).key("spoils").beginArray();
        for (unsigned bit : {kSpoilsRead, kSpoilsWrite, kSpoilsCancel})
            if (p.spoils & bit) json.value(spoilsText(bit));
        json.endArray().endObject();
    }
    json.endArray().endObject();
    out << json.text() << '\n';
}

} // namespace

void printInspection(std::ostream& out, const Inspection& in, OutputFormat format) {
    if (format == OutputFormat::Json) {
        printInspectionJson(out, in);
        return;
    }
    const ModuleInfo& module = moduleInfo(in.kind);
    const int children = static_cast<int>(in.positions.size());
    const int maxWindows = in.layout().maxWindows;
    out << "host window " << quotedText(in.title) << " (module " << in.kind << ", " << module.listName
        << "; found by " << in.titleSource << "): " << children << (children == 1 ? " child" : " children")
        << '\n';
    if (in.description.path.empty())
        out << "positions: the defaults (no " << kDescriptionFileName << " here)\n";
    else
        out << "positions: from " << quotedText(in.description.path)
            << ", the defaults where it gives none\n";
    out << '\n'
        << padded("pos", 5) << padded("class", 10) << padded("id", 8) << padded("state", 17)
        << padded("text as read", 24) << padded("mapped", 14) << "reads\n";
    const std::string end = "---- MAX_WINDOWS " + std::to_string(maxWindows) + ": the walk ends here ----\n";
    for (const InspectedPosition& at : in.positions) {
        if (at.position == maxWindows) out << end;
        const auto& facts = at.child.facts;
        std::string maps;
        for (const std::string& m : at.maps) maps += (maps.empty() ? "" : ",") + m;
        std::string line = rightAligned(std::to_string(at.position), 3) + "  " +
                           padded(facts ? facts->className : "?", 10) +
                           padded(facts ? std::to_string(facts->controlId) : "?", 8) +
                           padded(facts ? std::string(facts->enabled ? "enabled" : "disabled") +
                                              (facts->visible ? " visible" : " hidden")
                                        : "?",
                                  17) +
                           padded(at.child.text ? quotedText(*at.child.text) : "(no answer)", 24) +
                           padded(maps, 14) + (at.value ? wordText(*at.value) : "");
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    }
    if (maxWindows >= children) out << "---- MAX_WINDOWS " << maxWindows << ": beyond the last child ----\n";
    out << '\n';
    for (const auto& [name, good] :
         {std::pair{"read:   ", in.readSucceeds}, std::pair{"write:  ", in.writeSucceeds},
          std::pair{"cancel: ", in.cancelSucceeds}})
        out << name << (good ? "would succeed" : "would fail") << '\n';
    for (const InspectionProblem& p : in.problems)
        out << "  - " << p.text << (p.spoils ? " (" + spoilsText(p.spoils) + ")" : std::string()) << '\n';
}

} // namespace velmora::cli
