// The command-line tool's insight into a configuration: encode --explain,
// diff, copy= and decode --format markdown, run in-process through runCli.

#include "cli/commands.h"
#include "unit/cli_in_process.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

using testing::CliRun;
using testing::run;

std::string shown(const std::vector<std::string>& args) {
    std::string out;
    for (const std::string& a : args) out += "[" + a + "] ";
    return out;
}

bool hasLine(const std::string& text, const std::string& line) {
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        if (l == line) return true;
    return false;
}

// --- encode --explain -----------------------------------------------------

// What every action tells is in docs/cli.md; not shown there: stdout is the
// same words as without --explain, an action that changes nothing says so,
// and an analog start from words tells nothing.
TEST(CliExplain, KeepsStdoutTheWordsAndTellsAnActionWithoutEffect) {
    const std::vector<std::string> args{"encode", "5", "ch1.mode=BiDirectional", "ch1.size=1", "ch1.size=1"};
    std::vector<std::string> explained = args;
    explained.push_back("--explain");
    const CliRun r = run(explained);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, run(args).out);
    EXPECT_EQ(r.out, "0044 0044 0000 0000 0000 0000 0000 0000 0000\n");
    EXPECT_TRUE(r.err.ends_with("  Reg2: 0004 -> 0044; bit 6 (ch2.size)\nafter ch1.size=1:\n  no change\n"))
        << r.err;
    // An analog dialog stores what it read until a list changes: nothing to tell.
    EXPECT_EQ(run({"encode", "0", "--from", "FFFF", "FFFF", "FFFF", "--explain"}).err, "");
}

TEST(CliExplain, EveryRuleIsNamed) {
    struct Case {
        std::vector<std::string> args;
        std::string line;
    };
    const std::vector<Case> cases = {
        // Counter and multi-purpose: typed numbers the field cannot hold.
        {{"5", "--from", "0", "0", "0", "0", "0", "0", "0", "0", "0005", "delay=-5"},
         "  delay: 5 -> 0; rule: -5 typed, raised to 0"},
        {{"7", "delay=70000"}, "  delay: 0 -> 65535; rule: 70000 typed, limited to 65535"},
        {{"7", "ch2.timeout=300"}, "  ch2.timeout: 0 -> 240; rule: 300 typed, limited to 240 s"},
        {{"7", "--from", "0", "0", "0", "0", "0", "5", "ch1.timeout=-5"},
         "  ch1.timeout: 5 -> 0; rule: -5 typed, raised to 0 s"},
        // Universal.
        {{"4", "g1.type=Thermocouple"},
         "  g1.voltage: 3 \"+/- 5.0V\" -> 0 \"+/- 0.05V\"; rule: cleared by the input type Thermocouple"},
        {{"4", "--from", "0", "0", "001E", "0", "g2.format=1"},
         "  g2.type: 6 (no selection) -> 0 \"Voltage\"; rule: type code 6 has no button: taken as Voltage "
         "once "
         "group 2 is shown"},
        // Analog lists: normalize after the write-back of every list.
        {{"1", "--from", "290C", "2A92", "8205", "g1.filter=1"},
         "  g2.range: 1 (no selection) -> 4 \"0ma to 20ma\"; rule: range not offered by this model, set to "
         "0ma to "
         "20ma"},
        {{"0", "--from", "0004", "2A92", "8205", "g2.filter=1"},
         "  g1.range: 4 (no selection) -> 0 \"-10V to +10V\"; rule: range not offered by this model, set to "
         "-10V "
         "to +10V"},
        {{"0", "--from", "2000", "2A96", "8205", "g1.filter=1"},
         "  g2.filter: 6 (no selection) -> 2 \"60 Hz\"; rule: Reg2 holds filter codes 0-3 only: the high bit "
         "was "
         "cleared"},
        {{"0", "--from", "2000", "2A92", "820D", "g1.filter=1"},
         "  trigger: 1 (no selection) -> 0 (no selection); rule: the module has no alarms: the trigger bit "
         "is "
         "cleared"},
        {{"0", "--from", "2000", "2A92", "8201", "g1.filter=1"},
         "  timestamp: 1 (no selection) -> 0 (no selection); rule: the module has no alarms: time stamping "
         "stays "
         "disabled"},
        // Analog alarm limits.
        {{"3", "g1.format=16 bit"},
         "  reg5: 2710 (10.000) -> FFFF (10.000); rule: rescaled from the format \"DVM\" to \"16 Bit\""},
        {{"3", "g1.range=1"},
         "  reg4: D8F0 (-10.000) -> 03E8 (1.000); rule: rescaled from the range \"-10V to +10V\" to \"1V to "
         "5V\", then raised to the lowest count of the span"},
        {{"3", "--from", "2003", "2A92", "8205", "0", "FFFF", "g1.filter=0"},
         "  reg5: FFFF (10.000) -> 2710 (10.000); rule: lowered to the highest count of the span"},
        // The write-back runs the limit rules on every group, not only the one chosen.
        {{"3", "--from", "2001", "2A92", "8205", "FFFF", "1234", "g2.range=3"},
         "  reg4: FFFF (5.000) -> 03E8 (1.000); rule: set to the lowest count of the span: it was above the "
         "pair's maximum"},
        {{"3", "g1.format=16 bit", "reg5=99"},
         "  reg5: FFFF (10.000) -> FFFF (10.000); rule: 99 typed, stored 0xFFFF = 10.000 V (held at the end "
         "of "
         "the span)"},
        {{"6", "ch3.mode=1", "defaults"},
         "  ch4.mode: 1 \"BiDirectional\" -> 0 \"UniDirectional\"; chosen: Defaults"},
        {{"2", "g1.range=5", "copy=g1:g4"},
         "  g4.range: 0 \"-10V to +10V\" -> 5 \"4ma to 20ma\"; copied from g1"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"encode"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back("--explain");
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 0) << shown(args) << r.err;
        EXPECT_TRUE(hasLine(r.err, c.line)) << shown(args) << "\nno line\n" << c.line << "\nin\n" << r.err;
    }
}

