#pragma once
// With no options hostsim shows this list of the eight modules; each row's
// button opens that module's parameter window, as many as one likes.

#include <windows.h>

namespace hostsim {

// Closing the launcher ends the message loop. Null when it cannot be made.
HWND openLauncher(HINSTANCE instance, int show);

} // namespace hostsim
