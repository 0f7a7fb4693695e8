// The command-line tool's argument handling: the input is split at NUL bytes
// into arguments. Whatever they are, the tool answers with status 0, 1 or 2;
// an error (2) is exactly one line on stderr and nothing on stdout; success
// writes on stderr only the notes encode --explain asks for; only check-wdb and
// diff answer 1; the same arguments give the same answer; and the registers
// encode prints are a fixed point: encoding them again from the host gives
// them back.

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
    std::string out;
    std::string err;
};

Answer run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = cli::runCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> split(std::string_view bytes) {
    std::vector<std::string> args;
    if (bytes.empty()) return args;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = bytes.find('\0', start);
        args.emplace_back(bytes.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return args;
}

bool has(const std::vector<std::string>& args, std::string_view a) {
    for (const std::string& x : args)
        if (x == a) return true;
    return false;
}

// check-wdb opens the files it is given: keep it to names in the current
// directory, so no input reaches a device or a file that never ends.
bool opensOnlyLocalFiles(const std::vector<std::string>& args) {
    if (args.empty() || args.front() != "check-wdb") return true;
    for (const std::string& a : args)
        if (a.find('/') != std::string::npos) return false;
    return true;
}

void checkEncodeIsAFixedPoint(const std::vector<std::string>& args, const Answer& first) {
    if (args.size() < 2 || args.front() != "encode" || first.status != cli::kExitOk) return;
    if (has(args, "--json") || has(args, "--help") || has(args, "-h")) return;
    std::string module;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() > 2 && args[i].rfind("--", 0) == 0) continue;
        module = args[i];
        break;
    }
    std::vector<std::string> again{"encode", module, "--from"};
    std::istringstream words(first.out);
    for (std::string w; words >> w;) again.push_back(w);
    const Answer second = run(again);
    require(second.status == cli::kExitOk, "encoding printed registers again succeeds");
    require(second.out == first.out, "printed registers encode to themselves");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const std::vector<std::string> args = split(velmora::fuzz::asText(data, size));
    if (args.size() > 64 || !opensOnlyLocalFiles(args)) return -1; // not kept in the corpus

    const Answer first = run(args);
    require(first.status == cli::kExitOk || first.status == cli::kExitNotAllInEffect ||
                first.status == cli::kExitError,
            "the exit status is 0, 1 or 2");
    if (first.status == cli::kExitError) {
        require(first.out.empty(), "an error writes nothing on stdout");
        require(!first.err.empty() && first.err.back() == '\n' &&
                    first.err.find('\n') == first.err.size() - 1,
                "an error is exactly one line on stderr");
    } else {
        if (args.front() != "encode" || !has(args, "--explain"))
            require(first.err.empty(), "success writes nothing on stderr unless asked to explain");
        require(!first.out.empty(), "success always prints something");
    }
    if (first.status == cli::kExitNotAllInEffect)
        require(args.front() == "check-wdb" || args.front() == "diff", "only check-wdb and diff answer 1");

    const Answer second = run(args);
    require(second.status == first.status && second.out == first.out && second.err == first.err,
            "the same arguments give the same answer");

    checkEncodeIsAFixedPoint(args, first);
    return 0;
}
