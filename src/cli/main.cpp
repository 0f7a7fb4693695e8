// velmora-cli: the portable command-line tool; the logic lives in the core.

#include <iostream>
#include <string>
#include <vector>

#include "cli/run.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
    return velmora::cli::runCli(args, std::cout, std::cerr);
}
