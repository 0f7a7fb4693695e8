// The command-line tool: every example in docs/cli.md and README.md run
// in-process (a "$ " line in a code block is a command, the lines under it up
// to the next command or the block's end what it prints, stderr first, "..."
// any number of lines), then what those pages do not show but a script relies
// on, and the built program once, for its streams and exit status.

#include "cli/json.h"
#include "cli/run.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status = -1;
    std::string out, err;
};

CliRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Shell words: blanks separate, '...' is literal, "..." keeps blanks.
std::vector<std::string> shellWords(const std::string& command) {
    std::vector<std::string> words;
    std::optional<std::string> word;
    for (std::size_t i = 0; i < command.size(); ++i) {
        if (command[i] == ' ') {
            if (word) words.push_back(*word);
            word.reset();
        } else if (const std::size_t end = command.find(command[i], i + 1);
                   command[i] == '\'' || command[i] == '"') {
            word = word.value_or("") + command.substr(i + 1, end - i - 1);
            i = end;
        } else {
            word = word.value_or("") + command[i];
        }
    }
    if (word) words.push_back(*word);
    return words;
}

// A shown line of "..." alone stands for any number of lines.
bool matches(const std::vector<std::string>& shown, std::size_t s, const std::vector<std::string>& got,
             std::size_t g) {
    if (s == shown.size()) return g == got.size();
    if (shown[s].ends_with("...") && shown[s].find_first_not_of(' ') + 3 == shown[s].size()) {
        for (std::size_t skip = g; skip <= got.size(); ++skip)
            if (matches(shown, s + 1, got, skip)) return true;
        return false;
    }
    return g < got.size() && shown[s] == got[g] && matches(shown, s + 1, got, g + 1);
}

std::string tempDir() {
    std::string pattern = (fs::temp_directory_path() / "velmora-cli-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    return pattern;
}

TEST(CliDocs, EveryExampleOnThePagesPrintsWhatItShows) {
    const fs::path previous = fs::current_path();
    for (const auto& [page, commands] : {std::pair{"docs/cli.md", 27}, std::pair{"README.md", 2}}) {
        const std::vector<std::string> lines = linesOf(slurp(fs::path(VELMORA_SOURCE_DIR) / page));
        const std::string dir = tempDir();
        fs::current_path(dir);
        int ran = 0, status = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (!lines[i].starts_with("$ ")) continue;
            ++ran;
            std::size_t end = i + 1;
            while (end < lines.size() && !lines[end].starts_with("$ ") && !lines[end].starts_with("```"))
                ++end;
            const std::vector<std::string> words = shellWords(lines[i].substr(2));
            std::vector<std::string> printed;
            if (lines[i] == "$ echo $?") {
                printed = {std::to_string(status)};
            } else if (words[0] == "printf") { // writes a file for the next command
                EXPECT_EQ(std::system(lines[i].substr(2).c_str()), 0);
            } else {
                EXPECT_EQ(words[0], "velmora-cli") << page << ":" << i + 1;
                const CliRun r = run({words.begin() + 1, words.end()});
                status = r.status;
                printed = linesOf(r.err + r.out);
            }
            EXPECT_TRUE(matches({lines.begin() + i + 1, lines.begin() + end}, 0, printed, 0))
                << page << ":" << i + 1 << ": " << lines[i] << "\n"
                << ::testing::PrintToString(printed);
        }
        EXPECT_EQ(ran, commands) << page;
        fs::current_path(previous);
        fs::remove_all(dir);
    }
}

// The program itself: results on stdout, explanations and errors on stderr,
// and the exit status reaching the shell.
TEST(CliBinary, StreamsAndExitStatusReachTheShell) {
    const std::string dir = tempDir();
    const std::tuple<std::string, int, std::string, std::string> cases[] = {
        {"encode 7 ch1.timeout=300 --explain", 0, "0040 0040 0040 0040 0000 00F0 0000 0000 0000\n",
         "  ch1.timeout: 0 -> 240; rule: 300 typed, limited to 240 s\n"},
        {"encode 6 ch5.mode=1", 2, "",
         "velmora-cli: ch5.mode: the module has channels 1 to 4; allowed: ch1 to ch4\n"},
    };
    for (const auto& [args, status, out, err] : cases) {
        const std::string command = "cd '" + dir + "' && '" VELMORA_CLI_PATH "' " + args + " >out 2>err";
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, status) << args;
        for (const auto& [file, part] : {std::pair{"/out", out}, std::pair{"/err", err}})
            EXPECT_TRUE(part.empty() ? slurp(dir + file).empty()
                                     : slurp(dir + file).find(part) != std::string::npos)
                << args << file;
    }
    fs::remove_all(dir);
}

