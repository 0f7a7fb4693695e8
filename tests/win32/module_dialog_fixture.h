#pragma once
// What a module dialog test needs around the dialog: an application that
// hands out an editor (synchronised or standalone) and the editor itself,
// a register block that never touches a host.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <utility>

#include "app/app_services.h"
#include "hostlink/register_block.h"
#include "win32/fake_app_services.h"

namespace velmora::testing {

class TestEditor final : public RegisterBlock {
public:
    explicit TestEditor(int written) : RegisterBlock(HostContext{}), written_(written) {}
    bool isWritten(int index) const override { return index >= 0 && index < written_; }

private:
    int written_;
};

class EditorApp final : public AppServices {
public:
    EditorApp(RegisterBlock& editor, bool synchronised, std::string title = "KTR-TEST-00VM")
        : editor_(editor), synchronised_(synchronised), title_(std::move(title)) {
        setTheApp(this);
    }
    ~EditorApp() override { setTheApp(nullptr); }

    RegisterBlock* currentEditor() override { return &editor_; }
    bool isHostSynchronised() const override { return synchronised_; }
    std::string currentTitle() const override { return title_; }
    int moduleIndex() const override { return 0; }
    void selectModule(int) override {}
    void lockState() override {}
    void unlockState() override {}
    RunMode runMode() const override { return RunMode::Synchronised; }
    void setRunMode(RunMode) override {}
    void setMinimisePending(bool) override {}

private:
    RegisterBlock& editor_;
    bool synchronised_;
    std::string title_;
};

// Sends a control notification the way the control itself would.
inline void notify(HWND dialog, int id, UINT code) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A user's click on a button: BM_CLICK, which the button turns into BN_CLICKED.
inline void click(HWND dialog, int id) {
    SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// A list selection made by the user: the selection, then its notification.
inline void selectInList(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    notify(dialog, id, LBN_SELCHANGE);
}

// A register word as the dialogs show it: four upper-case hex digits.
inline std::string hex(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(word));
    return text;
}

// Puts words[0..] into registers 0.. of the block.
template <class Words>
void loadWords(RegisterBlock& block, const Words& words) {
    int index = 0;
    for (auto word : words) block.setRegister(index++, static_cast<std::uint16_t>(word));
}

// The user, on another thread: once a window of this process with `caption`
// is shown, `act` runs on it. Join the thread before checking what it saw.
template <class Act>
std::thread actOnWindow(std::string caption, Act act) {
    return std::thread([caption = std::move(caption), act = std::move(act)]() mutable {
        const HWND window = waitForWindow(caption);
        // A window's texts are set while it opens; it is ready once shown.
        for (int wait = 0; window && wait < 300 && !IsWindowVisible(window); ++wait) Sleep(10);
        act(window);
    });
}

inline std::string itemText(HWND dialog, int id) {
    char text[256] = {};
    const int length = GetDlgItemTextA(dialog, id, text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

} // namespace velmora::testing
