#include "parameter_window.h"

#include <commctrl.h>

#include <string>

#include "hostsim_ui.h"

namespace hostsim {
namespace {

constexpr const char* kClassName = "VelmoraHostsimParameters";
constexpr int kFieldIdBase = 1000;
constexpr int kLabelIdBase = 2000;

// Geometry of the three columns of eight "RegN" captions and fields.
constexpr int kMargin = 12;
constexpr int kColumnWidth = 170;
constexpr int kCaptionWidth = 48;
constexpr int kFieldWidth = 96;
constexpr int kRowHeight = 28;
constexpr int kFirstRowY = 62;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 26;
constexpr int kClientWidth = kMargin + 2 * kColumnWidth + kCaptionWidth + 4 + kFieldWidth + kMargin;
constexpr int kButtonY = kFirstRowY + 8 * kRowHeight + 10;
constexpr int kClientHeight = kButtonY + kButtonHeight + kMargin;

// Child positions 1 + 16c .. 8 + 16c are the fields of column c, the next
// eight their captions; 49-51 the column headings.
constexpr int kColumnStride = 16;
constexpr int kHeadingsPosition = 49;
constexpr int kOkPosition = 52;
constexpr int kCancelPosition = 53;
constexpr int kCountersPosition = 54;

int columnX(int column) {
    return kMargin + column * kColumnWidth;
}
int rowY(int row) {
    return kFirstRowY + row * kRowHeight;
}

} // namespace

ParameterWindow::ParameterWindow(const Options& options, bool quitOnClose)
    : options_(options), quitOnClose_(quitOnClose) {
    result_.texts = options.texts;
}

HWND ParameterWindow::open(HINSTANCE instance, const Options& options, bool quitOnClose, int show,
                           const POINT* at) {
    if (!registerWindowClass(instance, kClassName, windowProc)) return nullptr;
    auto* self = new ParameterWindow(options, quitOnClose);
    // From WM_NCCREATE on, the window owns `self`; if creation fails before
    // that, nothing took it.
    HWND window = createTopLevel(instance, kClassName, "", kClientWidth, kClientHeight, self);
    if (!window) {
        if (!self->window_) delete self;
        return nullptr;
    }
    if (at) SetWindowPos(window, nullptr, at->x, at->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(window, show);
    UpdateWindow(window);
    // Titled last: whoever finds the window by its title finds every child there.
    SetWindowTextA(window, options.title.c_str());
    return window;
}

void ParameterWindow::createChildren() {
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    const DWORD field = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    for (int position = 0; position < options_.children; ++position) {
        if (position == 0) {
            const std::string heading = "Parameter registers of " + options_.title + " (hexadecimal)";
            createChild(window_, "STATIC", heading.c_str(), label,
                        {kMargin, kMargin, kClientWidth - 2 * kMargin, 18}, kLabelIdBase);
        } else if (position < kHeadingsPosition) {
            const int column = (position - 1) / kColumnStride;
            const int offset = (position - 1) % kColumnStride;
            const int row = offset % 8;
            const int reg = column * 8 + row;
            const int x = columnX(column);
            if (offset < 8) {
                HWND edit = createChild(window_, "EDIT", options_.texts[reg].c_str(), field,
                                        {x + kCaptionWidth + 4, rowY(row), kFieldWidth, 22},
                                        kFieldIdBase + reg, WS_EX_CLIENTEDGE);
                if (edit)
                    SetWindowSubclass(edit, fieldProc, static_cast<UINT_PTR>(reg),
                                      reinterpret_cast<DWORD_PTR>(this));
                fields_[reg] = edit;
            } else {
                const std::string caption = "Reg" + std::to_string(reg + 1);
                createChild(window_, "STATIC", caption.c_str(), label | SS_RIGHT,
                            {x, rowY(row) + 3, kCaptionWidth, 18}, kLabelIdBase + position);
            }
        } else if (position < kOkPosition) {
            const int column = position - kHeadingsPosition;
            const std::string heading =
                "Reg" + std::to_string(column * 8 + 1) + " to Reg" + std::to_string(column * 8 + 8);
            createChild(window_, "STATIC", heading.c_str(), label,
                        {columnX(column) + kCaptionWidth + 4, 40, kFieldWidth + 20, 18},
                        kLabelIdBase + position);
        } else if (position == kOkPosition || position == kCancelPosition) {
            const bool ok = position == kOkPosition;
            const int x = kClientWidth - kMargin - kButtonWidth - (ok ? kButtonWidth + 8 : 0);
            HWND pushButton =
                createChild(window_, "BUTTON", ok ? "OK" : "Cancel", button | (ok ? BS_DEFPUSHBUTTON : 0),
                            {x, kButtonY, kButtonWidth, kButtonHeight}, ok ? IDOK : IDCANCEL);
            if (pushButton) SetWindowSubclass(pushButton, buttonProc, 0, reinterpret_cast<DWORD_PTR>(this));
        } else if (position == kCountersPosition) {
            counters_ =
                createChild(window_, "STATIC", "", label, {kMargin, kButtonY + 5, 2 * kColumnWidth - 20, 18},
                            kLabelIdBase + position);
        }
    }
    showCounters();
}

void ParameterWindow::showCounters() {
    if (!counters_) return;
    const std::string text = "Text messages: " + std::to_string(textMessages_) +
                             "    Button presses: " + std::to_string(result_.presses);
    SetWindowTextA(counters_, text.c_str());
}

LRESULT ParameterWindow::onHostText(HWND field, int registerIndex, UINT message, WPARAM wParam,
                                    LPARAM lParam) {
    if (options_.hangAfter && !hangDone_ && textMessages_ >= *options_.hangAfter) {
        hangDone_ = true;
        Sleep(static_cast<DWORD>(options_.hangMs));
    }
    ++textMessages_;
    const bool frozen =
        message == WM_SETTEXT && options_.frozenRegister && *options_.frozenRegister == registerIndex + 1;
    // A frozen field claims to take the text but keeps its own.
    const LRESULT answer = frozen ? TRUE : DefSubclassProc(field, message, wParam, lParam);
    showCounters();
    if (options_.vanishAfter && textMessages_ == *options_.vanishAfter)
        DestroyWindow(window_); // deletes this
    return answer;
}

void ParameterWindow::onPress(int buttonId) {
    ++result_.presses;
    showCounters();
    if (options_.sticky) return;
    result_.outcome = buttonId == IDOK ? Outcome::Ok : Outcome::Cancel;
    // Destroyed before the press message returns, so the presser sees the
    // button gone as soon as its send completes.
    DestroyWindow(window_); // deletes this
}

void ParameterWindow::onDestroy() {
    readingOwnFields_ = true;
    for (int reg = 0; reg < kRegisterFields; ++reg) {
        HWND field = fields_[reg];
        if (!field) continue;
        const int length = GetWindowTextLengthA(field);
        std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
        const int copied = GetWindowTextA(field, text.data(), static_cast<int>(text.size()));
        text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
        result_.texts[reg] = text;
    }
    readingOwnFields_ = false;
    const bool written = options_.resultFile.empty() || writeResult(options_.resultFile, result_);
    if (quitOnClose_) PostQuitMessage(written ? 0 : 3);
}

LRESULT CALLBACK ParameterWindow::fieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self) {
    auto* window = reinterpret_cast<ParameterWindow*>(self);
    const auto standard = [&] { return DefSubclassProc(field, message, wParam, lParam); };
    return guarded(
        [&] {
            switch (message) {
            case WM_GETTEXT:
            case WM_SETTEXT:
                if (!window->readingOwnFields_)
                    return window->onHostText(field, static_cast<int>(id), message, wParam, lParam);
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(field, fieldProc, id);
                break;
            }
            return standard();
        },
        standard);
}

LRESULT CALLBACK ParameterWindow::buttonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR self) {
    auto* window = reinterpret_cast<ParameterWindow*>(self);
    const auto standard = [&] { return DefSubclassProc(button, message, wParam, lParam); };
    return guarded(
        [&] {
            switch (message) {
            case WM_LBUTTONUP: {
                // The button's own click notification comes from inside this
                // call and must not count a second time.
                window->inMouseUp_ = true;
                const LRESULT answer = standard();
                window->inMouseUp_ = false;
                window->onPress(GetDlgCtrlID(button));
                return answer;
            }
            case WM_NCDESTROY:
                RemoveWindowSubclass(button, buttonProc, id);
                break;
            }
            return standard();
        },
        standard);
}

LRESULT CALLBACK ParameterWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ParameterWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<ParameterWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    const auto standard = [&] { return DefWindowProcA(window, message, wParam, lParam); };
    if (!self) return standard();

    return guarded(
        [&]() -> LRESULT {
            switch (message) {
            case WM_CREATE:
                self->createChildren();
                return 0;
            case WM_COMMAND:
                // Clicks arrive through the buttons' mouse-up; this is the
                // keyboard (Enter, Esc, space on a focused button).
                if (HIWORD(wParam) == BN_CLICKED && !self->inMouseUp_ &&
                    (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
                    self->onPress(LOWORD(wParam));
                return 0;
            case WM_DESTROY:
                self->onDestroy();
                return 0;
            case WM_NCDESTROY:
                SetWindowLongPtrA(window, GWLP_USERDATA, 0);
                delete self;
                break;
            }
            return standard();
        },
        standard);
}

} // namespace hostsim
