#pragma once
// The command-line tool run in-process through runCli: what a script would see
// on stdout, stderr and in the exit status.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/run.h"

namespace velmora::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliRun run(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    CliRun r;
    r.status = cli::runCli(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// A refused command line: status 2, nothing on stdout, and one line on stderr
// that names the tool and contains `says`.
inline void expectRefused(const std::vector<std::string>& args, const std::string& says) {
    std::string shown;
    for (const std::string& a : args) shown += "[" + a + "] ";
    const CliRun r = run(args);
    EXPECT_EQ(r.status, 2) << shown;
    EXPECT_EQ(r.out, "") << shown;
    EXPECT_EQ(r.err.rfind("velmora-cli: ", 0), 0u) << shown << r.err;
    EXPECT_NE(r.err.find(says), std::string::npos) << shown << "\n  got: " << r.err;
    EXPECT_TRUE(!r.err.empty() && r.err.find('\n') == r.err.size() - 1) << shown << "one line: " << r.err;
}

} // namespace velmora::testing
