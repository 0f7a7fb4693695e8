// velmora-quick-pause.exe: velmora.exe with another pause after each exchange,
// for the long run and the figures. The first word is the pause in
// milliseconds; the rest are velmora.exe's own command words.

#include <windows.h>

#include <cstdlib>

#include "app/tool_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::string> words = velmora::commandWords();
    const auto pause = words.empty() ? 0ul : std::strtoul(words.front().c_str(), nullptr, 10);
    return velmora::runTool({words.begin() + (words.empty() ? 0 : 1), words.end()},
                            static_cast<unsigned>(pause));
}
