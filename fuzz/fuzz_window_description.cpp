// The window description file: any bytes load without a crash, the three
// loaders agree, titles keep to their field, line reports keep to the line
// format and print safely, a valid last line wins, a Ctrl-Z ends the file, and
// CR-LF line ends read exactly like LF.

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

std::string described(const WindowDescription& d) {
    std::string all;
    for (const LineReport& r : d.lines) all += describeLine(r);
    return all;
}

void checkReports(const std::vector<LineReport>& lines, const std::string& bytes) {
    const std::string text = bytes.substr(0, bytes.find('\x1a')); // what text mode reads
    require(!lines.empty() && lines.front().number == 1 &&
                lines.back().number == std::count(text.begin(), text.end(), '\n') + 1,
            "lines are numbered from 1 and the last number counts the line feeds");
    require(lines.back().endOfFile && lines.back().ctrlZ == (text.size() < bytes.size()),
            "the last line ends the file, at a Ctrl-Z if there is one");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        require(lines[i].text.size() <= kMaxLineLength && lines[i].text.find('\n') == std::string::npos,
                "a line holds at most 80 characters and no line feed");
        require(i == 0 || (lines[i].number >= lines[i - 1].number &&
                           lines[i].continued == lines[i - 1].split && !lines[i - 1].endOfFile),
                "numbers never go back, a split line is continued next, only the last ends the file");
        const std::string shown = describeLine(lines[i]);
        require(shown.back() == '\n' && std::all_of(shown.begin(), shown.end(),
                                                    [](char c) { return c == '\n' || (c >= 32 && c < 127); }),
                "a described line is printable and ends in a line feed");
    }
}

// A valid line after anything sets its value and nothing else; after a Ctrl-Z
// nothing is read.
void checkLastLineWins(const std::string& bytes, const WindowDescription& first) {
    const int value = static_cast<int>(bytes.size()), choice = value % (kRegisterCount + 3);
    if (bytes.find('\x1a') != std::string::npos) {
        const WindowDescription after = check(bytes + "\nOK_BUTTON=1\nQ770_ZVI_310_00VM=\"t\"");
        require(after.layout == first.layout && after.titles == first.titles,
                "nothing after a Ctrl-Z is read");
        return;
    }
    const char* keys[] = {"OK_BUTTON=", "CANCEL_BUTTON =", "MAX_WINDOWS= "};
    const std::string line = choice < kRegisterCount
                                 ? (choice < 10 ? "REG_0" : "REG_") + std::to_string(choice) + " = "
                                 : std::string(keys[choice - kRegisterCount]);
    // The line feed first: a carriage return that ended the input joins it.
    const WindowDescription before = check(bytes + "\n"),
                            after = check(bytes + "\n" + line + std::to_string(value));
    WindowLayout layout = before.layout;
    (choice < kRegisterCount        ? layout.controlPositions[static_cast<std::size_t>(choice)]
     : choice == kRegisterCount     ? layout.okPosition
     : choice == kRegisterCount + 1 ? layout.cancelPosition
                                    : layout.maxWindows) = value;
    require(after.layout == layout && after.titles == before.titles,
            "a valid last line sets its value and no other");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string bytes(velmora::fuzz::asText(data, size));
    const WindowDescription first = check(bytes);
    std::istringstream plain(bytes), reported(bytes), titles(bytes);
    std::vector<LineReport> lines;
    require(loadWindowDescription(plain) == first.layout &&
                loadWindowDescription(reported, &lines) == first.layout && lines.size() == first.lines.size(),
            "the position loader agrees with the checker, with or without reports");
    require(loadModuleTitles(titles) == first.titles, "the title loader agrees with the checker");
    const ModuleTitles defaults = defaultModuleTitles();
    for (std::size_t k = 0; k < defaults.size(); ++k)
        require(first.titles[k] == defaults[k] || (first.titles[k].size() <= kMaxTitleLength &&
                                                   first.titles[k].find('"') == std::string::npos &&
                                                   bytes.find(first.titles[k]) != std::string::npos),
                "a title is at most 19 characters of the input, without a quote");
    checkReports(first.lines, bytes);
    checkLastLineWins(bytes, first);

    std::string lf, crlf;
    for (char c : bytes)
        if (c != '\r') lf += c, crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const WindowDescription unix = check(lf), dos = check(crlf);
    require(unix.layout == dos.layout && unix.titles == dos.titles && described(unix) == described(dos),
            "CR-LF reads as LF");
    return 0;
}
