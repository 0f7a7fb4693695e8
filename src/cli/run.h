#pragma once
// The command-line tool as a function, so tests run it in-process.

#include <ostream>
#include <string>
#include <vector>

namespace velmora {
class HostWindows;
}

namespace velmora::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNotAllInEffect = 1; // check-wdb: some line with a key did not take effect
inline constexpr int kExitDiffer = 1;         // diff: some setting differs
inline constexpr int kExitWouldFail = 1;      // inspect-host: a read, write or cancel would fail
inline constexpr int kExitError = 2;          // bad arguments or values, unreadable file

// `args` are the arguments after the program name. Results go to `out`, and
// encode's --explain to `err`; an error is one line on `err` with nothing on
// `out`. Returns the exit status. `host` reaches the host's windows; without
// it (the Linux build) inspect-host refuses.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           HostWindows* host = nullptr);

} // namespace velmora::cli
