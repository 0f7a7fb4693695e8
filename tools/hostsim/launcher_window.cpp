#include "launcher_window.h"

#include <string>

#include "core/catalogue.h"
#include "hostsim_ui.h"
#include "parameter_window.h"

namespace hostsim {
namespace {

constexpr const char* kClassName = "VelmoraHostsimLauncher";
constexpr int kOpenIdBase = 100;

constexpr const char* kIntro = "Open the host's I/O parameter window of a module. Several may be open.";

constexpr int kMargin = 12;
constexpr int kGap = 8;
constexpr int kLabelHeight = 18;
constexpr int kRowHeight = 30;
constexpr int kNameWidth = 110;
constexpr int kTitleWidth = 150;
constexpr int kButtonWidth = 84;
constexpr int kClientWidth = kMargin + kNameWidth + kGap + kTitleWidth + kGap + kButtonWidth + kMargin;
constexpr int kTextWidth = kClientWidth - 2 * kMargin;

// Where the rows go: the introduction wraps to as many lines as the font needs.
struct Layout {
    int introHeight;
    int headingY;
    int firstRowY;
    int clientHeight;
};

Layout layout() {
    Layout l{};
    RECT text{0, 0, kTextWidth, 0};
    if (HDC dc = GetDC(nullptr)) {
        const HGDIOBJ previous = SelectObject(dc, uiFont());
        DrawTextA(dc, kIntro, -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, previous);
        ReleaseDC(nullptr, dc);
    }
    l.introHeight = text.bottom > kLabelHeight ? static_cast<int>(text.bottom) : kLabelHeight;
    l.headingY = kMargin + l.introHeight + kGap;
    l.firstRowY = l.headingY + kLabelHeight + 4;
    l.clientHeight = l.firstRowY + velmora::kModuleCount * kRowHeight + kMargin;
    return l;
}

void createRows(HWND launcher, const Layout& l) {
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    createChild(launcher, "STATIC", kIntro, label, {kMargin, kMargin, kTextWidth, l.introHeight}, -1);
    createChild(launcher, "STATIC", "Module", label, {kMargin, l.headingY, kNameWidth, kLabelHeight}, -1);
    createChild(launcher, "STATIC", "Window title", label,
                {kMargin + kNameWidth + kGap, l.headingY, kTitleWidth, kLabelHeight}, -1);
    for (int kind = 0; kind < velmora::kModuleCount; ++kind) {
        const velmora::ModuleInfo& module = velmora::ModuleCatalogue[kind];
        const int y = l.firstRowY + kind * kRowHeight;
        const std::string name(module.listName);
        const std::string title(module.defaultTitle);
        createChild(launcher, "STATIC", name.c_str(), label, {kMargin, y + 5, kNameWidth, kLabelHeight}, -1);
        createChild(launcher, "STATIC", title.c_str(), label,
                    {kMargin + kNameWidth + kGap, y + 5, kTitleWidth, kLabelHeight}, -1);
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
                createRows(window, layout());
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
    HWND window = createTopLevel(instance, kClassName, "", kClientWidth, layout().clientHeight, nullptr);
    if (window) {
        ShowWindow(window, show);
        UpdateWindow(window);
        // Titled last, as the parameter windows are: found means complete.
        SetWindowTextA(window, "hostsim - host window simulator");
    }
    return window;
}

} // namespace hostsim
