// The command-line tool run in-process through runCli: what scripts see on
// stdout, stderr and in the exit status.

#include "unit/cli_in_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

using testing::CliRun;
using testing::run;

// stdout of a command that must succeed, without its final line feed.
std::string ok(const std::vector<std::string>& args) {
    const CliRun r = run(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(r.out.empty());
    return r.out.empty() ? r.out : r.out.substr(0, r.out.size() - 1);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// Runs of blanks as one, so a test does not depend on column widths.
std::string squeezed(const std::string& line) {
    std::string out;
    for (char c : line)
        if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// The line of text output that starts with `name` and a blank, squeezed.
std::string settingLine(const std::string& text, const std::string& name) {
    for (const std::string& line : lines(text))
        if (line.rfind(name + " ", 0) == 0) return squeezed(line);
    return "(no line " + name + ")";
}

std::vector<std::string> withArgs(std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

// The "settings" object of decode --json, and what follows it.
std::string settingsPart(const std::string& json) {
    const std::size_t at = json.find("\"settings\"");
    return at == std::string::npos ? json : json.substr(at);
}

// A file under the test temporary directory, removed by the caller.
std::string tempFile(const std::string& name, const std::string& content) {
    const std::string path = ::testing::TempDir() + "velmora-cli-" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// --- errors ---------------------------------------------------------------

struct ErrorCase {
    std::vector<std::string> args;
    std::string says; // part of the one line on stderr
};

TEST(Cli, EveryErrorIsOneLineOnStderrWithStatus2AndNothingOnStdout) {
    std::vector<std::string> tooMany(27, "0");
    tooMany[0] = "decode";
    tooMany[1] = "5";
    const std::vector<ErrorCase> cases = {
        {{}, "no command given; allowed: modules, decode, encode, diff, check-wdb"},
        {{"frobnicate"}, "unknown command 'frobnicate'; allowed: modules, decode"},
        {{"help", "nope"}, "no help on 'nope'"},
        {{"modules", "extra"}, "modules takes no argument 'extra'; allowed: --json"},
        {{"modules", "--xml"}, "unknown option '--xml'; allowed: --json, --help"},
        // modules
        {{"decode"}, "decode needs a MODULE"},
        {{"decode", "8"}, "unknown module '8'; allowed: 0 to 7 or 770_ZVI_310VM, 770_ZCI_310VM"},
        {{"decode", "99999999999999999999"}, "unknown module '99999999999999999999'"},
        {{"decode", "770_ZHC_358"}, "unknown module '770_ZHC_358'"},
        {{"decode", ""}, "unknown module ''"},
        // words
        {{"decode", "5", "zz"}, "Reg1: 'zz' is not a hexadecimal word; allowed: hex digits"},
        {{"decode", "5", "0", "12g"}, "Reg2: '12g' is not a hexadecimal word"},
        {{"decode", "5", ""}, "Reg1: '' is not a hexadecimal word"},
        {{"decode", "5", "--1"}, "unknown option '--1'"},
        {{"decode", "5", "1 2"}, "Reg1: '1 2' is not a hexadecimal word"},
        {{"decode", "5", "1\n2"}, "Reg1: '1?2' is not a hexadecimal word"},
        {tooMany, "25 register words given; allowed: at most 24"},
        {{"decode", "5", "--jason"}, "unknown option '--jason'; allowed: --json, --format, --help"},
        // encode: shape of the command line
        {{"encode"}, "encode needs a MODULE"},
        {{"encode", "--from", "1"}, "--from before MODULE"},
        {{"encode", "5", "00C5"}, "'00C5' is not an action; allowed: NAME=VALUE or defaults"},
        {{"encode", "5", "--from", "1", "--from", "2"}, "--from given twice"},
        {{"encode", "5", "delay=1", "--from", "2"}, "--from after an action"},
        {{"encode", "5", "--from", "1", "delay=1", "2"}, "'2' is not an action"},
        {{"encode", "5", "--from", "zz"}, "Reg1: 'zz' is not a hexadecimal word"},
        {{"encode", "5", "--explained"},
         "unknown option '--explained'; allowed: --from, --explain, --json, --help"},
        {{"encode", "nine", "delay=1"}, "unknown module 'nine'"},
        // encode: names and values the control does not offer
        {{"encode", "5", "ch1.colour=red"}, "unknown setting"},
        {{"encode", "5", "ch1.range=7"}, "ch1.range: \"7\" is not offered; allowed: 0 to 3"},
        {{"encode", "5", "ch9.range=0"}, "ch9.range: the module has channels 1 to 8"},
        {{"encode", "5", "delay=abc"}, "delay: \"abc\" is not a whole number; allowed: 0 to 65535"},
        {{"encode", "7", "ch1.timeout=1.5"}, "ch1.timeout: \"1.5\" is not a whole number; allowed: 0 to 240"},
        {{"encode", "4", "g1.voltage=11"}, "g1.voltage: \"11\" is not offered; allowed: 0 \"+/- 0.05V\""},
        {{"encode", "0", "g1.range=4"},
         "g1.range: '4' is not offered on this module; allowed: 0 \"-10V to +10V\""},
        {{"encode", "3", "reg4=abc"},
         "reg4: 'abc' is not a decimal number; allowed: a decimal number such as 4, -2.5 or 1.2e1 (g1 "
         "spans -10.000 to 10.000 V; values beyond it are limited)"},
        // encode: choices the dialog does not allow in that state
        {{"encode", "5", "ch2.range=5V"},
         "ch2.range: disabled on the second channel of pair 1-2; allowed: set ch1.range"},
        {{"encode", "5", "ch1.mode=1", "ch2.size=1"},
         "ch2.size: disabled while pair 1-2 counts \"BiDirectional\""},
        {{"encode", "5", "delay=250", "ch1.mode=1", "ch2.rate=1", "--json"}, "ch2.rate: disabled"},
        {{"encode", "4", "g1.rtd=0"},
         "g1.rtd: hidden while g1.type is Voltage (shown for RTD); allowed: set g1.type to RTD first, or now "
         "one of g1.type, g1.voltage"},
        {{"encode", "0", "trigger=1"},
         "trigger: the control is disabled on this module (it has no alarms); allowed: g1.range, g1.format"},
        {{"encode", "3", "--from", "0006", "reg4=1"},
         "reg4: group 1 has range code 6, which has no scaling; allowed: set g1.range to a code 0-5 first"},
        // check-wdb
        {{"check-wdb", "a", "b"}, "check-wdb takes one FILE"},
        {{"check-wdb", "--verbose"}, "unknown option '--verbose'; allowed: --help"},
        {{"check-wdb", "/nonexistent-dir/VELMORA.WDB"}, "cannot open '/nonexistent-dir/VELMORA.WDB'"},
        {{"check-wdb", std::filesystem::temp_directory_path().string()}, "is a directory"},
    };
    for (const ErrorCase& c : cases) testing::expectRefused(c.args, c.says);
}

// --- help -----------------------------------------------------------------

TEST(Cli, HelpGoesToStdoutWithStatus0) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--help"}, "usage:\n  velmora-cli modules [--json]"},
        {{"-h"}, "velmora-cli check-wdb [FILE]"},
        {{"help"}, "velmora-cli COMMAND --help"},
        {{"help", "encode"},
         "usage: velmora-cli encode MODULE [--from WORD...] [ACTION...] [--json] [--explain]"},
        {{"modules", "--help"}, "usage: velmora-cli modules [--json]"},
        {{"decode", "--help"}, "usage: velmora-cli decode MODULE [WORD...] [--json | --format FORMAT]"},
        {{"encode", "-h"}, "chN.analog_filter chN.timeout delay"},
        {{"check-wdb", "--help"},
         "exit status: 0 when every line with a key took effect, 1 otherwise, 2 when"},
        // Help wins over whatever else is on the line, even a bad module.
        {{"decode", "99", "--help"}, "usage: velmora-cli decode"},
        {{"encode", "5", "ch9.range=0", "--help"}, "usage: velmora-cli encode"},
    };
    for (const auto& [args, says] : cases) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 0) << args.front();
        EXPECT_EQ(r.err, "");
        EXPECT_NE(r.out.find(says), std::string::npos) << r.out;
    }
}

// --- modules --------------------------------------------------------------

TEST(Cli, ModulesListsTheEightCatalogueRows) {
    const auto text = lines(ok({"modules"}));
    ASSERT_EQ(text.size(), 9u);
    EXPECT_EQ(squeezed(text[0]), "kind name host key default title family written");
    EXPECT_EQ(squeezed(text[4]), "3 770_ZCI_312VM Q770_ZCI_312_00VM KTR-ZCI-312-00VM analog 19");
    EXPECT_EQ(squeezed(text[7]), "6 770_ZHC_354VM Q770_ZHC_354_00VM KTR-ZHC-354-00VM counter 9");
    EXPECT_EQ(squeezed(text[8]), "7 770_ZPM_354VM Q770_ZPM_354_00VM KTR-ZPM-354-00VM multi-purpose 9");

    const std::string json = ok({"modules", "--json"});
    EXPECT_EQ(json.rfind("[{\"kind\": 0, \"name\": \"770_ZVI_310VM\", \"host_key\": \"Q770_ZVI_310_00VM\", "
                         "\"default_title\": \"KTR-ZVI-310-00VM\", \"family\": \"analog\", \"written\": 3}, ",
                         0),
              0u)
        << json;
    EXPECT_NE(
        json.find("{\"kind\": 4, \"name\": \"770_ZUI_340VM\", \"host_key\": \"Q770_ZUI_340_00VM\", "
                  "\"default_title\": \"KTR-ZUI-340-00VM\", \"family\": \"universal\", \"written\": 8}"),
        std::string::npos);
    EXPECT_EQ(json.substr(json.size() - 2), "}]");
    std::size_t objects = 0;
    for (std::size_t at = json.find("{\"kind\""); at != std::string::npos;
         at = json.find("{\"kind\"", at + 1))
        ++objects;
    EXPECT_EQ(objects, 8u);
}

// --- decode ---------------------------------------------------------------

TEST(Cli, DecodeJsonOfTheFourChannelCounter) {
    EXPECT_EQ(ok({"decode", "6", "00C5", "0", "0", "0", "00FA", "FFFF", "--json"}),
              "{\"module\": 6, \"name\": \"770_ZHC_354VM\", "
              "\"registers\": [\"00C5\", \"0000\", \"0000\", \"0000\", \"00FA\"], \"settings\": {"
              "\"ch1.range\": 1, \"ch1.mode\": 1, \"ch1.size\": 1, \"ch1.digital_filter\": 0, "
              "\"ch1.analog_filter\": 0, \"ch1.rate\": 1, "
              "\"ch2.range\": 1, \"ch2.mode\": 1, \"ch2.size\": 1, \"ch2.digital_filter\": 0, "
              "\"ch2.analog_filter\": 0, \"ch2.rate\": 1, "
              "\"ch3.range\": 0, \"ch3.mode\": 0, \"ch3.size\": 0, \"ch3.digital_filter\": 0, "
              "\"ch3.analog_filter\": 0, \"ch3.rate\": 0, "
              "\"ch4.range\": 0, \"ch4.mode\": 0, \"ch4.size\": 0, \"ch4.digital_filter\": 0, "
              "\"ch4.analog_filter\": 0, \"ch4.rate\": 0, \"delay\": 250}}");
}

TEST(Cli, DecodeTextShowsCodesAndTheDialogTexts) {
    const std::string counter = ok({"decode", "770_zhc_358vm", "00C5", "00FF", "0000", "00FF"});
    EXPECT_EQ(lines(counter).front(), "module 5 770_ZHC_358VM (counter)");
    EXPECT_EQ(lines(counter)[1], "registers: 00C5 00FF 0000 00FF 0000 0000 0000 0000 0000");
    EXPECT_EQ(settingLine(counter, "ch1.range"), "ch1.range 1 12V");
    EXPECT_EQ(settingLine(counter, "ch1.mode"), "ch1.mode 1 BiDirectional");
    EXPECT_EQ(settingLine(counter, "ch1.size"), "ch1.size 1 24 bit (16M)");
    EXPECT_EQ(settingLine(counter, "ch1.rate"), "ch1.rate 1 0.1 Hz");
    EXPECT_EQ(settingLine(counter, "ch1.digital_filter"), "ch1.digital_filter 0 off");
    // A second member shows its pair's range and mode; while the pair is not
    // UniDirectional it shows the first member's settings altogether.
    EXPECT_EQ(settingLine(counter, "ch2.range"), "ch2.range 1 12V");
    EXPECT_EQ(settingLine(counter, "ch2.mode"), "ch2.mode 1 BiDirectional");
    EXPECT_EQ(settingLine(counter, "ch2.analog_filter"), "ch2.analog_filter 0 off");
    EXPECT_EQ(settingLine(counter, "ch4.range"), "ch4.range 0 5V");
    EXPECT_EQ(settingLine(counter, "ch4.mode"), "ch4.mode 0 UniDirectional");
    EXPECT_EQ(settingLine(counter, "ch4.analog_filter"), "ch4.analog_filter 1 on");
    EXPECT_EQ(settingLine(counter, "ch4.rate"), "ch4.rate 1 0.1 Hz");
    EXPECT_EQ(settingLine(counter, "delay"), "delay 0");

    // A code its list has no entry for: module 1 lists no voltage range.
    const std::string analog = ok({"decode", "1", "0000", "0000", "8004"});
    EXPECT_EQ(settingLine(analog, "g1.range"), "g1.range 0 (no selection)");
    // Without alarms the time stamp list shows no selection.
    EXPECT_EQ(settingLine(analog, "timestamp"), "timestamp 0 (no selection)");
    EXPECT_EQ(settingLine(ok({"decode", "3", "0", "0", "8004"}), "timestamp"), "timestamp 0 Disabled");
    EXPECT_EQ(settingLine(ok({"decode", "3", "0", "0", "8000"}), "timestamp"), "timestamp 1 Enabled");
    EXPECT_EQ(analog.find("alarm"), std::string::npos);

    const std::string universal = ok({"decode", "4", "0018", "0010"});
    EXPECT_EQ(settingLine(universal, "g1.type"), "g1.type 0 Voltage");
    EXPECT_EQ(settingLine(universal, "g1.voltage"), "g1.voltage 3 +/- 5.0V");
    EXPECT_EQ(settingLine(universal, "g1.format"), "g1.format 1 DVM");
}

TEST(Cli, DecodeReadsWordsWithTheHostTextRules) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"00C5", "00C5"},  {"c5", "00C5"},        {"0xc5", "00C5"}, {"0XC5", "00C5"},
        {" C5 ", "00C5"},  {"+c5", "00C5"},       {"-1", "FFFF"},   {"12345", "2345"},
        {"1FFFF", "FFFF"}, {"123456789", "FFFF"}, {"0", "0000"},    {"ffff", "FFFF"},
    };
    for (const auto& [word, shown] : cases) {
        const std::string json = ok({"decode", "7", word, "--json"});
        EXPECT_EQ(json.find("\"registers\": [\"" + shown + "\", \"0000\""), json.find("\"registers\""))
            << word << json;
    }
}

