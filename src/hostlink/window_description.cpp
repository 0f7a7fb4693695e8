#include "hostlink/window_description.h"

#include <climits>
#include <fstream>

#include "core/text.h"

namespace velmora {

namespace {

constexpr std::string_view kRegKey = "REG_";
constexpr std::string_view kOkKey = "OK_BUTTON";
constexpr std::string_view kCancelKey = "CANCEL_BUTTON";
constexpr std::string_view kMaxWindowsKey = "MAX_WINDOWS";

// The file was written for C strings: nothing after a NUL byte is seen.
std::string_view upToNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

// Blanks and control characters, and bytes of 128 and above.
bool isSkippedAfterEquals(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 1 && u <= 32) || u >= 128;
}

// The register index after "REG_", read like atoi: blanks, a sign, digits.
int readIndex(std::string_view chars) {
    std::size_t i = 0;
    while (i < chars.size() && isBlank(chars[i])) ++i;
    bool negative = false;
    if (i < chars.size() && (chars[i] == '+' || chars[i] == '-')) negative = chars[i++] == '-';
    int value = 0;
    for (; i < chars.size() && isDigit(chars[i]); ++i) value = value * 10 + (chars[i] - '0');
    return negative ? -value : value;
}

// Bytes of the file never reach a terminal raw: the key of a "REG_" line
// carries the two characters after it, whatever they are.
std::string printable(std::string_view text) {
    const std::string q = quotedText(text);
    return q.substr(1, q.size() - 2);
}

void addEffect(std::vector<LineEffect>* effects, std::string key, bool applied, std::string detail) {
    if (effects) effects->push_back({std::move(key), applied, std::move(detail)});
}

// One numeric key: the field is set only when the value reads.
void applyNumberKey(std::string_view line, std::string_view key, int& field, const char* fieldName,
                    std::vector<LineEffect>* effects) {
    const std::size_t at = line.find(key);
    if (at == std::string_view::npos) return;
    ValueError error = ValueError::Ok;
    if (auto value = parseNumberValue(line.substr(at), &error)) {
        field = *value;
        addEffect(effects, std::string(key), true, fieldName + (" = " + std::to_string(*value)));
    } else {
        addEffect(effects, std::string(key), false, describe(error));
    }
}

void applyPositionLine(std::string_view line, WindowLayout& layout, std::vector<LineEffect>* effects) {
    if (const std::size_t at = line.find(kRegKey); at != std::string_view::npos) {
        const std::string_view rest = line.substr(at);
        const std::string_view chars = rest.substr(kRegKey.size(), 2);
        std::string key = std::string(kRegKey) + std::string(chars);
        while (key.size() > kRegKey.size() && isBlank(key.back())) key.pop_back();
        const int index = readIndex(chars);
        ValueError error = ValueError::Ok;
        if (index == 0 && chars != "00") {
            addEffect(effects, key, false,
                      quotedText(chars) + " is not a register index (register 0 is written \"00\")");
        } else if (index < 0 || index >= kRegisterCount) {
            addEffect(effects, key, false, "register index " + std::to_string(index) + " is out of range");
        } else if (auto value = parseNumberValue(rest, &error)) {
            layout.controlPositions[static_cast<std::size_t>(index)] = *value;
            addEffect(effects, key, true,
                      "controlPositions[" + std::to_string(index) + "] = " + std::to_string(*value));
        } else {
            addEffect(effects, key, false, describe(error));
        }
    }
    applyNumberKey(line, kOkKey, layout.okPosition, "okPosition", effects);
    applyNumberKey(line, kCancelKey, layout.cancelPosition, "cancelPosition", effects);
    applyNumberKey(line, kMaxWindowsKey, layout.maxWindows, "maxWindows", effects);
}

void applyTitleLine(std::string_view line, ModuleTitles& titles, std::vector<LineEffect>* effects) {
    for (std::size_t kind = 0; kind < ModuleCatalogue.size(); ++kind) {
        const ModuleInfo& module = ModuleCatalogue[kind];
        const std::size_t at = line.find(module.hostKey);
        if (at == std::string_view::npos) continue;
        const std::string key(module.hostKey);
        ValueError error = ValueError::Ok;
        if (auto value = parseQuotedValue(line.substr(at), &error)) {
            // The title field holds 19 characters and a terminator.
            const bool cut = value->size() > kMaxTitleLength;
            titles[kind] = value->substr(0, kMaxTitleLength);
            std::string detail = "title of module " + std::to_string(kind) + " (" +
                                 std::string(module.listName) + ") = " + quotedText(titles[kind]);
            if (cut)
                detail += ", cut from " + std::to_string(value->size()) + " to " +
                          std::to_string(kMaxTitleLength) + " characters";
            addEffect(effects, key, true, std::move(detail));
        } else {
            addEffect(effects, key, false, describe(error));
        }
        return; // the first key found decides
    }
}

// Runs `process` on every line, with a report per line when asked.
template <typename Process>
void forEachLine(std::istream& in, std::vector<LineReport>* reports, Process process) {
    DescriptionLineReader reader(in);
    while (auto line = reader.next()) {
        std::string_view text = line->text;
        const bool hasNul = text.find('\0') != std::string_view::npos;
        text = upToNul(text);
        if (!reports) {
            process(text, nullptr);
            continue;
        }
        LineReport report;
        report.number = line->number;
        report.text = line->text;
        report.split = line->split;
        report.continued = line->continued;
        report.endOfFile = line->endOfFile;
        report.ctrlZ = line->ctrlZ;
        if (hasNul) report.effects.push_back({"", false, "text after a NUL byte is not read"});
        process(text, &report.effects);
        reports->push_back(std::move(report));
    }
}

} // namespace

