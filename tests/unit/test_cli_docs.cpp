// The documentation's examples, run: every "$ " line in a code block of the
// pages below is a command, and the lines under it, up to the next "$ " line
// or the end of the block, are what it prints (stderr before stdout). A line
// "..." (indented or not) stands for any number of lines. Each page's
// commands run in order in a temporary directory of their own, so a file
// written by one is read by the next.

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "unit/cli_in_process.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

#ifdef VELMORA_SOURCE_DIR
constexpr const char* kSourceDir = VELMORA_SOURCE_DIR;
#else
constexpr const char* kSourceDir = ".";
#endif

struct Page {
    const char* path;
    int commands; // so that a page whose examples stop being found fails
};
constexpr Page kPages[] = {{"docs/cli.md", 27}, {"README.md", 2}};

struct Example {
    int line; // of the command, from 1
    std::string command;
    std::vector<std::string> shown;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<Example> examplesOf(const std::vector<std::string>& lines) {
    std::vector<Example> examples;
    std::size_t fence = 0;  // backticks of the open code block, 0 outside one
    bool inExample = false; // a command of this block came before
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::size_t ticks = line.find_first_not_of('`');
        const std::size_t run = ticks == std::string::npos ? line.size() : ticks;
        if (run >= 3 && (fence == 0 || (run >= fence && ticks == std::string::npos))) {
            fence = fence == 0 ? run : 0;
            inExample = false;
            continue;
        }
        if (fence == 0) continue;
        if (line.rfind("$ ", 0) == 0) {
            examples.push_back({static_cast<int>(i + 1), line.substr(2), {}});
            inExample = true;
        } else if (inExample) {
            examples.back().shown.push_back(line);
        }
    }
    return examples;
}

// Shell words: blanks separate, '...' is literal, "..." keeps blanks and takes
// \" \\ \$, a bare backslash quotes the next character.
std::vector<std::string> shellWords(const std::string& command) {
    std::vector<std::string> words;
    std::optional<std::string> word;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (c == ' ') {
            if (word) words.push_back(*word);
            word.reset();
            continue;
        }
        if (!word) word.emplace();
        if (c == '\'') {
            const std::size_t end = command.find('\'', i + 1);
            word->append(command, i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            for (++i; i < command.size() && command[i] != '"'; ++i) {
                if (command[i] == '\\' && i + 1 < command.size() &&
                    std::string("\"\\$").find(command[i + 1]) != std::string::npos)
                    ++i;
                *word += command[i];
            }
        } else if (c == '\\' && i + 1 < command.size()) {
            *word += command[++i];
        } else {
            *word += c;
        }
    }
    if (word) words.push_back(*word);
    return words;
}

// printf's format with the escapes the pages use; nullopt for anything else.
std::optional<std::string> printfText(const std::string& format) {
    std::string text;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '\\' && c != '%') {
            text += c;
            continue;
        }
        if (++i == format.size()) return std::nullopt;
        const char next = format[i];
        if (c == '%' && next == '%')
            text += '%';
        else if (c == '\\' && next == 'n')
            text += '\n';
        else if (c == '\\' && next == 'r')
            text += '\r';
        else if (c == '\\' && next == 't')
            text += '\t';
        else if (c == '\\' && next == '\\')
            text += '\\';
        else
            return std::nullopt;
    }
    return text;
}

// "...", indented or not.
bool isGap(const std::string& line) {
    const std::size_t start = line.find_first_not_of(' ');
    return start != std::string::npos && line.compare(start, std::string::npos, "...") == 0;
}

// Whether `actual` is `shown` with each "..." standing for any number of lines.
bool matches(const std::vector<std::string>& shown, std::size_t s, const std::vector<std::string>& actual,
             std::size_t a) {
    if (s == shown.size()) return a == actual.size();
    if (isGap(shown[s])) {
        for (std::size_t skip = a; skip <= actual.size(); ++skip)
            if (matches(shown, s + 1, actual, skip)) return true;
        return false;
    }
    return a < actual.size() && shown[s] == actual[a] && matches(shown, s + 1, actual, a + 1);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "    " + line + "\n";
    return text;
}

// A shell as far as the pages need one: velmora-cli in-process, `echo $?`,
// and printf into a file of the current directory.
class PageShell {
public:
    // Runs one command: the lines it printed, or nullopt for a command this
    // shell does not know.
    std::optional<std::vector<std::string>> run(const std::string& command) {
        const std::vector<std::string> words = shellWords(command);
        if (command == "echo $?") return std::vector<std::string>{std::to_string(status_)};
        if (words.size() == 4 && words[0] == "printf" && words[2] == ">") {
            const std::optional<std::string> text = printfText(words[1]);
            if (!text) return std::nullopt;
            std::ofstream(words[3], std::ios::binary) << *text;
            status_ = 0;
            return std::vector<std::string>{};
        }
        if (words.empty() || words[0] != "velmora-cli") return std::nullopt;
        const testing::CliRun r = testing::run({words.begin() + 1, words.end()});
        status_ = r.status;
        return linesOf(r.err + r.out);
    }

private:
    int status_ = 0;
};

// The current directory for the life of the object: a new empty one.
class TemporaryDirectory {
public:
    TemporaryDirectory() : previous_(fs::current_path()) {
        std::string pattern = (fs::temp_directory_path() / "velmora-docs-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
        if (!path_.empty()) fs::current_path(path_);
    }
    ~TemporaryDirectory() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    bool made() const { return !path_.empty(); }

private:
    fs::path previous_;
    fs::path path_;
};

TEST(CliDocs, EveryExampleOnThePagesPrintsWhatItShows) {
    for (const Page& page : kPages) {
        SCOPED_TRACE(page.path);
        std::ifstream in(fs::path(kSourceDir) / page.path, std::ios::binary);
        ASSERT_TRUE(in) << "cannot read " << page.path;
        const std::vector<std::string> lines =
            linesOf({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});

        int commandLines = 0;
        for (const std::string& line : lines) commandLines += line.rfind("$ ", 0) == 0 ? 1 : 0;
        const std::vector<Example> examples = examplesOf(lines);
        EXPECT_EQ(static_cast<int>(examples.size()), commandLines) << "a \"$ \" line outside a code block";
        EXPECT_EQ(static_cast<int>(examples.size()), page.commands);

        const TemporaryDirectory directory;
        ASSERT_TRUE(directory.made());
        PageShell shell;
        for (const Example& example : examples) {
            const auto printed = shell.run(example.command);
            if (!printed) {
                ADD_FAILURE() << page.path << ":" << example.line
                              << ": not a command the test runs: " << example.command;
                continue;
            }
            EXPECT_TRUE(matches(example.shown, 0, *printed, 0))
                << page.path << ":" << example.line << ": $ " << example.command << "\n  shown:\n"
                << joined(example.shown) << "  printed:\n"
                << joined(*printed);
        }
    }
}

} // namespace
} // namespace velmora
