#include "parameter_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "hostsim_ui.h"

namespace hostsim {
namespace {

constexpr const char* kClassName = "VelmoraHostsimParameters";
constexpr int kFieldIdBase = 1000;
constexpr int kLabelIdBase = 2000;
constexpr int kButtonIdBase = 3000;

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

int columnX(int column) {
    return kMargin + column * kColumnWidth;
}
int rowY(int row) {
    return kFirstRowY + row * kRowHeight;
}

// A layout file's children flow down columns of this many rows.
constexpr int kFlowRows = 14;
constexpr int kFlowWidth = 120;
constexpr int kFlowHeight = 28;

int flowColumns(std::size_t children) {
    return std::max(1, static_cast<int>((children + kFlowRows - 1) / kFlowRows));
}

// Today's window as a layout: a heading, three columns of eight fields and
// their eight captions, three column headings, OK, Cancel and the counters.
std::vector<LayoutChild> defaultLayout(const std::string& title) {
    using Kind = LayoutChild::Kind;
    std::vector<LayoutChild> layout;
    layout.push_back({Kind::Label, "Parameter registers of " + title + " (hexadecimal)", -1});
    for (int column = 0; column < 3; ++column) {
        for (int row = 0; row < 8; ++row) layout.push_back({Kind::Field, "", column * 8 + row});
        for (int row = 0; row < 8; ++row)
            layout.push_back({Kind::Label, "Reg" + std::to_string(column * 8 + row + 1), -1});
    }
    for (int column = 0; column < 3; ++column)
        layout.push_back({Kind::Label,
                          "Reg" + std::to_string(column * 8 + 1) + " to Reg" + std::to_string(column * 8 + 8),
                          -1});
    layout.push_back({Kind::Ok, "OK", -1});
    layout.push_back({Kind::Cancel, "Cancel", -1});
    layout.push_back({Kind::Counters, "", -1});
    return layout;
}

// Where the default layout puts the child at `position`.
Box defaultBox(int position) {
    if (position == 0) return {kMargin, kMargin, kClientWidth - 2 * kMargin, 18};
    if (position < kHeadingsPosition) {
        const int column = (position - 1) / kColumnStride;
        const int offset = (position - 1) % kColumnStride;
        const int row = offset % 8;
        const int x = columnX(column);
        return offset < 8 ? Box{x + kCaptionWidth + 4, rowY(row), kFieldWidth, 22}
                          : Box{x, rowY(row) + 3, kCaptionWidth, 18};
    }
    if (position < kOkPosition)
        return {columnX(position - kHeadingsPosition) + kCaptionWidth + 4, 40, kFieldWidth + 20, 18};
    if (position == kOkPosition || position == kCancelPosition) {
        const bool ok = position == kOkPosition;
        return {kClientWidth - kMargin - kButtonWidth - (ok ? kButtonWidth + 8 : 0), kButtonY, kButtonWidth,
                kButtonHeight};
    }
    return {kMargin, kButtonY + 5, 2 * kColumnWidth - 20, 18};
}

Box flowBox(int position) {
    return {kMargin + (position / kFlowRows) * kFlowWidth, kMargin + (position % kFlowRows) * kFlowHeight,
            kFlowWidth - 8, 22};
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
    const bool flow = !options.layout.empty();
    const int width = flow ? 2 * kMargin + flowColumns(options.layout.size()) * kFlowWidth : kClientWidth;
    const int height = flow ? 2 * kMargin + kFlowRows * kFlowHeight : kClientHeight;
    HWND window = createTopLevel(instance, kClassName, "", width, height, self);
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
    using Kind = LayoutChild::Kind;
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    const DWORD field = WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
    const bool flow = !options_.layout.empty();
    const std::vector<LayoutChild> layout = flow ? options_.layout : defaultLayout(options_.title);
    const int count = options_.childrenGiven ? std::min(options_.children, static_cast<int>(layout.size()))
                                             : static_cast<int>(layout.size());
    for (int position = 0; position < count; ++position) {
        const LayoutChild& child = layout[static_cast<std::size_t>(position)];
        const Box box = flow ? flowBox(position) : defaultBox(position);
        switch (child.kind) {
        case Kind::Label: {
            // The default layout's register captions stand right of nothing but their field.
            const bool caption = !flow && position > 0 && position < kHeadingsPosition;
            createChild(window_, "STATIC", child.text.c_str(), label | (caption ? SS_RIGHT : 0), box,
                        kLabelIdBase + position);
            break;
        }
        case Kind::Field: {
            HWND edit = createChild(window_, "EDIT", options_.texts[child.reg].c_str(), field, box,
                                    kFieldIdBase + child.reg, WS_EX_CLIENTEDGE);
            if (edit)
                SetWindowSubclass(edit, fieldProc, static_cast<UINT_PTR>(child.reg),
                                  reinterpret_cast<DWORD_PTR>(this));
            fields_[child.reg] = edit;
            break;
        }
        case Kind::Ok:
        case Kind::Cancel:
        case Kind::Button: {
            const int id = child.kind == Kind::Ok       ? IDOK
                           : child.kind == Kind::Cancel ? IDCANCEL
                                                        : kButtonIdBase + position;
            HWND pushButton = createChild(window_, "BUTTON", child.text.c_str(),
                                          button | (child.kind == Kind::Ok ? BS_DEFPUSHBUTTON : 0), box, id);
            if (pushButton) SetWindowSubclass(pushButton, buttonProc, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        }
        case Kind::Counters:
            counters_ = createChild(window_, "STATIC", "", label, box, kLabelIdBase + position);
            break;
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
    if (message == WM_SETTEXT) ++result_.setTexts;
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
    // Only OK and Cancel close the window; another button just counts.
    if (options_.sticky || (buttonId != IDOK && buttonId != IDCANCEL)) return;
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
            case WM_SETTEXT:
                ++window->result_.setTexts;
                break;
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
