#pragma once
// The command-line tool run in-process through runCli: what a script would see
// on stdout, stderr and in the exit status.

#include <sstream>
#include <string>
#include <vector>

#include "app/cli_run.h"

namespace velmora::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline CliRun run(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    CliRun r;
    r.status = cli::runCli(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

} // namespace velmora::testing
