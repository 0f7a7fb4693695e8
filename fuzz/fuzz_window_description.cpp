// The window description file: any bytes load without a crash, loading is
// deterministic, the three loaders agree, every value set comes from the input,
// a valid last line wins, a Ctrl-Z ends the file, and CR-LF line ends read
// exactly like LF.

#include <algorithm>
#include <sstream>
#include <string>

#include "fuzz_check.h"
#include "hostlink/window_description.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

WindowDescription check(const std::string& bytes) {
    std::istringstream in(bytes);
    return checkWindowDescription(in);
}

bool sameLines(const LineReport& a, const LineReport& b) {
    return a.number == b.number && a.text == b.text && a.split == b.split && a.continued == b.continued &&
           a.endOfFile == b.endOfFile;
}

bool sameReports(const std::vector<LineReport>& a, const std::vector<LineReport>& b, bool withEffects) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameLines(a[i], b[i])) return false;
        if (!withEffects) continue;
        if (a[i].effects.size() != b[i].effects.size()) return false;
        for (std::size_t k = 0; k < a[i].effects.size(); ++k) {
            const LineEffect& x = a[i].effects[k];
            const LineEffect& y = b[i].effects[k];
            if (x.key != y.key || x.applied != y.applied || x.detail != y.detail) return false;
        }
    }
    return true;
}

// A number the file set is written in it in decimal (leading zeros aside).
bool fromInput(int value, int fallback, const std::string& bytes) {
    if (value == fallback) return true;
    return value >= 0 && bytes.find(std::to_string(value)) != std::string::npos;
}

void checkLayout(const WindowLayout& layout, const std::string& bytes) {
    const WindowLayout defaults = WindowLayout::defaults();
    for (std::size_t i = 0; i < layout.controlPositions.size(); ++i)
        require(fromInput(layout.controlPositions[i], defaults.controlPositions[i], bytes),
                "a register position is a default or a number of the input");
    require(fromInput(layout.okPosition, defaults.okPosition, bytes), "OK position from input");
    require(fromInput(layout.cancelPosition, defaults.cancelPosition, bytes), "Cancel position from input");
    require(fromInput(layout.maxWindows, defaults.maxWindows, bytes), "MAX_WINDOWS from input");
}

void checkTitles(const ModuleTitles& titles, const std::string& bytes) {
    const ModuleTitles defaults = defaultModuleTitles();
    for (std::size_t k = 0; k < titles.size(); ++k) {
        const std::string& t = titles[k];
        if (t == defaults[k]) continue;
        require(t.size() <= kMaxTitleLength, "a title holds at most 19 characters");
        require(t.find_first_of(std::string("\"\n\0", 3)) == std::string::npos,
                "a title holds no quote, line feed or NUL");
        require(bytes.find(t) != std::string::npos, "a title is text of the input");
    }
}

// What text mode reads of the file: everything before the first Ctrl-Z.
std::string textPart(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\x1a'));
}

void checkReports(const std::vector<LineReport>& lines, const std::string& bytes) {
    require(!lines.empty(), "every input has at least one line");
    require(lines.front().number == 1, "lines are numbered from 1");
    const std::string text = textPart(bytes);
    const auto feeds = std::count(text.begin(), text.end(), '\n');
    require(lines.back().number == feeds + 1, "the last line number counts the line feeds");
    require(lines.back().endOfFile, "the last line ends at the end of the file");
    require(lines.back().ctrlZ == (text.size() < bytes.size()), "a Ctrl-Z ends the file");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineReport& r = lines[i];
        require(r.text.size() <= kMaxLineLength, "a line holds at most 80 characters");
        require(r.text.find('\n') == std::string::npos, "a line holds no line feed");
        if (i > 0) {
            require(r.number >= lines[i - 1].number, "line numbers never go back");
            require(r.continued == lines[i - 1].split, "a split line is continued next");
            require(!lines[i - 1].endOfFile, "only the last line ends the file");
        }
        const std::string shown = describeLine(r);
        require(!shown.empty() && shown.back() == '\n', "a described line ends in a line feed");
        for (char c : shown) require(c == '\n' || (c >= 32 && c < 127), "a described line is printable");
    }
}