TEST(Cli, DecodeMultiPurposeTimeoutsAreLimitedAsTheDialogShowsThem) {
    const std::string json =
        ok({"decode", "7", "00FF", "0", "0", "0", "0", "0100", "FFFF", "00EF", "--json"});
    EXPECT_NE(json.find("\"ch1.timeout\": 240"), std::string::npos) << json;
    EXPECT_NE(json.find("\"ch2.timeout\": 0"), std::string::npos);
    EXPECT_NE(json.find("\"ch3.timeout\": 239"), std::string::npos);
    EXPECT_NE(json.find("\"ch1.digital_filter\": 1, \"ch1.analog_filter\": 1"), std::string::npos);
    // The registers are shown as given, not as OK would store them.
    EXPECT_NE(
        json.find("\"registers\": [\"00FF\", \"0000\", \"0000\", \"0000\", \"0000\", \"0100\", \"FFFF\""),
        std::string::npos);
}

TEST(Cli, DecodeAlarmSetpointsInEngineeringUnits) {
    // Group 1 range 6 (no row), group 2 "0V to 10V" 16 bit, groups 3 and 4 "-10V to +10V" DVM.
    const std::string json =
        ok({"decode", "3",    "001E", "2000", "8205", "1",    "2",    "3",    "4",    "0",    "FFFF",
            "8000",   "0001", "D8F0", "2710", "0000", "FC18", "7FFF", "8000", "2710", "D8F0", "--json"});
    EXPECT_NE(json.find("\"g1.range\": 6, \"g1.format\": 0"), std::string::npos) << json;
    EXPECT_NE(json.find("\"alarms\": {\"reg4\": null, \"reg5\": null, \"reg6\": null, \"reg7\": null, "
                        "\"reg8\": 0, \"reg9\": 10, "),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"reg12\": -10, \"reg13\": 10, \"reg14\": 0, \"reg15\": -1, "
                        "\"reg16\": 10, \"reg17\": -10, \"reg18\": 10, \"reg19\": -10}}"),
              std::string::npos)
        << json;
    // The alarm words are not settings.
    EXPECT_EQ(settingsPart(json).find("\"reg4\": 1"), std::string::npos);
    EXPECT_EQ(json.find("\"registers\": [\"001E\", \"2000\", \"8205\", \"0001\""),
              json.find("\"registers\""));

    const std::string text = ok({"decode", "3", "001E", "2000", "8205", "1", "2", "3", "4", "0", "FFFF",
                                 "8000", "0001", "D8F0", "2710", "0000", "FC18"});
    EXPECT_NE(text.find("alarm setpoints (engineering units):\n"), std::string::npos);
    EXPECT_EQ(settingLine(text, "reg4"), "reg4 0001 (no scaling)");
    EXPECT_EQ(settingLine(text, "reg9"), "reg9 FFFF 10.000 0/10v 16Bit");
    EXPECT_EQ(settingLine(text, "reg15"), "reg15 FC18 -1.000 -/+10v DVM");
}

