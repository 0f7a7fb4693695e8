// hostsim: stands in for the host program's I/O parameter windows, for demos
// and as the peer of the end-to-end tests.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hostsim_options.h"
#include "launcher_window.h"
#include "parameter_window.h"

namespace {

int run(HINSTANCE instance, int show) {
    const std::vector<std::string> args(__argv + 1, __argv + __argc);
    const hostsim::ParseResult parsed = hostsim::parseOptions(args);
    if (!parsed.options) {
        std::fprintf(stderr, "hostsim: %s\n%s", parsed.error.c_str(), hostsim::usageText());
        return 2;
    }
    const hostsim::Options& options = *parsed.options;
    HWND window = options.launcher ? hostsim::openLauncher(instance, show)
                                   : hostsim::ParameterWindow::open(instance, options, true, show);
    if (!window) return 1;

    MSG message;
    BOOL got;
    while ((got = GetMessageA(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        // Tab, Enter and Esc work as in a dialog.
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (root && IsDialogMessageA(root, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    try {
        return run(instance, show);
    } catch (...) {
        return 4;
    }
}
