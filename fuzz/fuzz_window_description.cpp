// The window description file: any bytes load without a crash, the three
// loaders agree, every value set comes from the input, line reports keep to
// the line format and print safely, a valid last line wins, a Ctrl-Z ends the
// file, and CR-LF line ends read exactly like LF.

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

bool sameReports(const std::vector<LineReport>& a, const std::vector<LineReport>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const LineReport& x, const LineReport& y) {
        return x.number == y.number && x.text == y.text && x.split == y.split &&
               describeLine(x) == describeLine(y);
    });
}

// A number the file set is written in it in decimal (leading zeros aside).
bool fromInput(int value, int fallback, const std::string& bytes) {
    return value == fallback || (value >= 0 && bytes.find(std::to_string(value)) != std::string::npos);
}

void checkValues(const WindowDescription& d, const std::string& bytes) {
    const WindowLayout defaults = WindowLayout::defaults();
    for (std::size_t i = 0; i < d.layout.controlPositions.size(); ++i)
        require(fromInput(d.layout.controlPositions[i], defaults.controlPositions[i], bytes),
                "a register position is a default or a number of the input");
    require(fromInput(d.layout.okPosition, defaults.okPosition, bytes) &&
                fromInput(d.layout.cancelPosition, defaults.cancelPosition, bytes) &&
                fromInput(d.layout.maxWindows, defaults.maxWindows, bytes),
            "OK, Cancel and MAX_WINDOWS are defaults or numbers of the input");
    const ModuleTitles titles = defaultModuleTitles();
    for (std::size_t k = 0; k < titles.size(); ++k)
        require(d.titles[k] == titles[k] ||
                    (d.titles[k].size() <= kMaxTitleLength && d.titles[k].find('"') == std::string::npos &&
                     bytes.find(d.titles[k]) != std::string::npos),
                "a title is at most 19 characters of the input, without a quote");
}

void checkReports(const std::vector<LineReport>& lines, const std::string& bytes) {
    const std::string text = bytes.substr(0, bytes.find('\x1a')); // what text mode reads
    require(!lines.empty() && lines.front().number == 1, "lines are numbered from 1");
    require(lines.back().number == std::count(text.begin(), text.end(), '\n') + 1,
            "the last line number counts the line feeds");
    require(lines.back().endOfFile && lines.back().ctrlZ == (text.size() < bytes.size()),
            "the last line ends the file, at a Ctrl-Z if there is one");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const LineReport& r = lines[i];
        require(r.text.size() <= kMaxLineLength && r.text.find('\n') == std::string::npos,
                "a line holds at most 80 characters and no line feed");
        if (i > 0)
            require(r.number >= lines[i - 1].number && r.continued == lines[i - 1].split &&
                        !lines[i - 1].endOfFile,
                    "numbers never go back, a split line is continued next, only the last ends the file");
        const std::string shown = describeLine(r);
        require(!shown.empty() && shown.back() == '\n', "a described line ends in a line feed");
        for (char c : shown) require(c == '\n' || (c >= 32 && c < 127), "a described line is printable");
    }
}

// A valid line after anything sets its field and nothing else; after a Ctrl-Z
// nothing is read.
void checkLastLineWins(const std::string& bytes, const WindowDescription& first) {
    const int value = static_cast<int>(bytes.size());
    const std::string n = std::to_string(value);
    if (bytes.find('\x1a') != std::string::npos) {
        const WindowDescription after = check(bytes + "\nOK_BUTTON=1\nQ770_ZVI_310_00VM=\"t\"");
        require(after.layout == first.layout && after.titles == first.titles,
                "nothing after a Ctrl-Z is read");
        return;
    }
    // The line feed first: a carriage return that ended the input joins it.
    const WindowDescription before = check(bytes + "\n");
    WindowLayout layout = before.layout;
    ModuleTitles titles = before.titles;
    const int choice = value % (kRegisterCount + 4);
    const std::size_t at = static_cast<std::size_t>(choice);
    std::string line;
    if (choice < kRegisterCount)
        line = (choice < 10 ? "REG_0" : "REG_") + std::to_string(choice) + " = " + n,
        layout.controlPositions[at] = value;
    else if (choice == kRegisterCount)
        line = "OK_BUTTON=" + n, layout.okPosition = value;
    else if (choice == kRegisterCount + 1)
        line = "CANCEL_BUTTON =" + n, layout.cancelPosition = value;
    else if (choice == kRegisterCount + 2)
        line = "MAX_WINDOWS= " + n, layout.maxWindows = value;
    else
        line = std::string(ModuleCatalogue[at % kModuleCount].hostKey) + " = \"t" + n + "\"",
        titles[at % kModuleCount] = "t" + n;
    const WindowDescription after = check(bytes + "\n" + line);
    require(after.layout == layout && after.titles == titles,
            "a valid last line sets its value and no other");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string bytes(velmora::fuzz::asText(data, size));
    const WindowDescription first = check(bytes);
    std::istringstream plain(bytes), reported(bytes), titles(bytes);
    std::vector<LineReport> lines;
    require(loadWindowDescription(plain) == first.layout &&
                loadWindowDescription(reported, &lines) == first.layout,
            "the position loader agrees with the checker, with or without reports");
    require(lines.size() == first.lines.size(), "the position loader sees the same lines");
    require(loadModuleTitles(titles) == first.titles, "the title loader agrees with the checker");
    checkValues(first, bytes);
    checkReports(first.lines, bytes);
    checkLastLineWins(bytes, first);

    std::string lf, crlf;
    for (char c : bytes)
        if (c != '\r') lf += c, crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const WindowDescription unix = check(lf), dos = check(crlf);
    require(unix.layout == dos.layout && unix.titles == dos.titles && sameReports(unix.lines, dos.lines),
            "CR-LF reads as LF");
    return 0;
}