// --- encode ---------------------------------------------------------------

TEST(Cli, EncodeStandaloneGivesEachModulesDefaultWords) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0", "2000 2A92 8205"},
        {"1", "2924 2A92 8205"},
        {"2", "2000 2A92 8205"},
        {"3",
         "2000 2A92 8205 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710"},
        {"4", "0018 0010 0018 0010 0018 0010 0018 0010"},
        {"5", "0000 0000 0000 0000 0000 0000 0000 0000 0000"},
        {"6", "0000 0000 0000 0000 0000 0000 0000 0000 0000"},
        {"7", "0040 0040 0040 0040 0000 0000 0000 0000 0000"},
    };
    for (const auto& [module, words] : cases) EXPECT_EQ(ok({"encode", module}), words) << module;
    EXPECT_EQ(
        ok({"encode", "--json", "7"}),
        "{\"registers\": [\"0040\", \"0040\", \"0040\", \"0040\", \"0000\", \"0000\", \"0000\", \"0000\", "
        "\"0000\"]}");
}

std::vector<std::string> words(const std::string& spaced) {
    std::vector<std::string> out;
    std::istringstream in(spaced);
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

TEST(Cli, DecodeOfAStandaloneEncodeGivesTheDefaultsOfEveryModule) {
    const std::vector<std::string> noise =
        words("FFFF 1234 ABCD 7FFF 8000 0F0F F0F0 5555 AAAA 0101 FEFE 3C3C "
              "C3C3 0001 FFFE 4321 9999 6666 0246 1357 8888 7777 2222 EEEE");
    for (int module = 0; module < 8; ++module) {
        const std::string m = std::to_string(module);
        const std::string standalone = ok({"encode", m});
        // Defaults pressed on a dialog that started from a host's words.
        const std::string pressed = ok(withArgs(withArgs({"encode", m, "--from"}, noise), {"defaults"}));
        const std::string decoded = ok(withArgs({"decode", m, "--json"}, words(standalone)));
        const std::string fromNoise = ok(withArgs(withArgs({"decode", m}, noise), {"--json"}));
        EXPECT_NE(settingsPart(decoded), settingsPart(fromNoise))
            << m << ": the noise must differ to prove anything";
        // Settings and the words the dialog handles; the others go back as they came.
        EXPECT_EQ(decoded, ok(withArgs({"decode", m, "--json"}, words(pressed)))) << m;
    }
}

TEST(Cli, EncodeFromWordsPrintsWhatTheSynchronisedDialogsOkStores) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        // Analog OK stores the words as read: nothing is normalised until a list changes.
        {"0 FFFF FFFF FFFF", "FFFF FFFF FFFF"},
        // Universal: bits 9-15 of a second word are dropped; hidden settings go back unchanged.
        {"4 0718 FE10 0 0 0 0 0 0 9999", "0718 0010 0000 0000 0000 0000 0000 0000"},
        // Counter: the pair's second register copies the first while not UniDirectional,
        // bits 8-15 are dropped, a UniDirectional second member loses bits 0-3.
        {"5 00C5 0123 FF10 00FF", "00C5 00C5 0010 00F0 0000 0000 0000 0000 0000"},
        // Four channels: Reg6-Reg9 go back as they came.
        {"6 0 0 0 0 00FA 1111 2222 3333 4444", "0000 0000 0000 0000 00FA 1111 2222 3333 4444"},
        // Multi-purpose: channel bits 7-15 dropped, time-outs limited to 0-240.
        {"7 00FF 0 0 0 0 0100 FFFF 00F0 0001", "007F 0000 0000 0000 0000 00F0 0000 00F0 0001"},
    };
    for (const auto& [given, stored] : cases) {
        std::vector<std::string> w = words(given);
        const std::string module = w.front();
        w.erase(w.begin());
        EXPECT_EQ(ok(withArgs({"encode", module, "--from"}, w)), stored) << given;
    }
    // Missing words are 0.
    EXPECT_EQ(ok({"encode", "5", "--from"}), "0000 0000 0000 0000 0000 0000 0000 0000 0000");
}

