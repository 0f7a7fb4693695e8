#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/fake_host_windows.h"
#include "cli/inspect.h"
#include "cli/run.h"
#include "core/host_text.h"
#include "hostlink/window_description.h"

namespace velmora {
namespace {

using cli::Inspection;
using Kind = FakeHostWindows::MessageKind;

const std::string kTitle = "KTR-ZHC-358-00VM"; // module 5's default title
// The default window: a label, three columns of eight fields and eight
// labels, eleven labels, OK, Cancel and a last label.
const std::string kDefaultWindow = "L E8 L8 E8 L8 E8 L11 O C L";

// Builds a window from words: L label, E edit, O "OK", C "Cancel", A "Apply"
// push buttons, K a check box, each with an optional count. Edit k holds
// the hexadecimal text of 0x100 + k. OK and Cancel are captioned "&Ok" and
// "Cancel&": a host's case and mnemonic marks do not change the button.
FakeHostWindows::ParameterWindow buildWindow(FakeHostWindows& host, const std::string& words,
                                             const std::string& title = kTitle) {
    FakeHostWindows::ParameterWindow built{host.addWindow(title), {}};
    std::istringstream in(words);
    int edits = 0;
    for (std::string word; in >> word;)
        for (int i = 0; i < (word.size() > 1 ? std::stoi(word.substr(1)) : 1); ++i) {
            const char c = word[0];
            const HostHandle child = c == 'E'   ? host.addField(built.window, writeHostText(0x100 + edits++))
                                     : c == 'O' ? host.addButton(built.window, "&Ok")
                                     : c == 'C' ? host.addButton(built.window, "Cancel&")
                                     : c == 'A' ? host.addButton(built.window, "Apply")
                                     : c == 'K' ? host.addButton(built.window, "OK")
                                                : host.addLabel(built.window, "label");
            if (c == 'K') host.setFacts(child, {"Button", 0, 3 /* BS_AUTOCHECKBOX */, true, true});
            built.children.push_back(child);
        }
    return built;
}

Inspection inspect(FakeHostWindows& host, ModuleKind kind, const std::string& wdb = "") {
    cli::DescriptionInEffect d;
    d.path = wdb.empty() ? "" : "VELMORA.WDB";
    std::istringstream in(wdb);
    d.check = cli::checkWdb(in);
    return cli::diagnose(kind, kTitle, "default", inspectHostWindow(host, kTitle), d);
}

std::string problemsOf(const Inspection& in) {
    std::string all;
    for (const auto& p : in.problems) all += p.text + " [" + std::to_string(p.spoils) + "]\n";
    return all;
}

// "rwc" names the exchanges that succeed: read, write, cancel.
std::string verdict(bool read, bool write, bool cancel) {
    return std::string(read ? "r" : "-") + (write ? "w" : "-") + (cancel ? "c" : "-");
}

TEST(InspectHost, SaysWhichExchangeWouldFailAndWhy) {
    constexpr unsigned R = cli::kSpoilsRead, W = cli::kSpoilsWrite, C = cli::kSpoilsCancel;
    // window, file, kind, the exchanges that succeed, part of the first problem told (empty: none at
    // all) and the exchanges it spoils
    // clang-format off
    const std::tuple<std::string, std::string, ModuleKind, std::string, std::string, unsigned> cases[] = {
        {kDefaultWindow, "", 5, "rwc", "", 0},
        {kDefaultWindow + "1000", "", 5, "rwc", "more than 1024 children; only the first 1024 were walked", 0},
        {"L E8 L9 E8 L7 E8 L11 O C L", "", 5, "--c", "Reg9 is mapped to position 17, which is a STATIC",
         R | W},
        {"L E24 L27 O C L", "", 5, "--c", "the window's 17th edit field, not its 9th (position 9)", R | W},
        {"L E8 L8 E8 L8 E7", "", 5, "---", "MAX_WINDOWS is 54 but the window has 40 children", R},
        {"L E8 L8 E8 L8 E8 L7 O L4 C L", "", 5, "r-c", "position 48, the default is 52, which", W},
        {"L E8 L8 E8 L8 E8 L7 O L4 C L", "OK_BUTTON = 49\n", 5, "r-c", "48, the file says 49 (line 1)", W},
        {kDefaultWindow, "REG_00 = 0\n", 5, "--c", "Reg1 is mapped to position 0, which is a STATIC", R | W},
        {kDefaultWindow, "REG_05 = 2\n", 7, "--c", "Reg6 to Reg9 are never reached: Reg6 is mapped to", R},
        {kDefaultWindow, "MAX_WINDOWS = 50\n", 7, "r--", "the OK position 52 is not below MAX_WINDOWS 50", W},
        {kDefaultWindow, "OK_BUTTON = 20\n", 3, "r-c", "the file says 20 (line 1), which is an edit field",
         W},
        {"L E8 L8 E8 L8 E8 L11 O A L", "", 4, "rw-", "\"Cancel\"; CANCEL_BUTTON is 53, which is a push", C},
        {"L E8 L8 E8 L8 E8 L11 K C L", "", 0, "r-c", "OK_BUTTON is 52, which is a button that is not", W}};
    // clang-format on
    for (const auto& [window, wdb, kind, succeed, says, spoils] : cases) {
        FakeHostWindows host;
        buildWindow(host, window);
        const Inspection in = inspect(host, kind, wdb);
        const std::string all = problemsOf(in);
        const std::string first = all.substr(0, all.find('\n'));
        EXPECT_EQ(verdict(in.readSucceeds, in.writeSucceeds, in.cancelSucceeds), succeed) << window;
        EXPECT_TRUE(says.empty() ? all.empty()
                                 : first.find(says) != std::string::npos &&
                                       first.ends_with(" [" + std::to_string(spoils) + "]"))
            << window << " / " << wdb << "\n"
            << all;
    }
}

TEST(InspectHost, OnlyReadsTextsAsTheExchangeDoesAndStopsAtAHungChild) {
    FakeHostWindows host;
    const auto window = buildWindow(host, kDefaultWindow);
    host.setTextDirectly(window.children[1], "1A2B");
    // 25 characters: read whole, they would saturate; the exchange reads 19.
    host.setTextDirectly(window.children[2], "0000000000000000000ABCDEF");
    host.answerBeyondRequest(window.children[2]);
    host.hang(window.children[30]);

    const Inspection in = inspect(host, 5);
    ASSERT_EQ(in.positions.size(), 31u) << "the walk ends at the child that did not answer";
    EXPECT_EQ(std::tuple(in.positions[1].value, in.positions[2].child.text, in.positions[2].value,
                         in.positions[17].maps,
                         verdict(in.readSucceeds, in.writeSucceeds, in.cancelSucceeds)),
              std::tuple(0x1A2B, std::string(19, '0'), 0, std::vector<std::string>{"Reg9"}, "---"));
    EXPECT_NE(problemsOf(in).find("position 30 did not answer a get-text message within 1000 ms"),
              std::string::npos);
    ASSERT_EQ(host.messages().size(), 31u);
    for (const auto& m : host.messages())
        EXPECT_EQ(std::tuple(m.kind, m.maxChars, m.timeoutMs), std::tuple(Kind::GetText, 20, 1000u));
}

TEST(InspectHost, SuggestsADescriptionThatFitsTheWindow) {
    // layout: register positions in the walk (none: no REG_ line) / OK, Cancel, MAX_WINDOWS;
    // succeed: read and write with the suggested file; note: the first on stderr, if any.
    // clang-format off
    const std::tuple<std::string, std::string, ModuleKind, std::string, std::string, std::string> cases[] = {
        {"L L E8 L A L E8 L E8 L3 C O L L", "", 5,
         "2 3 4 5 6 7 8 9 13 14 15 16 17 18 19 20 22 23 24 25 26 27 28 29 / 34 33 35", "rw", ""},
        {"L E8 L8 E8 L8 E8 L11 C O", "", 7, "/ 53 52 54", "-w",
         "position 53, the last the walk must reach, is the window's last child: no MAX_WINDOWS lets"},
        {"L E25 C L", "OK_BUTTON = 30\n", 3, "/ 30 26 27", "--",
         "the window has 25 edit fields, more than the 24 registers of a module: which are the"},
        {"L E5 L O C L", "", 7, "1 2 3 4 5 / 7 8 9", "--",
         "module 7 writes 9 registers but the window has 5 edit fields: Reg6 to Reg9 have none"}};
    // clang-format on
    for (const auto& [window, wdb, kind, expected, succeed, note] : cases) {
        FakeHostWindows host;
        buildWindow(host, window);
        const auto s = cli::suggestDescription(inspect(host, kind, wdb));
        std::istringstream text(s.text);
        const WindowLayout layout = loadWindowDescription(text); // what the tool would read back
        std::string got;                                         // registers only where the case expects them
        for (int i = 0; i < kRegisterCount && expected[0] != '/'; ++i)
            if (layout.controlPositions[i] > 0 && layout.controlPositions[i] < 1000)
                got += std::to_string(layout.controlPositions[i]) + " ";
        got += "/ " + std::to_string(layout.okPosition) + " " + std::to_string(layout.cancelPosition) + " " +
               std::to_string(layout.maxWindows);
        std::string notes;
        for (const std::string& n : s.notes) notes += n + "\n";
        EXPECT_EQ(std::tuple(got, verdict(s.outcome.readSucceeds, s.outcome.writeSucceeds, true),
                             notes.substr(0, note.size()), notes.empty()),
                  std::tuple(expected, succeed + "c", note, note.empty()))
            << window;
        EXPECT_NE(s.text.find(std::string(moduleInfo(kind).hostKey) + " = \"" + kTitle + "\"\n"),
                  std::string::npos)
            << s.text;
    }
}

TEST(InspectHost, SuggestionKeepsTheOtherKeysOfTheFileAndWinsOverTheRest) {
    FakeHostWindows host;
    buildWindow(host, "L L E8 L8 E8 L8 E8 L11 O C L");
    const std::string wdb = "Q770_ZVI_310_00VM = \"Other\"\r\n"
                            "Q770_ZCI_310_00VM = \"X\" OK_BUTTON = 60\r\n"
                            "REG_00 = 1\r\n"
                            "a line without a key\r\n"
                            "CANCEL_BUTTON = 7\r\n";
    const auto s = cli::suggestDescription(inspect(host, 5, wdb));
    const std::string begin = "Q770_ZVI_310_00VM = \"Other\"\nQ770_ZCI_310_00VM = \"X\" OK_BUTTON = 60\n"
                              "Q770_ZHC_358_00VM = \"KTR-ZHC-358-00VM\"\nREG_00 = 2\nREG_01 = 3\n";
    EXPECT_EQ(s.text.substr(0, begin.size()), begin);
    EXPECT_TRUE(s.text.ends_with("REG_23 = 41\nOK_BUTTON = 53\nCANCEL_BUTTON = 54\nMAX_WINDOWS = 55\n"))
        << s.text;
    EXPECT_TRUE(s.outcome.allSucceed()) << problemsOf(s.outcome);
}

TEST(InspectHost, CommandLineStatusAndErrors) {
    FakeHostWindows host;
    buildWindow(host, kDefaultWindow);
    buildWindow(host, "L", "Short");
    const std::vector<std::tuple<std::string, int, std::string>> cases = {
        // in stdout for 0 and 1, in the error line for 2
        {"5 --wdb /nonexistent/VELMORA.WDB", 2, "cannot open"},
        {"4", 2, "no host window titled \"KTR-ZUI-340-00VM\" is open"},
        {"5 --json --suggest-wdb", 2, "--json and --suggest-wdb together"},
        {"770_zhc_358vm", 0, "  1  Edit      0       enabled visible  \"100\""},
        {"5 --title Short", 1, "read:   would fail\n"},
        {"5 --title Short", 1, "): 1 child\n"},
        {"5 --title Short --json", 1, "\"read\": {\"succeeds\": false}, \"write\": {\"succeeds\": false}"},
        {"5 --suggest-wdb", 0, "MAX_WINDOWS = 54\n"},
    };
    for (const auto& [args, status, says] : cases) {
        std::istringstream in("inspect-host " + args);
        std::ostringstream out, err;
        EXPECT_EQ(cli::runCli({std::istream_iterator<std::string>(in), {}}, out, err, &host), status) << args;
        EXPECT_NE((status == 2 ? err : out).str().find(says), std::string::npos) << out.str() << err.str();
        EXPECT_EQ(out.str().empty(), status == 2) << args;
    }
    for (const auto& m : host.messages()) EXPECT_EQ(m.kind, Kind::GetText);
    std::ostringstream out, err;
    EXPECT_EQ(cli::runCli({"inspect-host", "5"}, out, err), 2);
    EXPECT_EQ(err.str().rfind("velmora-cli: inspect-host needs Windows", 0), 0u);
}

} // namespace
} // namespace velmora
