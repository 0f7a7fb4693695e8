#include "launcher_window.h"

#include <string>

#include "core/catalogue.h"
#include "hostsim_ui.h"
#include "parameter_window.h"

namespace hostsim {
namespace {

constexpr const char* kClassName = "VelmoraHostsimLauncher";
constexpr int kOpenIdBase = 100;

constexpr int kMargin = 12;
constexpr int kRowHeight = 30;
constexpr int kFirstRowY = 58;
constexpr int kNameWidth = 110;
constexpr int kTitleWidth = 150;
constexpr int kButtonWidth = 84;
constexpr int kClientWidth = kMargin + kNameWidth + 8 + kTitleWidth + 8 + kButtonWidth + kMargin;
constexpr int kClientHeight = kFirstRowY + velmora::kModuleCount * kRowHeight + kMargin;

void createRows(HWND launcher) {
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    createChild(launcher, "STATIC", "Open the host's I/O parameter window of a module. Several may be open.",
                label, {kMargin, kMargin, kClientWidth - 2 * kMargin, 18}, -1);
    createChild(launcher, "STATIC", "Module", label, {kMargin, 36, kNameWidth, 18}, -1);
    createChild(launcher, "STATIC", "Window title", label, {kMargin + kNameWidth + 8, 36, kTitleWidth, 18},
                -1);
    for (int kind = 0; kind < velmora::kModuleCount; ++kind) {
        const velmora::ModuleInfo& module = velmora::ModuleCatalogue[kind];
        const int y = kFirstRowY + kind * kRowHeight;
        const std::string name(module.listName);
        const std::string title(module.defaultTitle);
        createChild(launcher, "STATIC", name.c_str(), label, {kMargin, y + 5, kNameWidth, 18}, -1);
        createChild(launcher, "STATIC", title.c_str(), label,
                    {kMargin + kNameWidth + 8, y + 5, kTitleWidth, 18}, -1);
        createChild(launcher, "BUTTON", "Open", WS_TABSTOP | BS_PUSHBUTTON,
                    {kClientWidth - kMargin - kButtonWidth, y, kButtonWidth, 26}, kOpenIdBase + kind);
    }
}

void openModule(HWND launcher, int kind) {
    Options options;
    options.launcher = false;
    options.title = std::string(velmora::ModuleCatalogue[kind].defaultTitle);
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(launcher, GWLP_HINSTANCE));
    // Beside the launcher, each new window a step down and right of the last.
    const LONG_PTR opened = GetWindowLongPtrA(launcher, GWLP_USERDATA);
    SetWindowLongPtrA(launcher, GWLP_USERDATA, opened + 1);
    const int step = 28 * static_cast<int>(opened % 10);
    RECT frame{};
    GetWindowRect(launcher, &frame);
    const POINT at{frame.right + 8 + step, frame.top + step};
    ParameterWindow::open(instance, options, false, SW_SHOWNORMAL, &at);
}

LRESULT CALLBACK launcherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto standard = [&] { return DefWindowProcA(window, message, wParam, lParam); };
    return guarded(
        [&]() -> LRESULT {
            switch (message) {
            case WM_CREATE:
                createRows(window);
                return 0;
            case WM_COMMAND: {
                const int kind = LOWORD(wParam) - kOpenIdBase;
                if (HIWORD(wParam) == BN_CLICKED && kind >= 0 && kind < velmora::kModuleCount)
                    openModule(window, kind);
                return 0;
            }
            case WM_DESTROY:
                PostQuitMessage(0);
                return 0;
            }
            return standard();
        },
        standard);
}

} // namespace

HWND openLauncher(HINSTANCE instance, int show) {
    if (!registerWindowClass(instance, kClassName, launcherProc)) return nullptr;
    HWND window = createTopLevel(instance, kClassName, "", kClientWidth, kClientHeight, nullptr);
    if (window) {
        ShowWindow(window, show);
        UpdateWindow(window);
        // Titled last, as the parameter windows are: found means complete.
        SetWindowTextA(window, "hostsim - host window simulator");
    }
    return window;
}

} // namespace hostsim
