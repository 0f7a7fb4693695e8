// The command-line tool's argument handling: the input is split at NUL bytes
// into arguments. Whatever they are, the tool answers with status 0, 1 or 2;
// an error (2) is exactly one line on stderr and nothing on stdout; success
// writes on stderr only the notes encode --explain asks for; only check-wdb and
// diff answer 1; and the registers encode prints encode to themselves.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "cli/run.h"
#include "fuzz_check.h"

using namespace velmora;
using velmora::fuzz::require;

namespace {

struct Answer {
    int status;
    std::string out, err;
};

Answer run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = cli::runCli(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::string_view bytes = velmora::fuzz::asText(data, size);
    std::vector<std::string> args;
    for (std::size_t start = 0; size > 0 && start <= bytes.size();) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        args.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    const auto has = [&](std::string_view a) { return std::find(args.begin(), args.end(), a) != args.end(); };
    // check-wdb opens the files it is given: only names in the current
    // directory, so no input reaches a device or a file that never ends.
    if (args.size() > 64 || (!args.empty() && args[0] == "check-wdb" &&
                             std::any_of(args.begin(), args.end(), [](const std::string& a) {
                                 return a.find('/') != std::string::npos;
                             })))
        return -1; // not kept in the corpus

    const Answer first = run(args);
    if (first.status == cli::kExitError) {
        require(first.out.empty() && !first.err.empty() && first.err.find('\n') == first.err.size() - 1,
                "an error is exactly one line on stderr and nothing on stdout");
    } else {
        require(first.status == cli::kExitOk || first.status == cli::kExitNotAllInEffect,
                "the exit status is 0, 1 or 2");
        require(first.err.empty() || (args[0] == "encode" && has("--explain")),
                "success writes nothing on stderr unless asked to explain");
        require(!first.out.empty(), "success always prints something");
        require(first.status == cli::kExitOk || args[0] == "check-wdb" || args[0] == "diff",
                "only check-wdb and diff answer 1");
    }

    if (args.size() < 2 || args[0] != "encode" || first.status != cli::kExitOk || has("--json") ||
        has("--help") || has("-h") || args[1].starts_with("--"))
        return 0;
    std::vector<std::string> again{"encode", args[1], "--from"};
    std::istringstream words(first.out);
    for (std::string w; words >> w;) again.push_back(w);
    const Answer second = run(again);
    require(second.status == cli::kExitOk && second.out == first.out,
            "printed registers encode to themselves");
    return 0;
}
