#pragma once
// The command line of hostsim. Other test tools start hostsim with these
// options, so their spelling and meaning stay fixed.

#include <array>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace hostsim {

inline constexpr int kRegisterFields = 24;
// Label, 3 x (8 edits + 8 labels), 3 labels, OK, Cancel, closing label.
inline constexpr int kChildCount = 55;
// A layout file makes at most this many children.
inline constexpr int kMaxLayoutChildren = 400;

// One child of a parameter window, in child order.
struct LayoutChild {
    enum class Kind { Label, Field, Ok, Cancel, Button, Counters };
    Kind kind = Kind::Label;
    std::string text; // a label's or a button's text
    int reg = -1;     // Field: the register field, 0 to 23
};

struct Options {
    // No option at all: the launcher listing the eight modules.
    bool launcher = true;

    std::string title;          // from --module K or --title TEXT
    int children = kChildCount; // --children N
    bool childrenGiven = false;
    std::vector<LayoutChild> layout;                // --layout FILE; empty: the default layout
    std::array<std::string, kRegisterFields> texts; // --texts, "0" where not given
    std::optional<int> hangAfter;                   // --hang-after K: text messages answered first
    int hangMs = 3000;                              // --hang-ms M
    std::optional<int> vanishAfter;                 // --vanish-after K
    bool sticky = false;                            // --sticky
    std::optional<int> frozenRegister;              // --frozen R, 1 to 24
    std::string resultFile;                         // --result FILE

    Options() { texts.fill("0"); }
};

struct ParseResult {
    std::optional<Options> options; // empty when the command line is wrong
    std::string error;              // what was wrong, for the usage message
};

// `args` excludes the program name.
ParseResult parseOptions(const std::vector<std::string>& args);

// A layout file: one child per line, "label [TEXT]", "field R" or "field R-S"
// (registers 1-24, each at most once), "ok [TEXT]", "cancel [TEXT]",
// "button TEXT", "counters"; blank lines and lines starting with # are
// skipped. Empty children and a message naming the line when it is wrong.
std::vector<LayoutChild> parseLayout(std::istream& in, std::string& error);

const char* usageText();

} // namespace hostsim