WindowLayout WindowLayout::defaults() {
    WindowLayout layout{};
    for (int i = 0; i < kRegisterCount; ++i) {
        int position = kUnmapped;
        if (i < 8)
            position = 1 + i;
        else if (i < 16)
            position = 17 + (i - 8);
        else if (i < 19)
            position = 33 + (i - 16);
        layout.controlPositions[static_cast<std::size_t>(i)] = position;
    }
    layout.okPosition = 52;
    layout.cancelPosition = 53;
    layout.maxWindows = 54;
    return layout;
}

ModuleTitles defaultModuleTitles() {
    ModuleTitles titles;
    for (std::size_t kind = 0; kind < titles.size(); ++kind)
        titles[kind] = std::string(ModuleCatalogue[kind].defaultTitle);
    return titles;
}

int DescriptionLineReader::get() {
    constexpr int kCtrlZ = 0x1A;
    if (ctrlZ_) return std::char_traits<char>::eof();
    // Text mode: a carriage return before a line feed never reaches the parser,
    // and a Ctrl-Z, which old editors write at the end, ends the file.
    int c = in_.get();
    if (c == '\r' && in_.peek() == '\n') c = in_.get();
    if (c == kCtrlZ) {
        ctrlZ_ = true;
        return std::char_traits<char>::eof();
    }
    return c;
}

std::optional<DescriptionLineReader::Line> DescriptionLineReader::next() {
    if (done_) return std::nullopt;
    Line line;
    line.number = physicalLine_;
    line.continued = continuing_;
    continuing_ = false;
    for (;;) {
        const int c = get();
        if (c == std::char_traits<char>::eof()) {
            done_ = true;
            line.endOfFile = true;
            line.ctrlZ = ctrlZ_;
            break;
        }
        if (c == '\n') {
            ++physicalLine_;
            break;
        }
        if (line.text.size() == kMaxLineLength) {
            // The 81st character is dropped; the rest is the next line.
            line.split = true;
            continuing_ = true;
            break;
        }
        line.text.push_back(static_cast<char>(c));
    }
    return line;
}

const char* describe(ValueError error) {
    switch (error) {
    case ValueError::Ok:
        return "ok";
    case ValueError::NoEquals:
        return "no '=' after the key";
    case ValueError::NoValue:
        return "no digits after '='";
    case ValueError::NotDigits:
        return "the value after '=' is not a number";
    case ValueError::TextAfterDigits:
        return "text after the digits";
    case ValueError::TooLarge:
        return "the number is too large";
    case ValueError::NoOpeningQuote:
        return "no quoted value after '='";
    case ValueError::NoClosingQuote:
        return "no closing quote";
    }
    return "unknown";
}