TEST(Cli, EncodeActionsFollowTheDialogsRules) {
    const std::string analogDefaults = "2000 2A92 8205";
    const std::string alarmDefaults =
        " D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        // Counter pair: the copy at once; back to UniDirectional keeps the second
        // channel's own bits and clears its bits 0-3.
        {{"5", "ch1.mode=BiDirectional", "ch1.range=12v"}, "0005 0005 0000 0000 0000 0000 0000 0000 0000"},
        {{"5", "ch1.size=1", "ch1.rate=1", "ch1.mode=1", "ch1.mode=0"},
         "00C0 00C0 0000 0000 0000 0000 0000 0000 0000"},
        {{"5", "delay=250"}, "0000 0000 0000 0000 0000 0000 0000 0000 00FA"},
        {{"6", "delay=250"}, "0000 0000 0000 0000 00FA 0000 0000 0000 0000"},
        // Delays outside 0-65535 are limited, never wrapped.
        {{"5", "delay=99999"}, "0000 0000 0000 0000 0000 0000 0000 0000 FFFF"},
        {{"5", "--from", "0", "0", "0", "0", "0", "0", "0", "0", "1234", "delay=\t42 "},
         "0000 0000 0000 0000 0000 0000 0000 0000 002A"},
        // Multi-purpose time-outs: limited on the whole number typed.
        {{"7", "ch2.timeout=300"}, "0040 0040 0040 0040 0000 0000 00F0 0000 0000"},
        // Analog: a selection writes back every list and normalises.
        {{"1", "--from", "0", "0", "0", "g1.filter=0"}, "0924 0000 0004"},
        {{"2", "g4.range=4ma to 20ma", "calibration=Once a minute"}, "2A00 2A92 8105"},
        {{"3", "--from", "2000", "2A92", "8205", "defaults"}, analogDefaults + alarmDefaults + " D8F0 2710"},
        // Alarm setpoints: typed in units; beyond the span the word saturates and is limited.
        {{"3", "reg5=5"}, analogDefaults + " D8F0 1388" + alarmDefaults},
        {{"3", "reg4=-2.5", "reg19=1.2e1"},
         analogDefaults + " F63C 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710 D8F0 2710"},
        // Universal: the group's type first (clearing what it does not show), then a list it shows.
        {{"4", "g2.type=RTD", "g2.rtd=3", "g2.wiring=1"}, "0018 0010 9803 0010 0018 0010 0018 0010"},
        {{"4", "G1.Type=Current", "g1.CURRENT=4 .. 20mA"}, "0081 0010 0018 0010 0018 0010 0018 0010"},
        // An input type 6 from a host becomes Voltage once its group is shown.
        {{"4", "--from", "001E", "0", "0", "0", "001E", "g3.format=0"},
         "0018 0000 0000 0000 0018 0000 0000 0000"},
    };
    for (const auto& [args, stored] : cases) {
        const CliRun r = run(withArgs({"encode"}, args));
        EXPECT_EQ(r.status, 0) << args.front() << " " << args.back() << ": " << r.err;
        EXPECT_EQ(r.out, stored + "\n") << args.front() << " " << args.back();
    }
}

