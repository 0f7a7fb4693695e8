#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/fake_host_windows.h"
#include "cli/inspect.h"
#include "cli/run.h"
#include "hostlink/window_description.h"

namespace velmora {
namespace {

using cli::DescriptionInEffect;
using cli::Inspection;
using Kind = FakeHostWindows::MessageKind;

const std::string kTitle = "KTR-ZHC-358-00VM"; // module 5's default title
// The default window: a label, three columns of eight fields and eight
// labels, eleven labels, OK, Cancel and a last label.
const std::string kDefaultWindow = "L E8 L8 E8 L8 E8 L11 O C L";

// Builds a window from words: L label, E edit, O "OK", C "Cancel", A "Apply"
// push buttons, K a check box, each with an optional count. Edit k holds
// the hexadecimal text of 0x100 + k.
FakeHostWindows::ParameterWindow buildWindow(FakeHostWindows& host, const std::string& words,
                                             const std::string& title = kTitle) {
    FakeHostWindows::ParameterWindow built;
    built.window = host.addWindow(title);
    std::istringstream in(words);
    int edits = 0;
    for (std::string word; in >> word;) {
        const int count = word.size() > 1 ? std::stoi(word.substr(1)) : 1;
        for (int i = 0; i < count; ++i) {
            HostHandle child = 0;
            switch (word[0]) {
            case 'E': {
                char text[8];
                std::snprintf(text, sizeof text, "%x", 0x100 + edits++);
                child = host.addField(built.window, text);
                break;
            }
            case 'O':
                child = host.addButton(built.window, "&OK");
                break;
            case 'C':
                child = host.addButton(built.window, "Cancel");
                break;
            case 'A':
                child = host.addButton(built.window, "Apply");
                break;
            case 'K':
                child = host.addButton(built.window, "OK");
                host.setFacts(child, {"Button", 0, 3 /* BS_AUTOCHECKBOX */, true, true});
                break;
            default:
                child = host.addLabel(built.window, "label");
                break;
            }
            built.children.push_back(child);
        }
    }
    return built;
}

DescriptionInEffect description(const std::string& text) {
    DescriptionInEffect d;
    d.path = text.empty() ? "" : "VELMORA.WDB";
    std::istringstream in(text);
    d.check = cli::checkWdb(in);
    return d;
}

Inspection inspect(FakeHostWindows& host, ModuleKind kind, const std::string& wdb = "") {
    return cli::diagnose(kind, kTitle, "default", inspectHostWindow(host, kTitle), description(wdb));
}

std::string problemsOf(const Inspection& in) {
    std::string all;
    for (const auto& p : in.problems) all += p.text + " [" + std::to_string(p.spoils) + "]\n";
    return all;
}

TEST(InspectHost, SaysWhichExchangeWouldFailAndWhy) {
    constexpr unsigned R = cli::kSpoilsRead, W = cli::kSpoilsWrite, C = cli::kSpoilsCancel;
    struct Case {
        const char* name;
        std::string window;
        std::string wdb;
        ModuleKind kind;
        bool read, write, cancel;
        std::string says; // one problem, whole; empty: none at all
        unsigned spoils;
    };
    const Case cases[] = {
        {"the default window", kDefaultWindow, "", 5, true, true, true, "", 0},
        {"a label more before Reg9's column", "L E8 L9 E8 L7 E8 L11 O C L", "", 5, false, false, true,
         "Reg9 is mapped to position 17, which is a STATIC label (\"label\"), not an edit field", R | W},
        {"one column of fields", "L E24 L27 O C L", "", 5, false, false, true,
         "Reg9 is mapped to position 17, the window's 17th edit field, not its 9th (position 9)", R | W},
        {"a short window", "L E8 L8 E8 L8 E7", "", 5, false, false, false,
         "MAX_WINDOWS is 54 but the window has 40 children: a read needs a child at position 54; it reads "
         "every register before that and fails only at the end, which the tool ignores",
         R},
        {"OK moved up", "L E8 L8 E8 L8 E8 L7 O L4 C L", "", 5, true, false, true,
         "the OK button is at position 48, the default is 52, which is a STATIC label (\"label\")", W},
        {"OK moved, and the file too", "L E8 L8 E8 L8 E8 L7 O L4 C L", "OK_BUTTON = 49\n", 5, true, false,
         true,
         "the OK button is at position 48, the file says 49 (line 1), which is a STATIC label (\"label\")",
         W},
        {"a register out of order", kDefaultWindow, "REG_05 = 2\n", 7, false, false, true,
         "Reg6 to Reg9 are never reached: Reg6 is mapped to position 2, not after Reg5's position 5, and "
         "registers are found in order",
         R | W},
        {"OK not below MAX_WINDOWS", kDefaultWindow, "MAX_WINDOWS = 50\n", 7, true, false, false,
         "the OK position 52 is not below MAX_WINDOWS 50: the walk ends before it and never presses OK", W},
        {"OK before the last written register", kDefaultWindow, "OK_BUTTON = 20\n", 3, true, false, true,
         "Reg13 to Reg19 are never reached: the write presses OK at position 20 before it reaches Reg13 at "
         "position 21",
         W},
        {"Cancel renamed", "L E8 L8 E8 L8 E8 L11 O A L", "", 4, true, true, false,
         "the window has no push button \"Cancel\"; CANCEL_BUTTON is 53, which is a push button (\"Apply\")",
         C},
        {"a check box captioned OK", "L E8 L8 E8 L8 E8 L11 K C L", "", 0, true, false, true,
         "the window has no push button \"OK\"; OK_BUTTON is 52, which is a button that is not a push button "
         "(\"OK\")",
         W},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHostWindows host;
        buildWindow(host, c.window);
        const Inspection in = inspect(host, c.kind, c.wdb);
        EXPECT_EQ(in.readSucceeds, c.read);
        EXPECT_EQ(in.writeSucceeds, c.write);
        EXPECT_EQ(in.cancelSucceeds, c.cancel);
        if (c.says.empty()) {
            EXPECT_TRUE(in.problems.empty()) << problemsOf(in);
        } else {
            const std::string expected = c.says + " [" + std::to_string(c.spoils) + "]\n";
            EXPECT_NE(problemsOf(in).find(expected), std::string::npos) << problemsOf(in);
        }
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
    EXPECT_EQ(in.positions[1].value, 0x1A2B);
    EXPECT_EQ(in.positions[2].child.text, std::string(19, '0'));
    EXPECT_EQ(in.positions[2].value, 0x0000);
    EXPECT_EQ(in.positions[0].value, std::nullopt) << "no register there";
    EXPECT_EQ(in.positions[17].maps, std::vector<std::string>{"Reg9"});
    EXPECT_NE(problemsOf(in).find("position 30 did not answer a get-text message within 1000 ms"),
              std::string::npos);
    EXPECT_FALSE(in.readSucceeds || in.writeSucceeds || in.cancelSucceeds);

    ASSERT_EQ(host.messages().size(), 31u);
    for (const auto& m : host.messages()) {
        EXPECT_EQ(m.kind, Kind::GetText);
        EXPECT_EQ(m.maxChars, 20);
        EXPECT_EQ(m.timeoutMs, 1000u);
    }
}

TEST(InspectHost, ClassifiesChildrenByClassAndButtonStyle) {
    const std::pair<WindowFacts, ChildKind> cases[] = {
        {{"Edit", 0, 0, true, true}, ChildKind::Edit},
        {{"RichEdit20A", 0, 0, true, true}, ChildKind::Edit},
        {{"Button", 0, 0 /* BS_PUSHBUTTON */, true, true}, ChildKind::PushButton},
        {{"Button", 0, 0x50010001 /* WS_ and BS_DEFPUSHBUTTON */, true, true}, ChildKind::PushButton},
        {{"Button", 0, 7 /* BS_GROUPBOX */, true, true}, ChildKind::OtherButton},
        {{"Static", 0, 0, true, true}, ChildKind::Label},
        {{"SysListView32", 0, 0, true, true}, ChildKind::Other},
    };
    for (const auto& [facts, kind] : cases) EXPECT_EQ(childKind(facts), kind) << facts.className;
    EXPECT_EQ(childKind(std::nullopt), ChildKind::Unknown);
    EXPECT_EQ(withoutMnemonics(" &Cancel "), "Cancel");
    EXPECT_EQ(withoutMnemonics("Save && &Close&"), "Save & Close");
}

WindowLayout layoutOf(const std::string& text) {
    std::istringstream in(text);
    return loadWindowDescription(in);
}

TEST(InspectHost, SuggestsADescriptionThatFitsTheWindow) {
    struct Case {
        const char* name;
        std::string window;
        std::string wdb;
        ModuleKind kind;
        std::vector<int> edits; // expected register positions; empty: no REG_ line
        int ok, cancel, maxWindows;
        bool read, write;
        std::string note; // on stderr; empty: none
    };
    const Case cases[] = {
        {"fields moved and buttons swapped",
         "L L E8 L A L E8 L E8 L3 C O L L",
         "",
         5,
         {2, 3, 4, 5, 6, 7, 8, 9, 13, 14, 15, 16, 17, 18, 19, 20, 22, 23, 24, 25, 26, 27, 28, 29},
         34,
         33,
         35,
         true,
         true,
         ""},
        {"OK is the last child",
         "L E8 L8 E8 L8 E8 L11 C O",
         "",
         7,
         {},
         53,
         52,
         54,
         false,
         true,
         "position 53, the last the walk must reach, is the window's last child: no MAX_WINDOWS lets both a "
         "read and a write succeed"},
        {"more fields than registers, no OK",
         "L E25 C L",
         "OK_BUTTON = 30\n",
         3,
         {},
         30,
         26,
         27,
         false,
         false,
         "the window has 25 edit fields, more than the 24 registers of a module: which are the module's is "
         "ambiguous, so no REG_ key is suggested"},
        {"fewer fields than the module writes",
         "L E5 L O C L",
         "",
         7,
         {1, 2, 3, 4, 5},
         7,
         8,
         9,
         false,
         false,
         "module 7 writes 9 registers but the window has 5 edit fields: Reg6 to Reg9 have none, so no file "
         "lets a write succeed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHostWindows host;
        buildWindow(host, c.window);
        const auto s = cli::suggestDescription(inspect(host, c.kind, c.wdb));
        const WindowLayout layout = layoutOf(s.text);
        for (std::size_t i = 0; i < c.edits.size(); ++i)
            EXPECT_EQ(layout.controlPositions[i], c.edits[i]) << i;
        if (!c.edits.empty() && c.edits.size() < kRegisterCount) {
            EXPECT_GT(layout.controlPositions[c.edits.size()], 1000)
                << "a register without a field is out of the walk";
        }
        EXPECT_EQ(layout.okPosition, c.ok);
        EXPECT_EQ(layout.cancelPosition, c.cancel);
        EXPECT_EQ(layout.maxWindows, c.maxWindows);
        EXPECT_EQ(s.outcome.readSucceeds, c.read);
        EXPECT_EQ(s.outcome.writeSucceeds, c.write);
        const std::string titleLine = std::string(moduleInfo(c.kind).hostKey) + " = \"" + kTitle + "\"\n";
        EXPECT_NE(s.text.find(titleLine), std::string::npos) << s.text;
        std::string notes;
        for (const std::string& n : s.notes) notes += n + "\n";
        if (c.note.empty())
            EXPECT_EQ(notes, "");
        else
            EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
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
    EXPECT_EQ(s.text.rfind("Q770_ZVI_310_00VM = \"Other\"\n"
                           "Q770_ZCI_310_00VM = \"X\" OK_BUTTON = 60\n"
                           "Q770_ZHC_358_00VM = \"KTR-ZHC-358-00VM\"\n"
                           "REG_00 = 2\n",
                           0),
              0u)
        << s.text;
    EXPECT_EQ(s.text.find("a line without"), std::string::npos);
    EXPECT_EQ(s.text.find("REG_00 = 1"), std::string::npos);
    const std::string end = "OK_BUTTON = 53\nCANCEL_BUTTON = 54\nMAX_WINDOWS = 55\n";
    EXPECT_EQ(s.text.substr(s.text.size() - end.size()), end);
    EXPECT_TRUE(s.outcome.allSucceed()) << problemsOf(s.outcome);
}

TEST(InspectHost, CommandLineStatusAndErrors) {
    FakeHostWindows host;
    buildWindow(host, kDefaultWindow);
    buildWindow(host, "L E8 L8 E8 L8 E7", "Short");
    struct Case {
        std::vector<std::string> args;
        bool withHost;
        int status;
        std::string says; // in stdout for 0 and 1, in the error line for 2
    };
    const Case cases[] = {
        {{"inspect-host", "5"}, false, 2, "velmora-cli: inspect-host needs Windows"},
        {{"inspect-host", "5", "--wdb", "/nonexistent/VELMORA.WDB"}, true, 2, "cannot open"},
        {{"inspect-host", "4"}, true, 2, "no host window titled \"KTR-ZUI-340-00VM\" is open"},
        {{"inspect-host", "5", "--json", "--suggest-wdb"}, true, 2, "--json and --suggest-wdb together"},
        {{"inspect-host", "770_zhc_358vm"}, true, 0, "  1  Edit      0       enabled visible  \"100\""},
        {{"inspect-host", "5", "--title", "Short"}, true, 1, "read:   would fail\n"},
        {{"inspect-host", "5", "--title", "Short", "--json"},
         true,
         1,
         "\"read\": {\"succeeds\": false}, \"write\": {\"succeeds\": false}"},
        {{"inspect-host", "5", "--suggest-wdb"}, true, 0, "MAX_WINDOWS = 54\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::ostringstream out, err;
        const int status = cli::runCli(c.args, out, err, c.withHost ? &host : nullptr);
        EXPECT_EQ(status, c.status);
        EXPECT_NE((status == 2 ? err : out).str().find(c.says), std::string::npos) << out.str() << err.str();
        if (status == 2) {
            EXPECT_EQ(out.str(), "");
        }
    }
    for (const auto& m : host.messages()) EXPECT_EQ(m.kind, Kind::GetText);
}

} // namespace
} // namespace velmora
