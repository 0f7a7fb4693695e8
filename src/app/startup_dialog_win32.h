#pragma once
// The start-up window, its waiting thread and the About box.
//
// The window runs modally on CSplsThrd; its handlers only set the run mode
// under the state lock, and the run cycle on the main thread acts on it. The
// main thread reaches the window only through the thread-safe operations
// below, which never wait unbounded for the waiting thread.

#include <atomic>
#include <string>

#include "framework/dialog.h"
#include "framework/ui_thread.h"

namespace velmora {

class AboutDialog final : public Dialog {
public:
    // The build date and time as the compiler gives them ("Feb 26 2004", "09:31:46").
    AboutDialog(std::string buildDate = __DATE__, std::string buildTime = __TIME__);

private:
    bool onInitDialog() override;

    std::string buildDate_;
    std::string buildTime_;
};

class StartupDialog final : public Dialog {
public:
    StartupDialog();
    ~StartupDialog() override;

    // Waiting thread: the modal run; when it returns the window is gone.
    void runOnWaitingThread();

    // Main thread: operations on the window the waiting thread runs. Each is
    // a no-op when the window does not exist.
    // True once the window is up and its dialog loop runs, until it ends.
    bool exists() const;
    // Waits at most `timeoutMs` until the window is up or its run is over;
    // then whether it exists.
    bool waitUntilUp(unsigned timeoutMs) const;
    void minimise();
    void hide();
    void restore();
    // Called by the run cycle after each poll that found no host window.
    void updateWaitingCaption();
    // Ends the window's modal run (closing an open About box first) without
    // touching the run mode. Safe before the window exists: it then ends as
    // soon as it is created.
    void requestClose();

    // Caption and message waits towards the waiting thread.
    static constexpr unsigned messageWaitMs = 3500;
    static constexpr const char* waitingCaption = " Waiting for Concept.";

private:
    // command handlers
    void onConceptSync(int id);
    void onStandalone(int id);

    // message handlers
    bool onInitDialog() override;
    bool onCommand(int id, UINT code) override;
    // There is no OK button: Enter must not end the window without a choice.
    void onOk() override {}
    void onCancel() override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    void onReady();

    void quitUnlessStandalone();
    void runAbout();

    static const CommandRow<StartupDialog> commandMap[];

    HICON bigIcon_;
    HICON smallIcon_;
    // The window handle for the main thread; Dialog::hwnd() belongs to the waiting thread.
    std::atomic<HWND> window_{nullptr};
    AboutDialog* about_ = nullptr; // while the About box runs; waiting thread only
    std::atomic<bool> closeRequested_{false};
    // Set once the window is up or its run is over.
    HANDLE settled_;
};

// The waiting thread: runs the start-up window modally, and ends when it ends.
class CSplsThrd final : public UiThread {
public:
    // At most once per object; false when already started or not created.
    bool start(StartupDialog& window);
};

} // namespace velmora