TEST(Cli, EveryErrorIsOneLineOnStderrWithStatus2AndNothingOnStdout) {
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "no command given; allowed: modules, decode, encode, diff, check-wdb"},
        {"decode", "decode needs a MODULE"}, {"decode 99999999999999999999", "unknown module '9999999999999"},
        {"decode 5 0 12g", "Reg2: '12g' is not a hexadecimal word"}, {"decode 5 1\n2", "Reg1: '1?2' is not"},
        {"decode 5 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4 5 6 7 8 9 0 1 2 3 4", "25 register words given"},
        {"decode 5 --format", "--format needs a FORMAT; allowed: text, json, markdown"},
        {"decode 5 --json --format markdown", "two output formats given"},
        {"encode --from 1", "--from before MODULE"}, {"encode 5 --from 1 --from 2", "--from given twice"},
        {"encode 5 00C5", "'00C5' is not an action; allowed: NAME=VALUE or defaults"},
        {"encode 5 delay=1 --from 2", "--from after an action"}, {"encode 5 ch1.colour=1", "unknown setting"},
        {"encode 5 ch9.range=0", "ch9.range: the module has channels 1 to 8"},
        {"encode 7 ch1.timeout=1.5", "ch1.timeout: \"1.5\" is not a whole number; allowed: 0 to 240"},
        {"encode 0 g1.range=4", "g1.range: '4' is not offered"}, {"encode 3 reg4=abc", "is not a decimal"},
        {"encode 5 ch1.mode=1 ch2.size=1 --explain", "ch2.size: disabled while pair 1-2 counts"},
        {"encode 0 trigger=1", "trigger: the control is disabled on this module (it has no alarms)"},
        {"encode 3 --from 0006 reg4=1", "reg4: group 1 has range code 6, which has no scaling"},
        {"encode 5 copy=ch1", "copy: 'ch1' is malformed"}, {"encode 5 copy=ch1:ch9999999999", "malformed"},
        {"encode 6 copy=ch1:ch2-ch5", "copy: ch5 does not exist"}, {"encode 3 copy=g2:g2", "g2 onto itself"},
        {"encode 0 copy=g1:g4-g2", "copy: the targets g4-g2 run backwards"},
        {"diff 5 00C5", "diff needs --against"}, {"diff --against 5", "--against before MODULE"},
        {"diff 5 --against 1 --against 2", "--against given twice"}, {"check-wdb a b", "takes one FILE"},
        {"diff 5 --against --format markdown", "unknown format 'markdown'; allowed: text, json"},
        {"check-wdb /nonexistent-dir/VELMORA.WDB", "cannot open '/nonexistent-dir/VELMORA.WDB'"},
        {"check-wdb " + fs::temp_directory_path().string(), "is a directory"}};
    // clang-format on
    for (const auto& [args, says] : cases) {
        const CliRun r = run(shellWords(args));
        EXPECT_TRUE(r.status == 2 && r.out.empty() && r.err.starts_with("velmora-cli: ") &&
                    r.err.find(says) != std::string::npos && r.err.find('\n') == r.err.size() - 1)
            << args << "\n  got " << r.status << ": " << r.err << r.out;
    }
}

