// inspect-host end to end: hostsim.exe with layouts that differ from the
// defaults. velmora.exe's write fails; velmora-cli.exe inspect-host says why
// without touching the host; its --suggest-wdb output saved as VELMORA.WDB
// makes the next synchronised cycle read and write every register in its field.

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "win32/cycle_driver.h"
#include "win32/hostsim_process.h"
#include "win32/velmora_process.h"

namespace velmora {
namespace {

using namespace velmora::testing;

struct Layout {
    const char* name;
    const char* file;      // hostsim --layout
    const char* says;      // in inspect-host's output with the default positions
    DWORD suggestedStatus; // inspect-host --suggest-wdb
};

// Both keep the fields in register order, so field i holds register i.
const Layout kLayouts[] = {
    {"a notice and a spare label before the fields, a help button, the buttons moved",
     "label Parameter registers\nlabel Values are written on OK\nfield 1-8\nlabel spare\nfield 9-24\n"
     "button Help\nok\ncancel\nlabel end\n",
     "Reg1 is mapped to position 1, which is a STATIC label", 0},
    // No MAX_WINDOWS lets both a read and a write succeed: the write wins.
    {"one column of fields, OK the last child", "label Registers\nfield 1-24\ncancel &Cancel\nok &OK\n",
     "the OK button is at position 26, the default is 52, where the window has no child", 1},
};

const ModuleKind kFamilies[] = {3, 4, 5, 7}; // analog with alarms, universal, counter, multi-purpose

const std::vector<std::string> kHostTexts = {"c5", "0", "fa", "1",  "2",  "3",  "4",  "5",
                                             "6",  "7", "8",  "9",  "a",  "b",  "c",  "d",
                                             "e",  "f", "10", "11", "12", "13", "14", "15"};

// A layout file beside the workspace's description, gone with the scope.
class LayoutFile {
public:
    LayoutFile(const Workspace& workspace, const std::string& text)
        : path_(workspace.directory() + "\\host.layout") {
        std::ofstream(path_, std::ios::binary) << text;
    }
    ~LayoutFile() { DeleteFileA(path_.c_str()); }
    LayoutFile(const LayoutFile&) = delete;
    LayoutFile& operator=(const LayoutFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class InspectHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lock.owned()) << "another end-to-end test held the driver lock too long";
        ASSERT_NE(GetFileAttributesA(cliPath().c_str()), INVALID_FILE_ATTRIBUTES);
    }

    std::unique_ptr<HostsimProcess> startHost(const std::string& title, const LayoutFile& layout) {
        auto host = std::make_unique<HostsimProcess>(std::vector<std::string>{
            "--title", title, "--layout", layout.path(), "--texts", joinTexts(kHostTexts)});
        EXPECT_NE(host->waitForWindow(title), nullptr);
        return host;
    }

    ConsoleRun inspect(const std::vector<std::string>& arguments) {
        std::vector<std::string> all{"inspect-host"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        return runConsole(cliPath(), all, workspace.directory());
    }

    EndToEndLock lock;
    Workspace workspace;
};

TEST_F(InspectHost, ReadsTheHostWindowAndChangesNothingInIt) {
    const LayoutFile layout(workspace, kLayouts[0].file);
    const auto host = startHost(workspace.title(5), layout);
    const ConsoleRun text = inspect({"5"});
    EXPECT_EQ(text.status, 1u) << text.err;
    EXPECT_NE(text.out.find(kLayouts[0].says), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(" 27  Button    3027    enabled visible  \"Help\""), std::string::npos)
        << text.out;
    const ConsoleRun json = inspect({"5", "--json"});
    EXPECT_EQ(json.status, 1u);
    EXPECT_NE(json.out.find("\"children\": 31, \"complete\": true"), std::string::npos) << json.out;
    EXPECT_EQ(inspect({"5", "--suggest-wdb"}).status, 0u);

    ASSERT_TRUE(host->close().has_value());
    const auto seen = host->result();
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->outcome, "CLOSED");
    EXPECT_EQ(seen->presses, 0);
    EXPECT_EQ(seen->setTexts, 0);
    EXPECT_EQ(seen->texts, kHostTexts);
}

TEST_F(InspectHost, ItsSuggestedDescriptionMakesTheNextCycleWriteEveryRegisterInItsField) {
    VelmoraProcess tool({"50", "SYNC_WITH_CONCEPT"}, workspace.directory(), quickPausePath());
    ASSERT_NE(tool.waitFor(waitingMinimised), nullptr) << tool.describeWindows();
    for (const Layout& layout : kLayouts) {
        const LayoutFile file(workspace, layout.file);
        for (ModuleKind kind : kFamilies) {
            SCOPED_TRACE(std::string(layout.name) + ", module " + std::to_string(kind));
            const std::string& title = workspace.title(kind);
            writeDescription(workspace, workspace.titleLines());

            // With the default positions the write fails.
            const auto first = startHost(title, file);
            HWND dialog = tool.waitFor(moduleDialog(kind));
            ASSERT_NE(dialog, nullptr) << tool.describeWindows();
            sendClick(dialog, IDOK);
            ASSERT_NE(tool.waitFor(VelmoraProcess::showing(kWriteFailedText), 8000, 10), nullptr)
                << tool.describeWindows();

            // While the tool shows its message, the inspector looks.
            const ConsoleRun why = inspect({std::to_string(kind)});
            EXPECT_EQ(why.status, 1u) << why.err << why.failure;
            EXPECT_NE(why.out.find(layout.says), std::string::npos) << why.out;
            const ConsoleRun suggested = inspect({std::to_string(kind), "--suggest-wdb"});
            ASSERT_EQ(suggested.status, layout.suggestedStatus) << suggested.err << suggested.failure;
            writeDescription(workspace, suggested.out);
            first->close();
            ASSERT_TRUE(acknowledge(tool, kWriteFailedText));

            // The next host window of this layout: every register read from
            // its field and written back into it.
            const auto next = startHost(title, file);
            dialog = tool.waitFor(moduleDialog(kind));
            ASSERT_NE(dialog, nullptr) << tool.describeWindows();
            const RegisterWords read = wordsOfTexts(kHostTexts);
            const RegisterWords shown = wordsShownAfterRead(kind, read);
            const std::vector<std::string> fields = shownRegisters(dialog, kind);
            for (std::size_t i = 0; i < fields.size(); ++i)
                EXPECT_EQ(fields[i], hex4(shown[i])) << "Reg" << i + 1;
            sendClick(dialog, IDOK);
            ASSERT_TRUE(next->waitForExit(5000).has_value()) << "the host's OK closed its window";
            const auto seen = next->result();
            ASSERT_TRUE(seen.has_value());
            EXPECT_EQ(seen->outcome, "OK");
            std::vector<std::string> expected = kHostTexts;
            const RegisterWords written = wordsAfterOk(kind, read);
            for (int reg = 0; reg < moduleInfo(kind).writtenCount; ++reg)
                expected[static_cast<std::size_t>(reg)] =
                    writeHostText(written[static_cast<std::size_t>(reg)]);
            EXPECT_EQ(seen->texts, expected);
            ASSERT_NE(tool.waitFor(waitingMinimised, 5000), nullptr) << tool.describeWindows();
        }
    }
}

} // namespace
} // namespace velmora
