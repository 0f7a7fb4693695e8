// velmora.exe

#include <windows.h>

#include "app/tool_win32.h"
#include "hostlink/register_block.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return velmora::runTool(velmora::commandWords(), velmora::kPauseAfterExchangeMs);
}