// Help wins over a bad line; options go anywhere, names and values in any
// case; missing words are 0. diff counts only settings, names the words the
// dialog ignores, and compares a word given on one side only with 0.
TEST(Cli, AnswersThatSucceed) {
    // clang-format off
    const std::tuple<std::string, int, std::string> cases[] = { // arguments, status, the start of stdout
        {"decode 99 --help", 0, "usage: velmora-cli decode"},
        {"encode 5 ch9.range=0 -h", 0, "usage: velmora-cli encode"},
        {"help diff", 0, "usage: velmora-cli diff"}, {"--help decode", 0, "velmora-cli: the I/O module"},
        {"encode --json 5 CH1.MODE=1", 0, "{\"registers\": [\"0004\", \"0004\", \"0000\","},
        {"encode 5 --from --json ch1.mode=BIDIRECTIONAL", 0, "{\"registers\": [\"0004\", \"0004\", \"0000\""},
        {"decode 5 --format json --json", 0, "{\"module\": 5,"},
        {"decode 5 --format text", 0, run({"decode", "5"}).out},
        {"encode 5 --from", 0, "0000 0000 0000 0000 0000 0000 0000 0000 0000\n"},
        {"diff 3 2003 2A92 8205 0 C000 --against 2003 2A92 8205 0 2710", 1,
         "reg5  C000 (10.000)  | 2710 (10.000)\n"},
        {"diff 5 00C5 --against 0xC5", 0, "no setting differs\n"},
        {"diff 5 00C5 0000 1234 --against 00C5 00C5 5634", 0,
         "no setting differs (the words differ in Reg2 Reg3, where the dialog ignores or overrides them)\n"},
        {"diff 5 00C5 --against 00C5 00C5 0 0 0 0 0 0 0001", 1, "delay  0  | 1\n"},
        {"diff 5 00C5 00C5 0 0 0 0 0 0 0001 --against 00C5", 1, "delay  1  | 0\n"},
        {"diff 6 --against --format json", 0,
         "{\"module\": 6, \"name\": \"770_ZHC_354VM\", \"equal\": true, \"differences\": []}\n"}};
    // clang-format on
    for (const auto& [args, status, out] : cases) {
        const CliRun r = run(shellWords(args));
        EXPECT_TRUE(r.status == status && r.out.starts_with(out)) << args << "\n"
                                                                  << r.status << r.err << r.out;
    }
    // Module 3's sheet ends with its alarm limits, a column per group.
    EXPECT_NE(run({"decode", "3", "--format", "markdown"}).out.find("\n| Limit | g1 | g2 | g3 | g4 |\n"),
              std::string::npos);
}

TEST(CliExplain, EveryRuleIsNamedAndStdoutStaysTheWords) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"5 --from 0 0 0 0 0 0 0 0 0005 delay=-5", "  delay: 5 -> 0; rule: -5 typed, raised to 0\n"},
        {"7 --from 0 0 0 0 0 0 ch1.timeout=-5", "  ch1.timeout: 0 -> 0; rule: -5 typed, raised to 0 s\n"},
        {"4 g1.type=Thermocouple", "-> 0 \"+/- 0.05V\"; rule: cleared by the input type Thermocouple\n"},
        {"4 --from 0 0 001E 0 g2.format=1", "g2.type: 6 (no selection) -> 0 \"Voltage\"; rule: type code 6"},
        {"1 --from 290C 2A92 8205 g1.filter=1", "g2.range: 1 (no selection) -> 4 \"0ma to 20ma\"; rule"},
        {"0 --from 2000 2A96 8205 g1.filter=1", "  g2.filter: 6 (no selection) -> 2 \"60 Hz\"; rule: Reg2"},
        {"0 --from 2000 2A92 820D g1.filter=1", "  trigger: 1 (no selection) -> 0 (no selection); rule: the"},
        {"3 g2.range=3 reg9=7.5 reg10=2 copy=g2:g3", "reg13: 2710 (10.000) -> 1D4C (7.500); copied from g2: "
         "7.5 typed, stored 0x1D4C = 7.500 V\n  reg14: D8F0 (-10.000) -> 07D0 (2.000); copied from g2"},
        {"3 g1.format=0", "  reg5: 2710 (10.000) -> FFFF (10.000); rule: rescaled from the format \"DVM\""},
        {"3 --from 2001 2A92 8205 FFFF 1234 g2.range=3", "reg4: FFFF (5.000) -> 03E8 (1.000); rule: set to"},
        {"6 ch3.mode=1 defaults",
         "  ch4.mode: 1 \"BiDirectional\" -> 0 \"UniDirectional\"; chosen: Defaults\n"},
        {"2 g1.range=5 copy=g1:g4", "  g4.range: 0 \"-10V to +10V\" -> 5 \"4ma to 20ma\"; copied from g1\n"},
        {"6 ch1.size=1 ch1.size=1", "after ch1.size=1:\n  no change\n"},
        {"7 ch2.gate=24V ch2.timeout=90 copy=ch2:ch3-4", "  ch4.timeout: 0 -> 90; copied from ch2\n"},
        // An analog dialog stores what it read until a list changes: nothing to tell.
        {"0 --from FFFF FFFF FFFF", ""}};
    // clang-format on
    for (const auto& [args, told] : cases) {
        const CliRun plain = run(shellWords("encode " + args)),
                     r = run(shellWords("encode " + args + " --explain"));
        EXPECT_TRUE(r.status == 0 && r.out == plain.out &&
                    (told.empty() ? r.err.empty() : r.err.find(told) != std::string::npos))
            << args << "\n"
            << r.err;
    }
}

