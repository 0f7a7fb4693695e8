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

std::vector<std::string> readLines(const std::string& content) {
    std::istringstream in(content);
    DescriptionLineReader reader(in);
    std::vector<std::string> lines;
    while (auto line = reader.next()) lines.push_back(line->text);
    return lines;
}

TEST(WindowDescription, LineReader) {
    const std::string a80(80, 'a');
    const struct {
        std::string content;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {""}},
        {"abc", {"abc"}},
        {"abc\n", {"abc", ""}},
        {"a\n\nb", {"a", "", "b"}},
        {"a\r\nb\r\n", {"a", "b", ""}},
        {"a\rb\n", {"a\rb", ""}},
        {"a\r", {"a\r"}},
        {a80 + "\n", {a80, ""}},
        {a80 + "\r\n", {a80, ""}},
        {a80 + "XREST", {a80, "REST"}},
        {a80 + "X\nnext", {a80, "", "next"}},
        {a80 + "X", {a80, ""}},
        {std::string(170, 'b'), {std::string(80, 'b'), std::string(80, 'b'), "bbbbbbbb"}},
        // Text mode ends the file at a Ctrl-Z.
        {"MAX_WINDOWS=60\n\x1a\nOK_BUTTON=40\n", {"MAX_WINDOWS=60", ""}},
        {"a\r\x1a\n", {"a\r"}},
    };
    for (const auto& c : cases) EXPECT_EQ(readLines(c.content), c.lines) << '"' << c.content << '"';
}

