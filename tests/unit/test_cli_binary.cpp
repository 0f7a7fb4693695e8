// The built velmora-cli run as scripts run it: a separate process, its
// streams and exit status.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

#ifdef VELMORA_CLI_PATH
constexpr const char* kCliPath = VELMORA_CLI_PATH;
#else
constexpr const char* kCliPath = "";
#endif

struct Process {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliBinary : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(kCliPath).empty() || !std::filesystem::exists(kCliPath))
            GTEST_SKIP() << "velmora-cli not built";
        // A directory of its own: other runs of these tests may share the machine.
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-cli-binary-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }

    // `arguments` are shell words; the command runs in the test's directory.
    Process run(const std::string& arguments) const {
        const auto out = dir_ / "stdout.txt";
        const auto err = dir_ / "stderr.txt";
        const std::string command = "cd '" + dir_.string() + "' && '" + kCliPath + "' " + arguments + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        Process p;
        p.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        p.out = slurp(out);
        p.err = slurp(err);
        return p;
    }

    void write(const std::string& name, const std::string& content) const {
        std::ofstream(dir_ / name, std::ios::binary) << content;
    }

    std::filesystem::path dir_;
};

TEST_F(CliBinary, PrintsResultsOnStdoutWithStatus0) {
    const Process p = run("encode 770_ZHC_358VM ch1.mode=BiDirectional 'ch1.range= 24V ' delay=250");
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "0006 0006 0000 0000 0000 0000 0000 0000 00FA\n");
    EXPECT_EQ(p.err, "");

    const Process json = run("decode 6 00C5 --json");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind("{\"module\": 6, \"name\": \"770_ZHC_354VM\", \"registers\": [\"00C5\", ", 0),
              0u);
}

TEST_F(CliBinary, AnErrorIsOneLineOnStderrWithStatus2) {
    const Process p = run("encode 6 ch5.mode=1");
    EXPECT_EQ(p.status, 2);
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(p.err, "velmora-cli: ch5.mode: the module has channels 1 to 4; allowed: ch1 to ch4\n");

    const Process none = run("");
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("no command given"), std::string::npos);
}

TEST_F(CliBinary, CheckWdbReadsTheFileInTheCurrentDirectory) {
    const Process missing = run("check-wdb");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err.rfind("velmora-cli: cannot open 'VELMORA.WDB'", 0), 0u) << missing.err;

    write("VELMORA.WDB", "OK_BUTTON=60\r\nQ770_ZPM_354_00VM=\"Host seven\"\r\n");
    const Process good = run("check-wdb");
    EXPECT_EQ(good.status, 0) << good.out;
    EXPECT_NE(good.out.find("7 770_ZPM_354VM  \"Host seven\""), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("lines ignored or only partly used: none"), std::string::npos);

    write("VELMORA.WDB", "OK_BUTTON=60\nREG_30=2\n");
    const Process bad = run("check-wdb");
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("REG_30: ignored: register index 30 is out of range"), std::string::npos)
        << bad.out;
    EXPECT_EQ(bad.err, "");
}

TEST_F(CliBinary, ExplanationsGoToStderrAndDiffAnswers1) {
    const Process p = run("encode 7 ch1.timeout=300 --explain");
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.out, "0040 0040 0040 0040 0000 00F0 0000 0000 0000\n");
    EXPECT_NE(p.err.find("  ch1.timeout: 0 -> 240; rule: 300 typed, limited to 240 s\n"), std::string::npos)
        << p.err;

    const Process differ = run("diff 5 00C5 --against 00C4");
    EXPECT_EQ(differ.status, 1);
    EXPECT_EQ(differ.out, "ch1.range  1 \"12V\"  | 0 \"5V\"\nch2.range  1 \"12V\"  | 0 \"5V\"\n");
    EXPECT_EQ(run("diff 5 00C5 --against 0xc5").status, 0);
}

TEST_F(CliBinary, HelpExitsWith0) {
    const Process p = run("--help");
    EXPECT_EQ(p.status, 0);
    EXPECT_NE(p.out.find("velmora-cli encode MODULE [--from WORD...] [ACTION...] [--json]"),
              std::string::npos);
    EXPECT_EQ(p.err, "");
}

} // namespace