std::optional<int> parseNumberValue(std::string_view text, ValueError* error) {
    auto failWith = [error](ValueError e) -> std::optional<int> {
        if (error) *error = e;
        return std::nullopt;
    };
    text = upToNul(text);
    std::size_t i = text.find('=');
    if (i == std::string_view::npos) return failWith(ValueError::NoEquals);
    ++i;
    while (i < text.size() && isSkippedAfterEquals(text[i])) ++i;
    if (i == text.size()) return failWith(ValueError::NoValue);
    if (!isDigit(text[i])) return failWith(ValueError::NotDigits);
    long long value = 0;
    bool tooLarge = false;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i])) return failWith(ValueError::TextAfterDigits);
        if (!tooLarge) {
            value = value * 10 + (text[i] - '0');
            tooLarge = value > INT_MAX;
        }
    }
    if (tooLarge) return failWith(ValueError::TooLarge);
    if (error) *error = ValueError::Ok;
    return static_cast<int>(value);
}

std::optional<std::string> parseQuotedValue(std::string_view text, ValueError* error) {
    auto failWith = [error](ValueError e) -> std::optional<std::string> {
        if (error) *error = e;
        return std::nullopt;
    };
    text = upToNul(text);
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return failWith(ValueError::NoEquals);
    const std::size_t open = text.find('"', equals + 1);
    if (open == std::string_view::npos) return failWith(ValueError::NoOpeningQuote);
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string_view::npos) return failWith(ValueError::NoClosingQuote);
    if (error) *error = ValueError::Ok;
    return std::string(text.substr(open + 1, close - open - 1));
}

WindowLayout loadWindowDescription(std::istream& in, std::vector<LineReport>* reports) {
    WindowLayout layout = WindowLayout::defaults();
    forEachLine(in, reports, [&](std::string_view line, std::vector<LineEffect>* effects) {
        applyPositionLine(line, layout, effects);
    });
    return layout;
}

WindowLayout loadWindowDescription(const std::string& path, std::vector<LineReport>* reports) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return WindowLayout::defaults();
    return loadWindowDescription(in, reports);
}

ModuleTitles loadModuleTitles(std::istream& in, std::vector<LineReport>* reports) {
    ModuleTitles titles = defaultModuleTitles();
    forEachLine(in, reports, [&](std::string_view line, std::vector<LineEffect>* effects) {
        applyTitleLine(line, titles, effects);
    });
    return titles;
}

ModuleTitles loadModuleTitles(const std::string& path, std::vector<LineReport>* reports) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return defaultModuleTitles();
    return loadModuleTitles(in, reports);
}

WindowDescription checkWindowDescription(std::istream& in) {
    WindowDescription result{defaultModuleTitles(), WindowLayout::defaults(), {}};
    forEachLine(in, &result.lines, [&](std::string_view line, std::vector<LineEffect>* effects) {
        applyTitleLine(line, result.titles, effects);
        applyPositionLine(line, result.layout, effects);
    });
    return result;
}

std::string describeLine(const LineReport& report) {
    std::string out = "line " + std::to_string(report.number);
    if (report.continued) out += " (continued)";
    out += ": " + quotedText(report.text) + "\n";
    if (report.split)
        out += "  line longer than 80 characters was split: its 81st character was dropped "
               "and the rest is read as the next line\n";
    if (report.ctrlZ) {
        out += "  end of file: a Ctrl-Z byte (0x1a) ends the text here, as the platform's text mode reads "
               "it; nothing after it is read\n";
    }
    if (report.effects.empty()) {
        if (!report.text.empty() || !report.endOfFile)
            out += "  no key: ignored\n";
        else if (!report.ctrlZ)
            out += "  end of file\n";
    }
    for (const LineEffect& e : report.effects) {
        out += "  ";
        if (!e.key.empty()) out += printable(e.key) + ": ";
        out += (e.applied ? "sets " : "ignored: ") + e.detail + "\n";
    }
    return out;
}

} // namespace velmora
