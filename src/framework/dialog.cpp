#include "framework/dialog.h"

#include <algorithm>

namespace velmora {

HINSTANCE resourceModule() {
    // The resource scripts are linked into the executable itself (the tool
    // and the test binary alike), never into a DLL.
    return GetModuleHandleA(nullptr);
}

std::string loadResourceString(UINT id) {
    char buffer[512] = {};
    const int length = LoadStringA(resourceModule(), id, buffer, static_cast<int>(sizeof buffer));
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

HICON loadIcon(int id, bool small) {
    // Shared icons belong to the system: nobody has to destroy them.
    return static_cast<HICON>(LoadImageA(resourceModule(), MAKEINTRESOURCEA(id), IMAGE_ICON,
                                         GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                         GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON), LR_SHARED));
}

namespace {

// A bitmap control of a template loads its bitmap when it is created. Windows
// deletes that bitmap with the control, Wine never does, so every dialog shown
// there would leave one behind. Taking the image out of the control makes it
// ours on both (the control then deletes nothing), and it is deleted here.
void deleteTemplateBitmaps(HWND dialog) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Static") != 0 ||
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
            continue;
        if (const auto bitmap = reinterpret_cast<HGDIOBJ>(SendMessageA(child, STM_SETIMAGE, IMAGE_BITMAP, 0)))
            DeleteObject(bitmap);
    }
}

} // namespace

Dialog::Dialog(int templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

INT_PTR Dialog::runModal(HWND owner) {
    modal_ = true;
    const INT_PTR result = DialogBoxParamA(resourceModule(), MAKEINTRESOURCEA(templateId_), owner, dialogProc,
                                           reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

bool Dialog::createModeless(HWND owner) {
    if (hwnd_) return false;
    modal_ = false;
    CreateDialogParamA(resourceModule(), MAKEINTRESOURCEA(templateId_), owner, dialogProc,
                       reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void Dialog::endDialog(INT_PTR result) {
    result_ = result;
    if (!hwnd_) return;
    if (modal_)
        EndDialog(hwnd_, result);
    else
        DestroyWindow(hwnd_);
}

INT_PTR CALLBACK Dialog::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = window;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    // WM_SETFONT and a few others arrive before WM_INITDIALOG.
    if (!self) return FALSE;
    INT_PTR reply = FALSE;
    try {
        reply = self->handle(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the system's dialog manager.
        if (message != WM_DESTROY && message != WM_NCDESTROY) self->endDialog(kFailed);
    }
    if (message == WM_DESTROY) deleteTemplateBitmaps(window);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return reply;
}

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog() ? TRUE : FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        if (onCommand(id, code)) return TRUE;
        // Enter and Escape arrive with code 0, which is BN_CLICKED.
        if (code == BN_CLICKED && id == IDOK) {
            onOk();
            return TRUE;
        }
        if (code == BN_CLICKED && id == IDCANCEL) {
            onCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_QUERYDRAGICON:
        // One of the messages whose reply is the dialog procedure's return
        // value; a dialog without a drag icon leaves the answer to the system.
        if (dragIcon_) return reinterpret_cast<INT_PTR>(dragIcon_);
        [[fallthrough]];
    default:
        return onMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
}

bool Dialog::onCommand(int, UINT) {
    return false;
}

bool Dialog::onMessage(UINT, WPARAM, LPARAM) {
    return false;
}

HWND Dialog::item(int id) const {
    return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr;
}

std::string Dialog::itemText(int id) const {
    const HWND control = item(id);
    if (!control) return {};
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    const int length = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

bool Dialog::setItemText(int id, const std::string& text) {
    return hwnd_ && SetDlgItemTextA(hwnd_, id, text.c_str());
}

void Dialog::enableItem(int id, bool enable) {
    if (const HWND control = item(id)) EnableWindow(control, enable);
}

void Dialog::showItem(int id, bool show) {
    if (const HWND control = item(id)) ShowWindow(control, show ? SW_SHOW : SW_HIDE);
}

bool Dialog::isItemVisible(int id) const {
    const HWND control = item(id);
    return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE);
}

bool Dialog::isItemEnabled(int id) const {
    const HWND control = item(id);
    return control && IsWindowEnabled(control);
}

void Dialog::checkItem(int id, bool checked) {
    if (hwnd_) CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool Dialog::isItemChecked(int id) const {
    return hwnd_ && IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
}

void Dialog::checkRadio(int first, int last, int id) {
    for (int button = first; button <= last; ++button) checkItem(button, button == id);
}

int Dialog::checkedRadio(int first, int last) const {
    for (int button = first; button <= last; ++button)
        if (isItemChecked(button)) return button;
    return -1;
}

void Dialog::focusItem(int id) {
    if (const HWND control = item(id)) SetFocus(control);
}

int Dialog::listInsert(int id, int index, const std::string& text) {
    const HWND list = item(id);
    if (!list) return LB_ERR;
    return static_cast<int>(SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                         reinterpret_cast<LPARAM>(text.c_str())));
}

bool Dialog::listSelect(int id, int index) {
    const HWND list = item(id);
    // LB_SETCURSEL with -1 clears the selection and also answers LB_ERR.
    return list && (SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR || index == -1);
}

int Dialog::listSelection(int id) const {
    const HWND list = item(id);
    return list ? static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)) : LB_ERR;
}

int Dialog::listCount(int id) const {
    const HWND list = item(id);
    return list ? static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)) : 0;
}

std::string Dialog::listText(int id, int index) const {
    const HWND list = item(id);
    if (!list) return {};
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(std::min(copied, length)) : 0);
    return text;
}

void Dialog::listClear(int id) {
    if (const HWND list = item(id)) SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

std::string Dialog::caption() const {
    if (!hwnd_) return {};
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hwnd_)) + 1, '\0');
    const int length = GetWindowTextA(hwnd_, text.data(), static_cast<int>(text.size()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

void Dialog::setCaption(const std::string& text) {
    if (hwnd_) SetWindowTextA(hwnd_, text.c_str());
}

void Dialog::setIcons(HICON big, HICON small) {
    if (!hwnd_) return;
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
}

void Dialog::centre() {
    if (!hwnd_) return;
    RECT window{};
    GetWindowRect(hwnd_, &window);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT work = monitor.rcWork;

    RECT area = work;
    const HWND owner = GetWindow(hwnd_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &area);

    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // Over an owner near a screen edge the window must stay reachable.
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::bringToForeground() {
    if (hwnd_) SetForegroundWindow(hwnd_);
}

void Dialog::present() {
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    // A system-modal template stays above every other window; not every
    // system makes it topmost by itself.
    if (GetWindowLongA(hwnd_, GWL_STYLE) & DS_SYSMODAL)
        SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    centre();
    bringToForeground();
}

bool Dialog::paintIconic(HICON icon) {
    if (!hwnd_) return false;
    if (IsIconic(hwnd_)) {
        PAINTSTRUCT paint{};
        const HDC dc = BeginPaint(hwnd_, &paint);
        SendMessageA(hwnd_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client{};
        GetClientRect(hwnd_, &client);
        const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, icon);
        EndPaint(hwnd_, &paint);
        return true;
    }
    if (IsZoomed(hwnd_)) {
        // These windows have no maximised state: back to normal, painted then.
        ShowWindow(hwnd_, SW_RESTORE);
        return true;
    }
    return false;
}

} // namespace velmora
