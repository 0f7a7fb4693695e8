// The window description file: any bytes load without a crash, the three
// loaders agree, titles keep to their field, lines to 80 characters, every
// line report prints safely, a Ctrl-Z ends the file, and CR-LF line ends read
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

std::string described(const WindowDescription& d) {
    std::string all;
    for (const LineReport& r : d.lines) {
        require(r.text.size() <= kMaxLineLength && r.text.find('\n') == std::string::npos,
                "a line holds at most 80 characters and no line feed");
        all += describeLine(r);
    }
    return all;
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
    const std::string shown = described(first);
    require(std::all_of(shown.begin(), shown.end(), [](char c) { return c == '\n' || (c >= 32 && c < 127); }),
            "line reports are printable");

    const std::size_t ctrlZ = bytes.find('\x1a');
    require(first.lines.back().ctrlZ == (ctrlZ != std::string::npos), "a Ctrl-Z ends the file");
    if (ctrlZ != std::string::npos) {
        const WindowDescription after = check(bytes + "\nOK_BUTTON=1\nQ770_ZVI_310_00VM=\"t\"");
        require(after.layout == first.layout && after.titles == first.titles,
                "nothing after a Ctrl-Z is read");
    }
    std::string lf, crlf;
    for (char c : bytes)
        if (c != '\r') lf += c, crlf += c == '\n' ? "\r\n" : std::string(1, c);
    const WindowDescription unix = check(lf), dos = check(crlf);
    require(unix.layout == dos.layout && unix.titles == dos.titles && described(unix) == described(dos),
            "CR-LF reads as LF");
    return 0;
}