std::string withoutCarriageReturns(const std::string& bytes) {
    std::string out;
    for (char c : bytes)
        if (c != '\r') out += c;
    return out;
}

std::string withCrLf(const std::string& lf) {
    std::string out;
    for (char c : lf) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// A valid line after anything sets its field and nothing else: the last valid
// value wins. After a Ctrl-Z nothing is read.
void checkLastLineWins(const std::string& bytes, const WindowDescription& first) {
    if (textPart(bytes).size() < bytes.size()) {
        const WindowDescription after = check(bytes + "\nOK_BUTTON=1\nQ770_ZVI_310_00VM=\"t\"");
        require(after.layout == first.layout && after.titles == first.titles,
                "nothing after a Ctrl-Z is read");
        return;
    }
    // A carriage return that ended the file is text of its line, and becomes
    // part of a CR-LF once a line follows.
    const WindowDescription before = !bytes.empty() && bytes.back() == '\r' ? check(bytes + "\n") : first;
    const int choice = static_cast<int>(bytes.size() % (kRegisterCount + 4));
    const int value = static_cast<int>(bytes.size());
    WindowLayout expected = before.layout;
    ModuleTitles titles = before.titles;
    std::string line;
    if (choice < kRegisterCount) {
        line = (choice < 10 ? "REG_0" : "REG_") + std::to_string(choice) + " = " + std::to_string(value);
        expected.controlPositions[static_cast<std::size_t>(choice)] = value;
    } else if (choice == kRegisterCount) {
        line = "OK_BUTTON=" + std::to_string(value);
        expected.okPosition = value;
    } else if (choice == kRegisterCount + 1) {
        line = "CANCEL_BUTTON =" + std::to_string(value);
        expected.cancelPosition = value;
    } else if (choice == kRegisterCount + 2) {
        line = "MAX_WINDOWS= " + std::to_string(value);
        expected.maxWindows = value;
    } else {
        const std::size_t kind = bytes.size() % titles.size();
        line = std::string(ModuleCatalogue[kind].hostKey) + " = \"t" + std::to_string(value) + "\"";
        titles[kind] = "t" + std::to_string(value);
    }
    const WindowDescription after = check(bytes + "\n" + line);
    require(after.layout == expected, "a valid last line sets its position and no other");
    require(after.titles == titles, "a valid last line sets its title and no other");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string bytes(velmora::fuzz::asText(data, size));

    const WindowDescription first = check(bytes);
    const WindowDescription second = check(bytes);
    require(first.layout == second.layout, "the same bytes give the same layout");
    require(first.titles == second.titles, "the same bytes give the same titles");
    require(sameReports(first.lines, second.lines, true), "the same bytes give the same reports");

    {
        std::istringstream plain(bytes);
        require(loadWindowDescription(plain) == first.layout, "the position loader agrees with the checker");
        std::istringstream reported(bytes);
        std::vector<LineReport> lines;
        require(loadWindowDescription(reported, &lines) == first.layout,
                "reports do not change the positions");
        require(sameReports(lines, first.lines, false), "the position loader sees the same lines");
        std::istringstream titles(bytes);
        require(loadModuleTitles(titles) == first.titles, "the title loader agrees with the checker");
    }

    checkLayout(first.layout, bytes);
    checkTitles(first.titles, bytes);
    checkReports(first.lines, bytes);

    checkLastLineWins(bytes, first);

    const std::string lf = withoutCarriageReturns(bytes);
    const WindowDescription unix = check(lf);
    const WindowDescription dos = check(withCrLf(lf));
    require(unix.layout == dos.layout, "CR-LF gives the layout of LF");
    require(unix.titles == dos.titles, "CR-LF gives the titles of LF");
    require(sameReports(unix.lines, dos.lines, true), "CR-LF gives the reports of LF");
    return 0;
}
