#pragma once
// The whole of velmora.exe behind WinMain: the application object over the
// Win32 ports, and its run cycle.

#include <string>
#include <vector>

namespace velmora {

// The C runtime's split of the command line, program name dropped.
std::vector<std::string> commandWords();

// Runs the tool with these command words; `pauseAfterExchangeMs` is the pause
// after each exchange with a host window. Returns the process's exit code.
int runTool(const std::vector<std::string>& words, unsigned pauseAfterExchangeMs);

} // namespace velmora