TEST(CliCheckWdb, Status1OnlyWhenALineWithAKeyIsNotWhollyUsed) {
    // clang-format off
    const std::tuple<std::string, int, std::string> cases[] = {
        {"", 0, "0 lines with a key: 0 took effect, 0 did not (or only in part)\n"},
        {"# a comment\nREG_00=3\n", 0, "\n  REG_00 (Reg1)   3         line 2\n"},
        {"Q770_ZVI_310_00VM=\"A title that is far too long\"\n", 1, "  \"A title that is far\"  "},
        {"OK_BUTTON = 9 CANCEL_BUTTON = 10\n", 1, "\n  CANCEL_BUTTON: sets cancelPosition = 10\n"},
        {"REG_01 = 5" + std::string(75, ' ') + "OK_BUTTON=9\n", 1, "(continued): \"    OK_BUTTON=9\"\n"},
        {std::string(78, '#') + "REG_04=9\n", 1, "\n1 line with a key: 0 took effect, 1 did not"},
        {std::string("REG_02=7\0 junk\n", 15), 1, "\n  ignored: text after a NUL byte is not read\n"},
        {"MAX_WINDOWS=60\n\x1a\nOK_BUTTON=40\n", 1, "the file ends at byte 15, a Ctrl-Z (0x1a)"}};
    // clang-format on
    const std::string file = tempDir() + "/VELMORA.WDB";
    for (const auto& [content, status, told] : cases) {
        std::ofstream(file, std::ios::binary) << content;
        const CliRun r = run({"check-wdb", file});
        EXPECT_TRUE(r.status == status && r.err.empty() && r.out.find(told) != std::string::npos)
            << told << "\n"
            << r.out;
    }
    fs::remove_all(fs::path(file).parent_path());
}

TEST(CliJson, StringsAreEscapedIntoAsciiAndNumbersReadBack) {
    EXPECT_EQ(jsonString(std::string("\"\\\t\r\n\b\f\0\x1f\x7f\xe9", 11)),
              "\"\\\"\\\\\\t\\r\\n\\b\\f\\u0000\\u001f\\u007f\\u00e9\"");
    EXPECT_EQ(jsonNumber(-0.0), "0");
    // Alarm words are not settings; a group without scaling shows null.
    const std::string alarms = run(shellWords("decode 3 001E 2000 8205 1 FFFF --json")).out;
    EXPECT_EQ(alarms.find("\"reg4\""),
              alarms.find("\"timestamp\": 0}, \"alarms\": {\"reg4\": null, \"reg5\"") + 28);
    EXPECT_TRUE(alarms.ends_with("\"reg18\": 0, \"reg19\": 0}}\n")) << alarms;
    for (double v : {NAN, INFINITY, -INFINITY}) EXPECT_EQ(jsonNumber(v), "null");
    for (double v : {-10.0, 0.5, 4.464, 1e-7, 1.0 / 3.0, 65535.0, 1e300}) {
        const std::string text = jsonNumber(v);
        EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
        EXPECT_EQ(std::stod(text), v) << text;
    }
}

} // namespace
} // namespace velmora::cli
