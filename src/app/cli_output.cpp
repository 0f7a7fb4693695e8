#include "app/cli_output.h"

#include <algorithm>
#include <cstdio>

#include "app/cli_json.h"

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

// Text from or about the file, quoted as the line reports quote it: odd bytes as \xNN.
std::string quotedText(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F) {
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else {
            if (c == '"' || c == '\\') out += '\\';
            out += c;
        }
    }
    return out + "\"";
}

std::string source(int line) { return line ? "line " + std::to_string(line) : std::string("default"); }

// Key as the file spells it: "REG_05".
std::string regKey(int index) {
    char text[8];
    std::snprintf(text, sizeof text, "REG_%02d", index);
    return text;
}

} // namespace

std::string wordText(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(word));
    return text;
}

void printModules(std::ostream& out, OutputFormat format) {
    if (format == OutputFormat::Json) {
        JsonWriter json;
        json.beginArray();
        for (std::size_t k = 0; k < ModuleCatalogue.size(); ++k) {
            const ModuleInfo& m = ModuleCatalogue[k];
            json.beginObject()
                .key("kind").value(static_cast<int>(k))
                .key("name").value(m.listName)
                .key("host_key").value(m.hostKey)
                .key("default_title").value(m.defaultTitle)
                .key("family").value(familyName(m.family))
                .key("written").value(m.writtenCount)
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

    out << check.linesWithKey << (check.linesWithKey == 1 ? " line" : " lines") << " with a key: "
        << check.linesWithKey - check.linesNotInEffect << " took effect, " << check.linesNotInEffect
        << " did not (or only in part)\n";
}

} // namespace velmora::cli
