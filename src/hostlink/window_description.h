#pragma once
// The window description file: host window titles per module and the child
// positions of the host's register fields and buttons. Every value has a
// default, so a missing or malformed file is never an error. The loaders can
// also say, line by line, what each line set and why anything was ignored.

#include <array>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/catalogue.h"

namespace velmora {

inline constexpr const char* kDescriptionFileName = "VELMORA.WDB";
inline constexpr int kRegisterCount = 24;
inline constexpr std::size_t kMaxLineLength = 80;
// A register position that no child position ever equals.
inline constexpr int kUnmapped = -1;

struct WindowLayout {
    std::array<int, kRegisterCount> controlPositions;
    int okPosition;
    int cancelPosition;
    int maxWindows;

    // Registers 0-7 at 1-8, 8-15 at 17-24, 16-18 at 33-35, 19-23 unmapped;
    // OK 52, Cancel 53, walk up to 54.
    static WindowLayout defaults();
    friend bool operator==(const WindowLayout&, const WindowLayout&) = default;
};

using ModuleTitles = std::array<std::string, kModuleCount>;

ModuleTitles defaultModuleTitles();

// What one line of the file did.
struct LineEffect {
    std::string key;    // "REG_05", "OK_BUTTON", "Q770_ZHC_358_00VM", ...
    bool applied;       // true: `detail` says what was set; false: why the key was ignored
    std::string detail; // "controlPositions[5] = 12", "text after the digits", ...
};

struct LineReport {
    int number = 0;                  // line of the file, from 1; a split line's pieces share it
    std::string text;                // the line as processed, at most 80 characters
    bool split = false;              // longer than 80 characters: cut here, the 81st character lost
    bool continued = false;          // the rest of a split line
    bool endOfFile = false;          // ended at the end of the file (a file ending in a line
                                     // feed has a last, empty line)
    bool ctrlZ = false;              // the end of the file was a Ctrl-Z byte (0x1a)
    std::vector<LineEffect> effects; // empty: no key on the line
};

// One line of a report as a checker prints it.
std::string describeLine(const LineReport& report);

// Reads lines as the file format defines them: at most 80 characters held, the
// 81st dropped, a carriage return before a line feed dropped, a last line
// without line feed kept, and an empty stream yields one empty line. As in the
// platform's text mode, a Ctrl-Z byte (0x1a) ends the file: nothing after it
// is read.
class DescriptionLineReader {
public:
    explicit DescriptionLineReader(std::istream& in) : in_(in) {}

    struct Line {
        std::string text;
        int number = 0;
        bool split = false;
        bool continued = false;
        bool endOfFile = false; // ended at the end of the file, not at a line feed
        bool ctrlZ = false;     // that end was a Ctrl-Z byte
    };
    std::optional<Line> next();

private:
    int get();

    std::istream& in_;
    bool ctrlZ_ = false;
    bool done_ = false;
    bool continuing_ = false;
    int physicalLine_ = 1;
};

// Why a value reader failed; Ok when it found a value.
enum class ValueError {
    Ok,
    NoEquals,
    NoValue,         // nothing but blanks after "="
    NotDigits,       // the value does not start with a digit (a sign, a letter ...)
    TextAfterDigits, // anything after the digits, a trailing blank included
    TooLarge,        // more than a 32-bit signed number holds
    NoOpeningQuote,
    NoClosingQuote,
};

const char* describe(ValueError error);

// The text starts at the key. A decimal number after the first "=", with
// nothing but digits to the end of the line.
std::optional<int> parseNumberValue(std::string_view text, ValueError* error = nullptr);

// The text starts at the key. The text between the first two double quotes
// after the first "=", whole (callers that store it cut it to size).
std::optional<std::string> parseQuotedValue(std::string_view text, ValueError* error = nullptr);

// Positions from the file, starting from the defaults. With `reports`, one
// report per line is appended.
WindowLayout loadWindowDescription(std::istream& in, std::vector<LineReport>* reports = nullptr);
// Opens `path`; a file that cannot be opened gives the defaults.
WindowLayout loadWindowDescription(const std::string& path = kDescriptionFileName,
                                   std::vector<LineReport>* reports = nullptr);

// Titles from the file, starting from each module's default title; a title is
// kept to its first 19 characters.
ModuleTitles loadModuleTitles(std::istream& in, std::vector<LineReport>* reports = nullptr);
ModuleTitles loadModuleTitles(const std::string& path = kDescriptionFileName,
                              std::vector<LineReport>* reports = nullptr);

// Both loaders over one stream, for a checker: each line's report holds what
// it did to the titles and to the positions.
struct WindowDescription {
    ModuleTitles titles;
    WindowLayout layout;
    std::vector<LineReport> lines;
};
WindowDescription checkWindowDescription(std::istream& in);

} // namespace velmora