TEST(CliExplain, ARefusedActionLeavesTheErrorAloneOnStderr) {
    const CliRun r = run({"encode", "5", "ch1.mode=1", "ch2.size=1", "--explain"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(
        r.err,
        "velmora-cli: ch2.size: disabled while pair 1-2 counts \"BiDirectional\"; allowed only when ch1.mode "
        "is \"UniDirectional\"\n");
}

// Random sessions on every module: each change must come with its cause, and
// "chosen" only for the setting the action named.
TEST(CliExplain, EveryChangeOfARandomSessionHasACause) {
    std::mt19937 random(7);
    // Mostly codes every list offers, some the dialogs refuse or limit.
    const std::vector<std::string> values{"0", "1",   "0",  "1",  "2",   "3",    "1",
                                          "7", "300", "-3", "11", "2.5", "-0.07"};
    for (int module = 0; module < kModuleCount; ++module) {
        std::size_t told = 0;
        for (int session = 0; session < 6; ++session) {
            EncodeRequest request;
            request.kind = module;
            RegisterWords from{};
            for (auto& w : from) w = static_cast<std::uint16_t>(random());
            if (session % 2) request.from = from;
            // A model beside the session keeps only the actions it accepts.
            const auto probe = makeModuleModel(module);
            if (request.from) probe->startSynchronised(*request.from);
            std::vector<std::string> names;
            for (const SettingView& v : probe->settings()) names.push_back(v.name);
            const CopyUnits units = probe->copyUnits();
            for (int step = 0; step < 25; ++step) {
                Action a;
                if (random() % 8 == 0) {
                    const int source = static_cast<int>(random() % units.count);
                    a.kind = Action::Kind::Copy;
                    a.name = "copy";
                    a.value = units.prefix + std::to_string(source + 1) + ":" + units.prefix + "1-" +
                              units.prefix + std::to_string(units.count);
                    std::vector<std::vector<CopyStep>> steps;
                    for (int t = 0; t < units.count; ++t)
                        if (t != source) steps.push_back(probe->copySteps(source, t));
                    for (const auto& target : steps)
                        for (const CopyStep& c : target) probe->apply(c.name, c.value);
                } else {
                    a.name = names[random() % names.size()];
                    a.value = values[random() % values.size()];
                    if (!probe->apply(a.name, a.value).ok()) continue;
                }
                a.token = a.name + "=" + a.value;
                request.actions.push_back(a);
            }
            std::size_t next = 0;
            encodeModule(request, [&](const ActionEffect& e) {
                if (e.token.empty()) return; // the start
                const Action& a = request.actions[next++];
                for (const SettingChange& c : e.settings) {
                    ++told;
                    EXPECT_NE(c.cause, SettingChange::Cause::Unexplained)
                        << module << " " << e.token << ": " << c.after.name;
                    if (c.cause == SettingChange::Cause::Chosen) {
                        EXPECT_EQ(c.after.name, a.name) << module << " " << e.token;
                    }
                    if (c.cause == SettingChange::Cause::Copied) {
                        EXPECT_EQ(a.kind, Action::Kind::Copy);
                    }
                }
            });
        }
        EXPECT_GT(told, 20u) << module;
    }
}

// --- copy= ----------------------------------------------------------------

TEST(CliCopy, TargetsTakeTheSourcesSettingsThroughTheDialogsRules) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        // A second channel in a counting pair takes nothing itself but follows its first.
        {{"5", "ch1.mode=BiDirectional", "ch1.range=24V", "ch1.rate=1", "copy=ch1:ch2-ch8"},
         "0086 0086 0086 0086 0086 0086 0086 0086 0000"},
        // A UniDirectional pair's second channel takes what its dialog lets it.
        {{"6", "ch1.size=1", "ch1.digital_filter=on", "copy=ch1:ch2-ch4"},
         "0050 0050 0050 0050 0000 0000 0000 0000 0000"},
        {{"6", "ch3.mode=1", "ch3.range=AC", "copy=CH3 : ch1"},
         "0007 0007 0007 0007 0000 0000 0000 0000 0000"},
        {{"7", "ch2.gate=24V", "ch2.timeout=90", "copy=ch2:ch3-4"},
         "0040 0048 0048 0048 0000 0000 005A 005A 005A"},
        // g2's hidden thermocouple goes with the click on Voltage.
        {{"4", "--from", "0", "0", "0718", "0", "g1.fault=3", "copy=g1:g2"},
         "0000 00C0 0000 00C0 0000 0000 0000 0000"},
        // A host's type 7 is copied as the Voltage the dialog shows for it; the source stays as it is.
        {{"4", "--from", "0", "0", "0019", "0", "0", "0", "003F", "0", "copy=g4:g2"},
         "0000 0000 0038 0000 0000 0000 003F 0000"},
        {{"2", "g1.range=5", "g1.format=3", "copy=g1:g2-g3"}, "216D 7E92 8205"},
        // The alarm limits follow, typed in units as the alarm dialog takes them.
        {{"3", "g1.range=0V to 10V", "reg5=7.5", "reg6=2", "copy=g1:g3"},
         "20C3 2A92 8205 0000 1D4C 07D0 2710 D8F0 2710 D8F0 2710 0000 1D4C 07D0 2710 D8F0 2710 D8F0 2710"},
    };
    for (const auto& [args, words] : cases) {
        std::vector<std::string> full{"encode"};
        full.insert(full.end(), args.begin(), args.end());
        const CliRun r = run(full);
        EXPECT_EQ(r.status, 0) << shown(full) << r.err;
        EXPECT_EQ(r.out, words + "\n") << shown(full);
    }
}

