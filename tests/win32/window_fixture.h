#pragma once
// What the window tests need around a window of the tool: an application
// object, a register block that never touches a host, user actions sent the
// way the controls send them, and bounded waits.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/app_services.h"
#include "core/catalogue.h"
#include "framework/sync.h"
#include "hostlink/register_block.h"
#include "win32/cycle_driver.h"

namespace velmora::testing {

struct TestEditor final : RegisterBlock {
    explicit TestEditor(const std::vector<std::uint16_t>& words = {}) : RegisterBlock(HostContext{}) {
        for (std::size_t i = 0; i < words.size(); ++i) setRegister(static_cast<int>(i), words[i]);
    }
    bool isWritten(int) const override { return true; }
};

// The application: hands out `editor` and the title, records module
// selections, and counts a run mode written outside its state lock, a real
// recursive mutex with the application's 3000 ms bound.
class FakeAppServices final : public AppServices {
public:
    explicit FakeAppServices(RunMode mode = RunMode::Undecided, RegisterBlock* editor = nullptr)
        : previous_(theApp()), editor_(editor), mode_(mode) {
        setTheApp(this);
    }
    ~FakeAppServices() override { setTheApp(previous_); }

    RegisterBlock* currentEditor() override { return editor_; }
    bool isHostSynchronised() const override { return editor_ != nullptr; }
    std::string currentTitle() const override { return "KTR-ZCI-312-00VM"; }
    int moduleIndex() const override { return index; }
    void selectModule(int selected) override { selections.push_back(index = selected); }
    void lockState() override {
        if (mutex_.lock(3000)) ++depth_, owner_ = GetCurrentThreadId();
    }
    void unlockState() override {
        if (owner_ == GetCurrentThreadId() && --depth_ == 0) owner_ = 0;
        mutex_.unlock(); // harmless unless owned
    }
    RunMode runMode() const override { return mode_; }
    void setRunMode(RunMode mode) override {
        writesOutsideLock += owner_ != GetCurrentThreadId();
        mode_ = mode;
    }
    void setMinimisePending(bool pending) override { minimisePending = pending; }
    bool lockHeld() const { return owner_ != 0; }

    int index = kModuleCount - 1;
    std::vector<int> selections;
    std::atomic<int> writesOutsideLock{0};
    std::atomic<bool> minimisePending{false};

private:
    AppServices* previous_;
    RegisterBlock* editor_;
    TimedMutex mutex_;
    std::atomic<DWORD> owner_{0};
    int depth_ = 0; // touched by the owner only
    std::atomic<RunMode> mode_;
};

// Dispatches this thread's messages until done() holds or timeoutMs pass.
template <class Done>
bool pumpUntil(Done done, unsigned timeoutMs = 3000) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs;;) {
        for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&m), DispatchMessageA(&m);
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// A shown top-level window of this process titled `caption`; null after timeoutMs.
inline HWND waitForWindow(const char* caption, unsigned timeoutMs = 3000) {
    HWND found = nullptr;
    const auto shown = [&] {
        DWORD process = 0;
        found = FindWindowA(nullptr, caption);
        return GetWindowThreadProcessId(found, &process) && process == GetCurrentProcessId() &&
               IsWindowVisible(found);
    };
    return pumpUntil(shown, timeoutMs) ? found : nullptr;
}

// A user's action on control `id`: a click, a list entry chosen, or keys
// typed over the whole text, one character message each.
enum class Act { Click, Select, Type };
struct Step {
    Act act;
    int id;
    // The list entry's index or the keys; the register fields after it, blank-separated.
    const char *input, *fields;
};

inline void perform(HWND dialog, const Step& step) {
    const HWND control = GetDlgItem(dialog, step.id);
    if (step.act == Act::Click) return void(sendClick(dialog, step.id));
    SetFocus(control);
    if (step.act == Act::Type) {
        SendMessageA(control, EM_SETSEL, 0, -1);
        for (const char* key = step.input; *key; ++key)
            SendMessageA(control, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*key)), 0);
        return;
    }
    SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(std::atoi(step.input)), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(step.id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
}

// Registers first..first+count-1 as the dialogs show words.
inline std::string words(const RegisterBlock& block, int first, std::size_t count) {
    std::vector<std::string> all(count, std::string(4, '0'));
    for (std::size_t i = 0; i < count; ++i)
        std::snprintf(all[i].data(), 5, "%04X", block.getRegister(first + static_cast<int>(i)));
    return joinTexts(all, " ");
}

// A dialog made by `make` for a module of `kind` over an editor holding
// `host`, once for OK and once for Cancel: every step, with the register
// fields (Reg1 onwards) checked after it, a typed text kept as typed and the focus where the user
// put it; then the button. A dialog that stores on OK leaves the editor as
// opened until then, and as opened after Cancel. The analog dialog stores
// at once (for the run cycle to write or drop), so the editor has the
// fields' words throughout, and it alone answers the drag-icon query with
// its own icon; the others get the system's default.
template <class Make>
void checkBinding(Make make, const std::vector<std::uint16_t>& host, ModuleKind kind, const char* caption,
                  const std::vector<Step>& steps) {
    const std::vector<int> fields(familyIds(kind).begin() + 1, familyIds(kind).end());
    const bool analog = moduleInfo(kind).family == EditorFamily::Analog;
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button == IDOK ? "OK" : "Cancel");
        TestEditor editor(host);
        const std::string opened = words(editor, 0, fields.size());
        FakeAppServices app(RunMode::Synchronised, &editor);
        auto dialog = make();
        ASSERT_TRUE(dialog->createModeless());
        EXPECT_EQ(textOf(dialog->hwnd()), caption);
        const LRESULT icon = SendMessageA(dialog->hwnd(), WM_GETICON, ICON_BIG, 0);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(SendMessageA(dialog->hwnd(), WM_QUERYDRAGICON, 0, 0) == icon, analog) << "the drag icon";
        SetForegroundWindow(dialog->hwnd()); // so that focus moves reach the fields
        for (const Step& step : steps) {
            SCOPED_TRACE(::testing::Message() << "control " << step.id << " input " << step.input);
            perform(dialog->hwnd(), step);
            EXPECT_EQ(texts(dialog->hwnd(), fields), step.fields);
            const HWND control = GetDlgItem(dialog->hwnd(), step.id);
            const auto limit = static_cast<std::size_t>(SendMessageA(control, EM_GETLIMITTEXT, 0, 0));
            EXPECT_TRUE(step.act != Act::Type || textOf(control) == std::string(step.input).substr(0, limit))
                << "typed: " << textOf(control);
            EXPECT_TRUE(step.act == Act::Click || GetFocus() == control) << "the focus stays";
            EXPECT_EQ(words(editor, 0, fields.size()), analog ? step.fields : opened);
        }
        sendClick(dialog->hwnd(), button);
        EXPECT_EQ(dialog->hwnd(), nullptr);
        EXPECT_EQ(dialog->result(), button);
        EXPECT_EQ(words(editor, 0, fields.size()), button == IDOK || analog ? steps.back().fields : opened);
    }
}

} // namespace velmora::testing
