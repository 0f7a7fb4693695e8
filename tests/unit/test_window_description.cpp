#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "hostlink/window_description.h"

namespace velmora {
namespace {

TEST(WindowDescription, LineReader) {
    const std::string a80(80, 'a');
    // clang-format off
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {""}}, {"abc\n", {"abc", ""}}, {"a\n\nb", {"a", "", "b"}}, {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\rb\n", {"a\rb", ""}},
        {a80 + "\r\n", {a80, ""}}, {a80 + "XREST", {a80, "REST"}}, {a80 + "X", {a80, ""}},
        {std::string(170, 'b'), {std::string(80, 'b'), std::string(80, 'b'), "bbbbbbbb"}},
        // Text mode ends the file at a Ctrl-Z.
        {"MAX_WINDOWS=60\n\x1a\nOK_BUTTON=40\n", {"MAX_WINDOWS=60", ""}}, {"a\r\x1a\n", {"a\r"}}};
    // clang-format on
    for (const auto& [content, lines] : cases) {
        std::istringstream in(content);
        DescriptionLineReader reader(in);
        std::vector<std::string> got;
        while (auto line = reader.next()) got.push_back(line->text);
        EXPECT_EQ(got, lines) << '"' << content << '"';
    }
}

TEST(WindowDescription, ParseNumberAndQuotedValues) {
    using E = ValueError;
    // clang-format off
    const std::tuple<std::string, std::optional<int>, E> numbers[] = {
        {"OK_BUTTON = 52", 52, E::Ok}, {"OK_BUTTON=0", 0, E::Ok}, {"OK_BUTTON=\t\x01\x7f", {}, E::NotDigits},
        {"OK_BUTTON=\t\x01\x80\xff" "7", 7, E::Ok}, {"OK_BUTTON = 52 ", {}, E::TextAfterDigits},
        {"OK_BUTTON = -5", {}, E::NotDigits}, {"OK_BUTTON 52", {}, E::NoEquals}, {"OK =   ", {}, E::NoValue},
        {"X = 1 = 2", {}, E::TextAfterDigits}, {"X = 2147483647", 2147483647, E::Ok},
        {"X = 2147483648", {}, E::TooLarge}, {"X = 99999999999999999999999999", {}, E::TooLarge},
        {"X = 0000000000000000000000012", 12, E::Ok}, {std::string("X = 12\0" "34", 9), 12, E::Ok}};
    const std::tuple<const char*, std::optional<std::string>, E> quoted[] = {
        {"K = \"Title\"", "Title", E::Ok}, {"K=\"\"", "", E::Ok}, {"K = \"A B\" and \"x\"", "A B", E::Ok},
        {"K \"x\" = \"y\"", "y", E::Ok}, {"K = Title", {}, E::NoOpeningQuote}, {"K \"T\"", {}, E::NoEquals},
        {"K = \"Title", {}, E::NoClosingQuote}, {"K = \"a = \"b\"", "a = ", E::Ok}};
    // clang-format on
    for (const auto& [text, value, error] : numbers) {
        ValueError got = E::Ok;
        EXPECT_EQ(std::tuple(parseNumberValue(text, &got), got), std::tuple(value, error)) << text;
    }
    for (const auto& [text, value, error] : quoted) {
        ValueError got = E::Ok;
        EXPECT_EQ(std::tuple(parseQuotedValue(text, &got), got), std::tuple(value, error)) << text;
    }
}

WindowLayout layoutOf(const std::string& content) {
    std::istringstream in(content);
    return loadWindowDescription(in);
}

TEST(WindowDescription, Defaults) {
    const WindowLayout d = WindowLayout::defaults();
    const std::array<int, kRegisterCount> expected = {1,  2,  3,  4,  5,  6,  7,  8,  17, 18, 19, 20,
                                                      21, 22, 23, 24, 33, 34, 35, -1, -1, -1, -1, -1};
    EXPECT_EQ(std::tuple(d.controlPositions, d.okPosition, d.cancelPosition, d.maxWindows),
              std::tuple(expected, 52, 53, 54));
    EXPECT_EQ(layoutOf(""), d);
    EXPECT_EQ(loadWindowDescription(std::string("no/such/dir/VELMORA.WDB")), d);
}

TEST(WindowDescription, PositionLines) {
    // A line and what it sets: register 0-23, OK 24, Cancel 25, MAX_WINDOWS 26 (-1: nothing).
    // clang-format off
    const std::tuple<std::string, int, int> cases[] = {
        {"REG_05 = 12", 5, 12}, {"REG_5 = 12", 5, 12}, {"REG_00=3", 0, 3}, {"REG_0 = 3", -1, 0},
        {"REG_ab=3", -1, 0}, {"REG_24 = 70", -1, 0}, {"REG_-1 = 70", -1, 0}, {"REG_ 7=9", 7, 9},
        {"REG_+7=9", 7, 9}, {"REG_23=99", 23, 99}, {"REG_2", -1, 0}, {"  my REG_19 = 40", 19, 40},
        {"REG_19 = 40 REG_20 = 41", -1, 0}, {"OK_BUTTON = 9", 24, 9}, {"MAX_WINDOWS=60", 26, 60},
        {"OK_BUTTON = 9 and CANCEL_BUTTON = 10", 25, 10},
        {std::string("OK_BUTTON = 4\0MAX_WINDOWS=9", 27), 24, 4}};
    // clang-format on
    const auto field = [](WindowLayout& l, int which) -> int& {
        return which < kRegisterCount ? l.controlPositions[static_cast<std::size_t>(which)]
               : which == 24          ? l.okPosition
               : which == 25          ? l.cancelPosition
                                      : l.maxWindows;
    };
    for (const auto& [line, which, value] : cases) {
        WindowLayout expected = WindowLayout::defaults();
        if (which >= 0) field(expected, which) = value;
        EXPECT_EQ(layoutOf(line), expected) << line;
        EXPECT_EQ(layoutOf("\r\n" + line + "\r\n"), expected) << line;
    }
    WindowLayout all = WindowLayout::defaults();
    all.controlPositions[3] = all.okPosition = all.maxWindows = 5;
    EXPECT_EQ(layoutOf("REG_03 OK_BUTTON MAX_WINDOWS=5"), all) << "every key reads the line's first \"=\"";
    // Later lines win; a line is split after 80 characters, the 81st lost.
    const WindowLayout l =
        layoutOf("OK_BUTTON=3\nOK_BUTTON=4\n" + std::string(73, ' ') + "REG_1=9XMAX_WINDOWS=7\n");
    EXPECT_EQ(std::tuple(l.okPosition, l.controlPositions[1], l.maxWindows), std::tuple(4, 9, 7));
}

TEST(WindowDescription, TitleLines) {
    // clang-format off
    const std::tuple<std::string, int, std::string> cases[] = { // module -1: nothing changes
        {"Q770_ZHC_358_00VM = \"Counter 8\"", 5, "Counter 8"}, {"Q770_ZHC_358_00VM = Counter 8", -1, ""},
        {"Q770_ZVI_310_00VM=\"\"", 0, ""}, {"q770_zpm_354_00vm=\"x\"", -1, ""},
        // Keys are tried in catalogue order, so module 0's key decides this line.
        {"Q770_ZPM_354_00VM=\"x\" # Q770_ZVI_310_00VM=\"y\"", 0, "y"},
        {"Q770_ZPM_354_00VM=\"x\"\nQ770_ZPM_354_00VM=\"z\"", 7, "z"},
        {"Q770_ZUI_340_00VM=\"exactly nineteen ch\"", 4, "exactly nineteen ch"},
        {"Q770_ZUI_340_00VM=\"exactly twenty chars\"", 4, "exactly twenty char"},
        {"Q770_ZUI_340_00VM=\"" + std::string(60, 'T') + "\"", 4, std::string(19, 'T')}};
    // clang-format on
    for (const auto& [content, module, title] : cases) {
        ModuleTitles expected = defaultModuleTitles();
        if (module >= 0) expected[static_cast<std::size_t>(module)] = title;
        std::istringstream in(content);
        EXPECT_EQ(loadModuleTitles(in), expected) << content;
    }
}

TEST(WindowDescription, OpensTheFileByName) {
    // The process id keeps runs that share the machine apart.
    const std::string path = ::testing::TempDir() + "velmora_wdb_test-" + std::to_string(getpid()) + ".WDB";
    std::ofstream(path, std::ios::binary)
        << "Q770_ZCI_311_00VM = \"Host 2\"\r\nREG_02 = 40\r\nMAX_WINDOWS = 80\r\n";
    const WindowLayout l = loadWindowDescription(path);
    EXPECT_EQ(std::tuple(loadModuleTitles(path)[2], l.controlPositions[2], l.maxWindows),
              std::tuple("Host 2", 40, 80));
    std::remove(path.c_str());
}

// The command-line docs show the reports of ignored lines; these are the rest.
TEST(WindowDescription, ReportsSayWhatEachLineDid) {
    std::istringstream in("Q770_ZHC_358_00VM = \"Counter\"\n"                              // 1
                          "REG_0 = 3\n"                                                    // 2
                          "Q770_ZVI_310_00VM = none\n"                                     // 3
                          "MAX_WINDOWS =\n"                                                // 4
                          "; a comment\n"                                                  // 5
                          + std::string(81, '#') + "REG_01=5\n"                            // 6
                          + "Q770_ZUI_340_00VM=\"" + std::string(25, 'T') + "\"\n\x01\""); // 7, 8
    const WindowDescription d = checkWindowDescription(in);
    EXPECT_EQ(std::tuple(d.titles[5], d.layout.controlPositions[1]), std::tuple("Counter", 5));
    // A line's number and each of its effects; a line without any has an empty key.
    using Row = std::tuple<int, std::string, bool, std::string>;
    const std::vector<Row> expected = {
        {1, "Q770_ZHC_358_00VM", true, "title of module 5 (770_ZHC_358VM) = \"Counter\""},
        {2, "REG_0", false, "\"0 \" is not a register index (register 0 is written \"00\")"},
        {3, "Q770_ZVI_310_00VM", false, "no quoted value after '='"},
        {4, "MAX_WINDOWS", false, "no digits after '='"},
        {5, "", false, ""},
        {6, "", false, ""},
        {6, "REG_01", true, "controlPositions[1] = 5"},
        {7, "Q770_ZUI_340_00VM", true,
         "title of module 4 (770_ZUI_340VM) = \"TTTTTTTTTTTTTTTTTTT\", cut from 25 to 19 characters"},
        {8, "", false, ""},
    };
    std::vector<Row> got;
    for (const LineReport& r : d.lines) {
        if (r.effects.empty()) got.emplace_back(r.number, "", false, "");
        for (const LineEffect& e : r.effects) got.emplace_back(r.number, e.key, e.applied, e.detail);
    }
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(d.lines[5].split && d.lines[6].continued && d.lines[8].endOfFile);
    EXPECT_NE(describeLine(d.lines[5]).find("longer than 80 characters was split"), std::string::npos);
    EXPECT_EQ(describeLine(d.lines[4]) + describeLine(d.lines[8]),
              "line 5: \"; a comment\"\n  no key: ignored\nline 8: \"\\x01\\\"\"\n  no key: ignored\n");
}

} // namespace
} // namespace velmora
