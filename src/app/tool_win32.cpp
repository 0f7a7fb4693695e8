#include "app/tool_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <memory>

#include "app/app_ports_win32.h"
#include "app/config_app.h"
#include "dialogs/dialog_factory_win32.h"
#include "hostlink/host_windows_win32.h"
#include "modules/module_editors.h"

namespace velmora {

std::vector<std::string> commandWords() {
    std::vector<std::string> words;
    for (int i = 1; i < __argc && __argv; ++i) words.emplace_back(__argv[i] ? __argv[i] : "");
    return words;
}

namespace {

int runToolUnguarded(const std::vector<std::string>& words, unsigned pauseAfterExchangeMs) {
    // The controls' current look; the manifest asks for version 6.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // Declared before the application, so they outlive it: its destructor
    // closes the start-up window and joins the waiting thread, and the
    // editor it deletes may still reach the host through them.
    Win32HostWindows windows;
    Win32Clock clock;
    Win32MessageBoxes messages;
    Win32ModuleList moduleList;

    AppPorts ports;
    ports.instanceMutex = std::make_unique<Win32InstanceGuard>();
    ports.createStateLock = &Win32StateLock::create;
    ports.messages = &messages;
    ports.windows = &windows;
    ports.clock = &clock;
    ports.createStartupWindow = [] { return std::make_unique<Win32StartupWindow>(); };
    ports.moduleList = &moduleList;
    ports.createEditor = editorFactory(win32DialogFactory());
    ports.pauseAfterExchangeMs = pauseAfterExchangeMs;

    ConfigApp app(std::move(ports));
    app.runCycle(words);
    return 0;
}

} // namespace

int runTool(const std::vector<std::string>& words, unsigned pauseAfterExchangeMs) {
    try {
        return runToolUnguarded(words, pauseAfterExchangeMs);
    } catch (...) {
        // Setting up the ports failed (out of memory): end quietly, as the
        // run cycle itself does.
        return 1;
    }
}

} // namespace velmora
