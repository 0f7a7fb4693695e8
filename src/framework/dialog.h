#pragma once
// Dialog base: runs a dialog template modally (or modelessly, for tests),
// keeps `this` in DWLP_USER and hands WM_COMMAND to a table of
// (control id or id range, notification code) -> member function rows.
// Item helpers are keyed by control id: no control handle is stored.

#include <windows.h>

#include <cstddef>
#include <string>

namespace velmora {

// The module the dialog templates, icons, bitmaps and strings are linked into.
HINSTANCE resourceModule();

// String resource `id`, empty when there is none.
std::string loadResourceString(UINT id);

// One row of a dialog's command table. `handler` gets the id that fired, so
// one row can serve a whole range of radio buttons.
template <class D>
struct CommandRow {
    using Handler = void (D::*)(int id);

    constexpr CommandRow(int id, UINT notification, Handler function)
        : firstId(id), lastId(id), code(notification), handler(function) {}
    constexpr CommandRow(int first, int last, UINT notification, Handler function)
        : firstId(first), lastId(last), code(notification), handler(function) {}

    int firstId;
    int lastId;
    UINT code;
    Handler handler;
};

// Calls the handler of the first row matching (id, code); false when none does.
template <class D, std::size_t N>
bool dispatchCommand(D& dialog, const CommandRow<D> (&rows)[N], int id, UINT code) {
    for (const CommandRow<D>& row : rows) {
        if (id >= row.firstId && id <= row.lastId && code == row.code) {
            (dialog.*row.handler)(id);
            return true;
        }
    }
    return false;
}

class Dialog {
public:
    // The result of a dialog that ended because a handler failed (threw): it
    // is neither IDOK nor IDCANCEL, so no caller takes it for either.
    static constexpr INT_PTR kFailed = -2;

    explicit Dialog(int templateId);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the template modally; the result given to endDialog, or -1 when the
    // window could not be created.
    INT_PTR runModal(HWND owner = nullptr);

    // Creates the window modelessly (tests drive it with messages); false when
    // it could not be created. endDialog then destroys the window.
    bool createModeless(HWND owner = nullptr);

    // Ends a modal run with `result`, or destroys a modeless window.
    void endDialog(INT_PTR result);

    HWND hwnd() const { return hwnd_; }
    int templateId() const { return templateId_; }
    // The value given to the last endDialog, 0 before.
    INT_PTR result() const { return result_; }

    // Item helpers, keyed by control id.
    HWND item(int id) const;
    std::string itemText(int id) const;
    bool setItemText(int id, const std::string& text);
    void enableItem(int id, bool enable = true);
    void showItem(int id, bool show = true);
    bool isItemVisible(int id) const;
    bool isItemEnabled(int id) const;
    void checkItem(int id, bool checked = true);
    bool isItemChecked(int id) const;
    // Checks `id` and clears the other buttons of first..last; an id outside
    // the range clears them all.
    void checkRadio(int first, int last, int id);
    // The first checked button of first..last, or -1.
    int checkedRadio(int first, int last) const;
    void focusItem(int id);

    // List boxes: insert at a position (not sorted insertion), select, read.
    int listInsert(int id, int index, const std::string& text);
    bool listSelect(int id, int index);
    int listSelection(int id) const;
    int listCount(int id) const;
    std::string listText(int id, int index) const;
    void listClear(int id);

    // The window as a whole.
    std::string caption() const;
    void setCaption(const std::string& text);
    void setIcons(HICON big, HICON small);
    // Centres over the owner when it is visible, else on the work area.
    void centre();
    void bringToForeground();
    // Shown in its normal state, centred and in the foreground: how every
    // window of the tool presents itself, since the host is normally active.
    void present();

protected:
    // Called when the window exists and its controls are there; return true
    // to let the system give the focus to the first control.
    virtual bool onInitDialog() { return true; }
    // WM_COMMAND: the subclass's table, usually through dispatchCommand; return
    // false for IDOK and IDCANCEL to get onOk / onCancel.
    virtual bool onCommand(int id, UINT code);
    virtual void onOk() { endDialog(IDOK); }
    virtual void onCancel() { endDialog(IDCANCEL); }
    // Every other message: true when handled, false for the default dialog
    // processing.
    virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The icon answered to WM_QUERYDRAGICON; none leaves it to the system.
    void setDragIcon(HICON icon) { dragIcon_ = icon; }

    // WM_PAINT of the tool's windows: when minimised, the icon centred on the
    // erased background; when maximised, back to normal. False otherwise, so
    // the default painting runs.
    bool paintIconic(HICON icon);

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    INT_PTR result_ = 0;
    HICON dragIcon_ = nullptr;
};

// Loads icon `id` of the resources at the size of a big or small icon.
HICON loadIcon(int id, bool small);

} // namespace velmora