TEST(Cli, EncodeAcceptsOptionsAnywhereAndNamesInAnyCase) {
    const std::string pairWords = "{\"registers\": [\"0004\", \"0004\", \"0000\", \"0000\", \"0000\", "
                                  "\"0000\", \"0000\", \"0000\", \"0000\"]}";
    EXPECT_EQ(ok({"encode", "--json", "5", "CH1.MODE=1"}), pairWords);
    EXPECT_EQ(ok({"encode", "5", "--from", "--json", "ch1.mode=BIDIRECTIONAL"}), pairWords);
    EXPECT_EQ(
        ok({"encode", "770_zpm_354vm", "--from", "1", "2", "--json", "DEFAULTS"}),
        "{\"registers\": [\"0040\", \"0040\", \"0040\", \"0040\", \"0000\", \"0000\", \"0000\", \"0000\", "
        "\"0000\"]}");
}

// --- check-wdb ------------------------------------------------------------

struct WdbCase {
    std::string content;
    int status;
    std::vector<std::string> says; // lines of the output, squeezed
};

TEST(Cli, CheckWdbReportsWhatTookEffectAndWhyLinesDidNot) {
    const std::vector<WdbCase> cases = {
        {"",
         0,
         {"lines ignored or only partly used: none",
          "0 lines with a key: 0 took effect, 0 did not (or only in part)"}},
        {"REG_05 = 12\r\nMAX_WINDOWS=60\nQ770_ZHC_358_00VM = \"HOST FIVE\"\n\n",
         0,
         {"REG_05 (Reg6) 12 line 1", "MAX_WINDOWS 60 line 2 (children walked)",
          "5 770_ZHC_358VM \"HOST FIVE\" line 3", "REG_06 (Reg7) 7 default",
          "REG_19 (Reg20) unmapped default", "OK_BUTTON 52 default",
          "lines ignored or only partly used: none",
          "3 lines with a key: 3 took effect, 0 did not (or only in part)"}},
        // A line without a key is reported but does not fail the check.
        {"# positions for the plant host\nREG_00=3\n",
         0,
         {"line 1: \"# positions for the plant host\"", "no key: ignored", "REG_00 (Reg1) 3 line 2"}},
        {"REG_24 = 70\n",
         1,
         {"line 1: \"REG_24 = 70\"", "REG_24: ignored: register index 24 is out of range"}},
        {"OK_BUTTON = 52 \n", 1, {"OK_BUTTON: ignored: text after the digits", "OK_BUTTON 52 default"}},
        {"OK_BUTTON = 9 CANCEL_BUTTON = 10\n",
         1,
         {"OK_BUTTON: ignored: text after the digits", "CANCEL_BUTTON: sets cancelPosition = 10",
          "CANCEL_BUTTON 10 line 1", "1 line with a key: 0 took effect, 1 did not (or only in part)"}},
        // A title longer than its field is only partly used.
        {"Q770_ZVI_310_00VM=\"A title that is far too long\"\n",
         1,
         {"0 770_ZVI_310VM \"A title that is far\" line 1",
          "line 1: \"Q770_ZVI_310_00VM=\\\"A title that is far too long\\\"\""}},
        // A line over 80 characters is split; its keys are not read as written.
        {"REG_01 = 5" + std::string(75, ' ') + "OK_BUTTON=9\n",
         1,
         {"line 1 (continued): \"    OK_BUTTON=9\"",
          "line longer than 80 characters was split: its 81st character was dropped and the rest is read as "
          "the next line",
          "REG_01: ignored: text after the digits", "REG_01 (Reg2) 2 default", "OK_BUTTON 9 line 1"}},
        // Even when the split cuts the only key in two.
        {std::string(78, '#') + "REG_04=9\n",
         1,
         {"line 1 (continued): \"_04=9\"", "REG_04 (Reg5) 5 default",
          "1 line with a key: 0 took effect, 1 did not (or only in part)"}},
        // Text mode ends the file at a Ctrl-Z: the key after it does not take effect.
        {"MAX_WINDOWS=60\n\x1a\nOK_BUTTON=40\n",
         1,
         {"line 2: \"\"", "OK_BUTTON 52 default",
          "the file ends at byte 15, a Ctrl-Z (0x1a): 14 bytes after it are not read, 1 line of them with a "
          "key",
          "2 lines with a key: 1 took effect, 1 did not (or only in part)"}},
        {std::string("REG_02=7\0 junk\n", 15),
         1,
         {"ignored: text after a NUL byte is not read", "REG_02 (Reg3) 7 line 1"}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string file = tempFile("case" + std::to_string(i) + ".wdb", cases[i].content);
        const CliRun r = run({"check-wdb", file});
        std::filesystem::remove(file);
        EXPECT_EQ(r.status, cases[i].status) << i << "\n" << r.out;
        EXPECT_EQ(r.err, "");
        const auto out = lines(r.out);
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out.front(), "window description file \"" + file + "\"");
        for (const std::string& expected : cases[i].says) {
            bool found = false;
            for (const std::string& line : out) found = found || squeezed(line) == squeezed(expected);
            EXPECT_TRUE(found) << i << ": no line \"" << expected << "\" in\n" << r.out;
        }
    }
}

} // namespace
} // namespace velmora::cli