TEST(CliCopy, AMalformedOrImpossibleCopyIsAnError) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"5", "copy=ch1"},
         "copy: 'ch1' is malformed; allowed: copy=chA:chB-chC or copy=chA:chB, channels 1 to 8"},
        {{"5", "copy="}, "copy: '' is malformed"},
        {{"5", "copy=g1:g2"}, "copy: 'g1:g2' is malformed; allowed: copy=chA:chB-chC"},
        {{"4", "copy=ch1:ch2"},
         "copy: 'ch1:ch2' is malformed; allowed: copy=gA:gB-gC or copy=gA:gB, groups 1 to 4"},
        {{"5", "copy=ch1:ch2-"}, "is malformed"},
        {{"5", "copy=ch1:ch2-ch3x"}, "is malformed"},
        {{"5", "copy=ch1:ch99999999999"}, "is malformed"},
        {{"6", "copy=ch1:ch2-ch5"},
         "copy: ch5 does not exist on this module; allowed: copy=chA:chB-chC or "
         "copy=chA:chB, channels 1 to 4"},
        {{"7", "copy=ch0:ch2"}, "copy: ch0 does not exist"},
        {{"0", "copy=g1:g4-g2"},
         "copy: the targets g4-g2 run backwards; allowed: copy=gA:gB-gC or copy=gA:gB, "
         "groups 1 to 4, B not above C"},
        {{"3", "copy=g2:g2"}, "copy: g2 onto itself changes nothing"},
    };
    for (const auto& [args, says] : cases) {
        std::vector<std::string> full{"encode"};
        full.insert(full.end(), args.begin(), args.end());
        testing::expectRefused(full, says);
    }
}

// --- diff -----------------------------------------------------------------

TEST(CliDiff, AlarmSetpointsCompareByWord) {
    // Both sides show 10.000 here.
    const CliRun alarms = run(
        {"diff", "3", "2003", "2A92", "8205", "0", "C000", "--against", "2003", "2A92", "8205", "0", "2710"});
    EXPECT_EQ(alarms.status, 1);
    EXPECT_EQ(alarms.out, "reg5  C000 (10.000)  | 2710 (10.000)\n");
}

