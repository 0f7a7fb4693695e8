#include "hostsim_options.h"

#include <charconv>
#include <fstream>
#include <string_view>

#include "core/catalogue.h"

namespace hostsim {
namespace {

std::optional<int> parseInt(std::string_view text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || rest != end || value < low || value > high)
        return std::nullopt;
    return value;
}

// Splits on every comma: "a,,b" is three texts, the middle one empty.
std::vector<std::string> splitTexts(std::string_view list) {
    std::vector<std::string> parts;
    for (;;) {
        const auto comma = list.find(',');
        parts.emplace_back(list.substr(0, comma));
        if (comma == std::string_view::npos) return parts;
        list.remove_prefix(comma + 1);
    }
}

ParseResult failure(std::string message) {
    return {std::nullopt, std::move(message)};
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::vector<LayoutChild> parseLayout(std::istream& in, std::string& error) {
    std::vector<LayoutChild> children;
    std::array<bool, kRegisterFields> placed{};
    bool ok = false, cancel = false, counters = false;
    int number = 0;
    auto wrong = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return std::vector<LayoutChild>{};
    };
    for (std::string raw; std::getline(in, raw);) {
        ++number;
        const std::string_view line = trimmed(raw);
        if (line.empty() || line.front() == '#') continue;
        const auto blank = line.find_first_of(" \t");
        const std::string_view word = line.substr(0, blank);
        const std::string text(blank == std::string_view::npos ? std::string_view()
                                                               : trimmed(line.substr(blank)));
        LayoutChild child;
        child.text = text;
        if (word == "label") {
            child.kind = LayoutChild::Kind::Label;
        } else if (word == "field") {
            const auto dash = text.find('-');
            const auto first = parseInt(std::string_view(text).substr(0, dash), 1, kRegisterFields);
            const auto last = dash == std::string::npos
                                  ? first
                                  : parseInt(std::string_view(text).substr(dash + 1), 1, kRegisterFields);
            if (!first || !last || *last < *first) return wrong("field takes a register 1-24 or a range R-S");
            for (int reg = *first - 1; reg < *last; ++reg) {
                if (placed[reg]) return wrong("register " + std::to_string(reg + 1) + " has a field already");
                placed[reg] = true;
                child.kind = LayoutChild::Kind::Field;
                child.reg = reg;
                child.text.clear();
                children.push_back(child);
            }
            continue;
        } else if (word == "ok" || word == "cancel") {
            bool& seen = word == "ok" ? ok : cancel;
            if (seen) return wrong(std::string(word) + " given twice (a decoy is \"button TEXT\")");
            seen = true;
            child.kind = word == "ok" ? LayoutChild::Kind::Ok : LayoutChild::Kind::Cancel;
            if (child.text.empty()) child.text = word == "ok" ? "OK" : "Cancel";
        } else if (word == "button") {
            child.kind = LayoutChild::Kind::Button;
        } else if (word == "counters") {
            if (counters) return wrong("counters given twice");
            counters = true;
            child.kind = LayoutChild::Kind::Counters;
        } else {
            return wrong("unknown child " + std::string(word) +
                         "; allowed: label, field, ok, cancel, button, counters");
        }
        children.push_back(child);
        if (children.size() > static_cast<std::size_t>(kMaxLayoutChildren))
            return wrong("more than " + std::to_string(kMaxLayoutChildren) + " children");
    }
    if (children.size() > static_cast<std::size_t>(kMaxLayoutChildren))
        return wrong("more than " + std::to_string(kMaxLayoutChildren) + " children");
    if (children.empty()) error = "no children";
    return children;
}

ParseResult parseOptions(const std::vector<std::string>& args) {
    Options options;
    if (args.empty()) return {options, {}};
    options.launcher = false;

    std::optional<int> module;
    bool hasTitle = false;
    bool hasHangMs = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--sticky") {
            options.sticky = true;
            continue;
        }
        if (i + 1 >= args.size())
            return failure(name.rfind("--", 0) == 0 ? name + " needs a value" : "unknown argument " + name);
        const std::string& value = args[++i];
        // Every count and duration is bounded so that a typo cannot make a
        // test wait for ever.
        auto number = [&](int low, int high) -> std::optional<int> { return parseInt(value, low, high); };
        std::optional<int> parsed;
        if (name == "--module") {
            if (!(module = number(0, velmora::kModuleCount - 1)))
                return failure("--module takes 0 to 7, not " + value);
        } else if (name == "--title") {
            options.title = value;
            hasTitle = true;
        } else if (name == "--children") {
            if (!(parsed = number(0, kChildCount))) return failure("--children takes 0 to 55, not " + value);
            options.children = *parsed;
            options.childrenGiven = true;
        } else if (name == "--texts") {
            const auto texts = splitTexts(value);
            if (texts.size() > options.texts.size()) return failure("--texts holds more than 24 texts");
            for (std::size_t t = 0; t < texts.size(); ++t) options.texts[t] = texts[t];
        } else if (name == "--hang-after") {
            if (!(options.hangAfter = number(0, 1000000)))
                return failure("--hang-after takes a count, not " + value);
        } else if (name == "--hang-ms") {
            if (!(parsed = number(0, 600000))) return failure("--hang-ms takes 0 to 600000, not " + value);
            options.hangMs = *parsed;
            hasHangMs = true;
        } else if (name == "--vanish-after") {
            if (!(options.vanishAfter = number(1, 1000000)))
                return failure("--vanish-after takes a count from 1, not " + value);
        } else if (name == "--frozen") {
            if (!(options.frozenRegister = number(1, kRegisterFields)))
                return failure("--frozen takes a register 1 to 24, not " + value);
        } else if (name == "--result") {
            options.resultFile = value;
        } else if (name == "--layout") {
            std::ifstream file(value, std::ios::binary);
            if (!file) return failure("--layout cannot read " + value);
            std::string error;
            options.layout = parseLayout(file, error);
            if (options.layout.empty()) return failure("--layout " + value + ": " + error);
        } else {
            return failure("unknown option " + name);
        }
    }
    if (hasHangMs && !options.hangAfter) return failure("--hang-ms needs --hang-after");
    if (!hasTitle && !module) return failure("--module or --title is needed");
    if (!hasTitle) options.title = std::string(velmora::moduleInfo(*module).defaultTitle);
    return {options, {}};
}

const char* usageText() {
    return "usage: hostsim                       (launcher of the eight modules)\n"
           "       hostsim --module K | --title TEXT [options]\n"
           "  --children N        create only the first N children (55 in all)\n"
           "  --texts T1,T2,...   initial texts of the 24 register fields (\"0\" otherwise)\n"
           "  --hang-after K      after K text messages stop answering ...\n"
           "  --hang-ms M         ... for M ms (default 3000)\n"
           "  --vanish-after K    destroy the window after K text messages\n"
           "  --sticky            OK and Cancel count presses but do not close\n"
           "  --frozen R          register field R (1-24) ignores set-text\n"
           "  --result FILE       on close write OK|CANCEL|CLOSED, 24 texts, presses N,\n"
           "                      set-texts N\n"
           "  --layout FILE       children from FILE, one a line: label [TEXT], field R[-S],\n"
           "                      ok [TEXT], cancel [TEXT], button TEXT, counters\n";
}

} // namespace hostsim
