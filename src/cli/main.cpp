// velmora-cli: the portable command-line tool; the logic lives in the core.

#include <iostream>
#include <string>
#include <vector>

#include "cli/run.h"
#ifdef _WIN32
#include "hostlink/host_windows_win32.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
#ifdef _WIN32
    velmora::Win32HostWindows host;
    return velmora::cli::runCli(args, std::cout, std::cerr, &host);
#else
    return velmora::cli::runCli(args, std::cout, std::cerr);
#endif
}
