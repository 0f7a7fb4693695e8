// Exceptions stop at the system's callbacks: a handler that throws ends its
// dialog with a result that is neither OK nor Cancel, and a thread body that
// throws ends its thread; neither unwinds through user32 or the thread start.

#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <stdexcept>

#include "../../resources/resource.h"
#include "framework/dialog.h"
#include "framework/ui_thread.h"

namespace velmora {
namespace {

enum class Throw { Never, OnInit, OnCommand };

struct ThrowingDialog final : Dialog {
    explicit ThrowingDialog(Throw when) : Dialog(IDD_ABOUT), when(when) {}
    bool onInitDialog() override {
        if (when == Throw::OnInit) throw std::runtime_error("init");
        return true;
    }
    bool onCommand(int, UINT) override {
        if (when == Throw::OnCommand) throw std::bad_alloc();
        return false;
    }
    const Throw when;
};

TEST(Callbacks, AThrowingHandlerEndsItsDialogAsFailed) {
    EXPECT_EQ(ThrowingDialog(Throw::OnInit).runModal(), Dialog::kFailed);
    for (const Throw when : {Throw::Never, Throw::OnInit, Throw::OnCommand}) {
        SCOPED_TRACE(static_cast<int>(when));
        ThrowingDialog dialog(when);
        dialog.createModeless();
        if (dialog.hwnd()) SendMessageA(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_LOGO, BN_CLICKED), 0);
        EXPECT_EQ(dialog.hwnd() == nullptr, when != Throw::Never);
        EXPECT_EQ(dialog.result(), when == Throw::Never ? 0 : Dialog::kFailed);
        if (dialog.hwnd()) DestroyWindow(dialog.hwnd());
    }
}

TEST(Callbacks, AThrowingThreadBodyEndsOnlyItsThread) {
    UiThread thread;
    ASSERT_TRUE(thread.start([]() -> int { throw std::runtime_error("body"); }));
    ASSERT_TRUE(thread.join(5000));
    DWORD code = 0;
    // The object keeps its handle; the exit code says how the body ended.
    HANDLE handle = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, thread.threadId());
    if (handle) {
        GetExitCodeThread(handle, &code);
        CloseHandle(handle);
        EXPECT_EQ(code, UiThread::kFailedExitCode);
    }
}

} // namespace
} // namespace velmora