TEST(WindowDescription, ParseNumberValue) {
    const struct {
        std::string text;
        std::optional<int> value;
        ValueError error;
    } cases[] = {
        {"OK_BUTTON = 52", 52, ValueError::Ok},
        {"OK_BUTTON=0", 0, ValueError::Ok},
        {"OK_BUTTON=\t\x01\x7f", std::nullopt, ValueError::NotDigits},
        {"OK_BUTTON=\t\x01\x80\xff"
         "7",
         7, ValueError::Ok},
        {"OK_BUTTON = 52 ", std::nullopt, ValueError::TextAfterDigits},
        {"OK_BUTTON = 5x2", std::nullopt, ValueError::TextAfterDigits},
        {"OK_BUTTON = 52 ; comment", std::nullopt, ValueError::TextAfterDigits},
        {"OK_BUTTON = -5", std::nullopt, ValueError::NotDigits},
        {"OK_BUTTON = +5", std::nullopt, ValueError::NotDigits},
        {"OK_BUTTON 52", std::nullopt, ValueError::NoEquals},
        {"OK_BUTTON =", std::nullopt, ValueError::NoValue},
        {"OK_BUTTON =   ", std::nullopt, ValueError::NoValue},
        {"OK_BUTTON = 9 and CANCEL_BUTTON = 10", std::nullopt, ValueError::TextAfterDigits},
        {"X = 1 = 2", std::nullopt, ValueError::TextAfterDigits},
        {"X = 2147483647", 2147483647, ValueError::Ok},
        {"X = 2147483648", std::nullopt, ValueError::TooLarge},
        {"X = 99999999999999999999999999", std::nullopt, ValueError::TooLarge},
        {"X = 0000000000000000000000012", 12, ValueError::Ok},
        {std::string("X = 12\0"
                     "34",
                     9),
         12, ValueError::Ok},
    };
    for (const auto& c : cases) {
        ValueError error = ValueError::Ok;
        EXPECT_EQ(parseNumberValue(c.text, &error), c.value) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

TEST(WindowDescription, ParseQuotedValue) {
    const struct {
        const char* text;
        std::optional<std::string> value;
        ValueError error;
    } cases[] = {
        {"K = \"Title\"", "Title", ValueError::Ok},
        {"K=\"\"", "", ValueError::Ok},
        {"K = \"A B\" trailing \"x\"", "A B", ValueError::Ok},
        {"K \"x\" = \"y\"", "y", ValueError::Ok},
        {"K = Title", std::nullopt, ValueError::NoOpeningQuote},
        {"K = \"Title", std::nullopt, ValueError::NoClosingQuote},
        {"K \"Title\"", std::nullopt, ValueError::NoEquals},
        {"K = \"a = \"b\"", "a = ", ValueError::Ok},
    };
    for (const auto& c : cases) {
        ValueError error = ValueError::Ok;
        EXPECT_EQ(parseQuotedValue(c.text, &error), c.value) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
    }
}

WindowLayout layoutOf(const std::string& content) {
    std::istringstream in(content);
    return loadWindowDescription(in);
}

TEST(WindowDescription, Defaults) {
    const WindowLayout d = WindowLayout::defaults();
    const int expected[kRegisterCount] = {1,  2,  3,  4,  5,  6,  7,  8,  17, 18, 19, 20,
                                          21, 22, 23, 24, 33, 34, 35, -1, -1, -1, -1, -1};
    for (int i = 0; i < kRegisterCount; ++i) EXPECT_EQ(d.controlPositions[i], expected[i]) << i;
    EXPECT_EQ(d.okPosition, 52);
    EXPECT_EQ(d.cancelPosition, 53);
    EXPECT_EQ(d.maxWindows, 54);
    EXPECT_EQ(layoutOf(""), d);
    EXPECT_EQ(loadWindowDescription(std::string("no/such/dir/VELMORA.WDB")), d);
}

TEST(WindowDescription, PositionLines) {
    struct Case {
        std::string line;
        std::function<void(WindowLayout&)> change; // from the defaults
    };
    const std::vector<Case> cases = {
        {"REG_05 = 12", [](WindowLayout& l) { l.controlPositions[5] = 12; }},
        {"REG_5 = 12", [](WindowLayout& l) { l.controlPositions[5] = 12; }},
        {"REG_00=3", [](WindowLayout& l) { l.controlPositions[0] = 3; }},
        {"REG_0 = 3", [](WindowLayout&) {}},
        {"REG_0x=3", [](WindowLayout&) {}},
        {"REG_ab=3", [](WindowLayout&) {}},
        {"REG_24 = 70", [](WindowLayout&) {}},
        {"REG_-1 = 70", [](WindowLayout&) {}},
        {"REG_ 7=9", [](WindowLayout& l) { l.controlPositions[7] = 9; }},
        {"REG_+7=9", [](WindowLayout& l) { l.controlPositions[7] = 9; }},
        {"REG_23=99", [](WindowLayout& l) { l.controlPositions[23] = 99; }},
        {"REG_2", [](WindowLayout&) {}},
        {"REG_", [](WindowLayout&) {}},
        {"  my REG_19 = 40", [](WindowLayout& l) { l.controlPositions[19] = 40; }},
        {"REG_19 = 40 REG_20 = 41", [](WindowLayout&) {}},
        {"reg_05 = 12", [](WindowLayout&) {}},
        {"OK_BUTTON = 52 ", [](WindowLayout&) {}},
        {"OK_BUTTON = 9", [](WindowLayout& l) { l.okPosition = 9; }},
        {"MAX_WINDOWS=60", [](WindowLayout& l) { l.maxWindows = 60; }},
        {"MAX_WINDOWS=0", [](WindowLayout& l) { l.maxWindows = 0; }},
        {"OK_BUTTON = 9 and CANCEL_BUTTON = 10", [](WindowLayout& l) { l.cancelPosition = 10; }},
        {"CANCEL_BUTTON=7", [](WindowLayout& l) { l.cancelPosition = 7; }},
        {"REG_03 OK_BUTTON MAX_WINDOWS=5",
         [](WindowLayout& l) {
             l.controlPositions[3] = 5;
             l.okPosition = 5;
             l.maxWindows = 5;
         }},
        {"OK_BUTTON = 99999999999", [](WindowLayout&) {}},
        {std::string("OK_BUTTON = 4\0MAX_WINDOWS=9", 27), [](WindowLayout& l) { l.okPosition = 4; }},
    };
    for (const Case& c : cases) {
        WindowLayout expected = WindowLayout::defaults();
        c.change(expected);
        EXPECT_EQ(layoutOf(c.line), expected) << c.line;
        EXPECT_EQ(layoutOf("\r\n" + c.line + "\r\n"), expected) << c.line;
    }
}

TEST(WindowDescription, LaterLinesWinAndSplitLinesAreReadAsTwo) {
    const WindowLayout l =
        layoutOf("OK_BUTTON=3\nOK_BUTTON=4\n" + std::string(74, ' ') + "REG_1=2MAX_WINDOWS=7\n");
    EXPECT_EQ(l.okPosition, 4);
    // The line's 81st character ("2") is lost; "MAX_WINDOWS=7" becomes a line of its own.
    EXPECT_EQ(l.controlPositions[1], WindowLayout::defaults().controlPositions[1]);
    EXPECT_EQ(l.maxWindows, 7);
}

ModuleTitles titlesOf(const std::string& content) {
    std::istringstream in(content);
    return loadModuleTitles(in);
}

TEST(WindowDescription, TitleLines) {
    struct Case {
        std::string content;
        int module; // -1: nothing changes
        std::string title;
    };
    const std::vector<Case> cases = {
        {"Q770_ZHC_358_00VM = \"Counter 8\"", 5, "Counter 8"},
        {"Q770_ZHC_358_00VM = Counter 8", -1, ""},
        {"Q770_ZHC_358_00VM \"Counter 8\"", -1, ""},
        {"Q770_ZHC_358_00VM = \"Counter 8", -1, ""},
        {"Q770_ZVI_310_00VM=\"\"", 0, ""},
        // Keys are tried in catalogue order, so module 0's key decides this line.
        {"Q770_ZPM_354_00VM=\"x\" # Q770_ZVI_310_00VM=\"y\"", 0, "y"},
        {"Q770_ZPM_354_00VM=\"x\"\nQ770_ZPM_354_00VM=\"z\"", 7, "z"},
        {"q770_zpm_354_00vm=\"x\"", -1, ""},
        {"Q770_ZUI_340_00VM=\"exactly nineteen ch\"", 4, "exactly nineteen ch"},
        {"Q770_ZUI_340_00VM=\"exactly twenty chars\"", 4, "exactly twenty char"},
        {"Q770_ZUI_340_00VM=\"" + std::string(60, 'T') + "\"", 4, std::string(19, 'T')},
    };
    for (const Case& c : cases) {
        ModuleTitles expected = defaultModuleTitles();
        if (c.module >= 0) expected[static_cast<std::size_t>(c.module)] = c.title;
        EXPECT_EQ(titlesOf(c.content), expected) << c.content;
    }
}

TEST(WindowDescription, OpensTheFileByName) {
    // The process id keeps runs that share the machine apart.
    const std::string path = ::testing::TempDir() + "velmora_wdb_test-" + std::to_string(getpid()) + ".WDB";
    {
        std::ofstream out(path, std::ios::binary);
        out << "Q770_ZCI_311_00VM = \"Host 2\"\r\nREG_02 = 40\r\nMAX_WINDOWS = 80\r\n";
    }
    EXPECT_EQ(loadModuleTitles(path)[2], "Host 2");
    const WindowLayout l = loadWindowDescription(path);
    EXPECT_EQ(l.controlPositions[2], 40);
    EXPECT_EQ(l.maxWindows, 80);
    std::remove(path.c_str());
}

TEST(WindowDescription, ReportsSayWhatEachLineDid) {
    std::istringstream in("Q770_ZHC_358_00VM = \"Counter\"\n"      // 1
                          "OK_BUTTON = 9 and CANCEL_BUTTON = 10\n" // 2
                          "REG_0 = 3\n"                            // 3
                          "REG_24 = 70\n"                          // 4
                          "OK_BUTTON 52\n"                         // 5
                          "Q770_ZVI_310_00VM = none\n"             // 6
                          "MAX_WINDOWS =\n"                        // 7
                          "; a comment\n"                          // 8
                          + std::string(81, '#') + "REG_01=5\n");  // 9
    const WindowDescription d = checkWindowDescription(in);
    EXPECT_EQ(d.titles[5], "Counter");
    EXPECT_EQ(d.layout.cancelPosition, 10);
    EXPECT_EQ(d.layout.controlPositions[1], 5);

    struct Expect {
        std::size_t index;
        int number;
        std::vector<LineEffect> effects;
    };
    const std::vector<Expect> expected = {
        {0, 1, {{"Q770_ZHC_358_00VM", true, "title of module 5 (770_ZHC_358VM) = \"Counter\""}}},
        {1,
         2,
         {{"OK_BUTTON", false, "text after the digits"}, {"CANCEL_BUTTON", true, "cancelPosition = 10"}}},
        {2, 3, {{"REG_0", false, "\"0 \" is not a register index (register 0 is written \"00\")"}}},
        {3, 4, {{"REG_24", false, "register index 24 is out of range"}}},
        {4, 5, {{"OK_BUTTON", false, "no '=' after the key"}}},
        {5, 6, {{"Q770_ZVI_310_00VM", false, "no quoted value after '='"}}},
        {6, 7, {{"MAX_WINDOWS", false, "no digits after '='"}}},
        {7, 8, {}},
        {8, 9, {}},
        {9, 9, {{"REG_01", true, "controlPositions[1] = 5"}}},
    };
    ASSERT_EQ(d.lines.size(), 11u); // with the empty line after the last line feed
    for (const Expect& e : expected) {
        const LineReport& r = d.lines[e.index];
        EXPECT_EQ(r.number, e.number) << e.index;
        ASSERT_EQ(r.effects.size(), e.effects.size()) << e.index;
        for (std::size_t k = 0; k < e.effects.size(); ++k) {
            EXPECT_EQ(r.effects[k].key, e.effects[k].key) << e.index;
            EXPECT_EQ(r.effects[k].applied, e.effects[k].applied) << e.index;
            EXPECT_EQ(r.effects[k].detail, e.effects[k].detail) << e.index;
        }
    }
    EXPECT_TRUE(d.lines[8].split);
    EXPECT_TRUE(d.lines[9].continued);
    EXPECT_TRUE(d.lines[10].endOfFile);

    EXPECT_EQ(describeLine(d.lines[1]), "line 2: \"OK_BUTTON = 9 and CANCEL_BUTTON = 10\"\n"
                                        "  OK_BUTTON: ignored: text after the digits\n"
                                        "  CANCEL_BUTTON: sets cancelPosition = 10\n");
    EXPECT_NE(describeLine(d.lines[8]).find("longer than 80 characters was split"), std::string::npos);
    EXPECT_NE(describeLine(d.lines[7]).find("no key"), std::string::npos);
}

TEST(WindowDescription, ReportsTitleCutAndUnprintableText) {
    std::istringstream in("Q770_ZUI_340_00VM=\"" + std::string(25, 'T') + "\"\n\x01\"");
    std::vector<LineReport> reports;
    loadModuleTitles(in, &reports);
    ASSERT_EQ(reports.size(), 2u);
    ASSERT_EQ(reports[0].effects.size(), 1u);
    EXPECT_NE(reports[0].effects[0].detail.find("cut from 25 to 19 characters"), std::string::npos);
    EXPECT_EQ(describeLine(reports[1]), "line 2: \"\\x01\\\"\"\n  no key: ignored\n");
}

} // namespace
} // namespace velmora