TEST(CliDiff, SameSettingsGiveStatus0EvenWhenTheWordsDiffer) {
    EXPECT_EQ(run({"diff", "5", "00C5", "--against", "0xC5"}).out, "no setting differs\n");
    // The pair counts BiDirectional, so the dialog shows Reg2 as a copy of Reg1.
    const CliRun r = run({"diff", "5", "00C5", "0000", "1234", "--against", "00C5", "00C5", "5634"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.out,
        "no setting differs (the words differ in Reg2 Reg3, where the dialog ignores or overrides them)\n");
    EXPECT_EQ(run({"diff", "7", "--against"}).status, 0);
}

TEST(CliDiff, JsonOfEqualSettings) {
    EXPECT_EQ(run({"diff", "6", "--against", "--format", "json"}).out,
              "{\"module\": 6, \"name\": \"770_ZHC_354VM\", \"equal\": true, \"differences\": []}\n");
}

TEST(CliDiff, Errors) {
    std::vector<std::string> tooMany{"diff", "5", "--against"};
    tooMany.insert(tooMany.end(), 25, "0");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"diff"}, "diff needs a MODULE"},
        {{"diff", "5", "00C5"}, "diff needs --against; allowed: diff MODULE WORD... --against WORD..."},
        {{"diff", "--against", "5"}, "--against before MODULE"},
        {{"diff", "5", "--against", "1", "--against", "2"}, "--against given twice"},
        {{"diff", "9", "--against"}, "unknown module '9'"},
        {{"diff", "5", "zz", "--against"}, "Reg1: 'zz' is not a hexadecimal word"},
        {{"diff", "5", "--against", "0", "12g"}, "Reg2: '12g' is not a hexadecimal word"},
        {tooMany, "25 register words given; allowed: at most 24"},
        {{"diff", "5", "--against", "--format", "markdown"},
         "unknown format 'markdown'; allowed: text, json"},
        {{"diff", "5", "--against", "--verbose"},
         "unknown option '--verbose'; allowed: --against, --json, --format"},
    };
    for (const auto& [args, says] : cases) testing::expectRefused(args, says);
    EXPECT_NE(run({"diff", "--help"}).out.find("exit status: 0 when no setting differs, 1 when some do"),
              std::string::npos);
}

// --- decode --format markdown ---------------------------------------------

TEST(CliMarkdown, AnalogSheetHasTheAlarmLimitsPerGroup) {
    const std::string out =
        run({"decode", "770_zci_312vm", "2033", "2A92", "8205", "0", "C000", "--format=markdown"}).out;
    EXPECT_TRUE(
        hasLine(out, "| `range` | 0V to 10V | (no selection, code 6) | -10V to +10V | -10V to +10V |"))
        << out;
    EXPECT_TRUE(hasLine(out, "| `timestamp` | Disabled |")) << out;
    EXPECT_TRUE(hasLine(out, "| Limit | g1 | g2 | g3 | g4 |"));
    EXPECT_TRUE(hasLine(out,
                        "| pair 1 maximum | 10.000 V (reg5 = C000) | (no scaling) (reg9 = 0000) | 0.000 V "
                        "(reg13 = 0000) | 0.000 V (reg17 = 0000) |"))
        << out;
    EXPECT_TRUE(hasLine(out,
                        "| Reg1 | Reg2 | Reg3 | Reg4 | Reg5 | Reg6 | Reg7 | Reg8 | Reg9 | Reg10 | Reg11 | "
                        "Reg12 | Reg13 | Reg14 | Reg15 | Reg16 | Reg17 | Reg18 | Reg19 |"));
    // A universal list text keeps its words and loses the blanks that line it up.
    EXPECT_TRUE(
        hasLine(run({"decode", "4", "0003", "0", "0", "0", "0", "0", "0", "0", "--format", "markdown"}).out,
                "| `rtd` | 100Pt385 | 100Pt385 | 100Pt385 | 100Pt385 |"));
}

TEST(CliMarkdown, FormatOptionErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"decode", "5", "--format", "xml"}, "unknown format 'xml'; allowed: text, json, markdown"},
        {{"decode", "5", "--format"}, "--format needs a FORMAT; allowed: text, json, markdown"},
        {{"decode", "5", "--format=Markdown"}, "unknown format 'Markdown'"},
        {{"decode", "5", "--json", "--format", "markdown"},
         "two output formats given ('markdown' after another)"},
    };
    for (const auto& [args, says] : cases) testing::expectRefused(args, says);
    // The same format twice is no conflict; text is the default.
    EXPECT_EQ(run({"decode", "5", "--format", "json", "--json"}).status, 0);
    EXPECT_EQ(run({"decode", "5", "--format", "text"}).out, run({"decode", "5"}).out);
}

} // namespace
} // namespace velmora::cli
