#include "app/startup_dialog_win32.h"

#include <algorithm>
#include <utility>

#include "app/app_services.h"
#include "resource.h"

namespace velmora {
namespace {

// Posted by another thread to end the window without a choice of the user's.
constexpr UINT closeMessage = WM_APP + 1;
// The dialog manager shows a modal dialog normally when its queue first runs
// empty, or right after the first WM_TIMER if that comes first. A minimise
// from the main thread served before that would be undone, so the window is
// published to the main thread only from this timer's first tick.
constexpr UINT_PTR readyTimer = 1;

// WM_GETTEXT and WM_SETTEXT towards a window of another thread, bounded.
std::string windowText(HWND window, unsigned timeoutMs) {
    char buffer[256] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL,
                             timeoutMs, &length))
        return {};
    return std::string(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
}

void setWindowText(HWND window, const std::string& text, unsigned timeoutMs) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, timeoutMs,
                        &ignored);
}

} // namespace

AboutDialog::AboutDialog(std::string buildDate, std::string buildTime)
    : Dialog(IDD_ABOUT), buildDate_(std::move(buildDate)), buildTime_(std::move(buildTime)) {}

bool AboutDialog::onInitDialog() {
    setItemText(IDC_BUILD_TIME, "Build Date/Time:\n" + buildDate_ + " " + buildTime_);
    setItemText(IDC_VERSION, loadResourceString(IDS_VERSION));
    setItemText(IDC_NOTICE, loadResourceString(IDS_NOTICE));
    centre();
    return true;
}

const CommandRow<StartupDialog> StartupDialog::commandMap[] = {
    {IDC_CONCEPT_SYNC, BN_CLICKED, &StartupDialog::onConceptSync},
    {IDC_STANDALONE, BN_CLICKED, &StartupDialog::onStandalone},
};

StartupDialog::StartupDialog()
    : Dialog(IDD_STARTUP), bigIcon_(loadIcon(IDI_VELMORA, false)), smallIcon_(loadIcon(IDI_VELMORA, true)),
      settled_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    setDragIcon(bigIcon_);
}

StartupDialog::~StartupDialog() {
    if (settled_) CloseHandle(settled_);
}

void StartupDialog::runOnWaitingThread() {
    runModal(nullptr);
    if (settled_) SetEvent(settled_);
}

bool StartupDialog::onInitDialog() {
    const std::string aboutItem = loadResourceString(IDS_ABOUT_ITEM);
    if (const HMENU menu = GetSystemMenu(hwnd(), FALSE); menu && !aboutItem.empty()) {
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, aboutItem.c_str());
    }
    setIcons(bigIcon_, smallIcon_);
    showItem(IDC_WAITING_NOTICE, false);
    if (closeRequested_) {
        endDialog(IDCANCEL);
        return true;
    }
    present();
    SetTimer(hwnd(), readyTimer, USER_TIMER_MINIMUM, nullptr);
    return true;
}

void StartupDialog::onReady() {
    KillTimer(hwnd(), readyTimer);
    // Published before the close request is looked at: requestClose sets the
    // flag before it reads the handle, so one of the two always sees the other.
    window_ = hwnd();
    if (settled_) SetEvent(settled_);
    if (closeRequested_) endDialog(IDCANCEL);
}

bool StartupDialog::onCommand(int id, UINT code) {
    return dispatchCommand(*this, commandMap, id, code);
}

void StartupDialog::onConceptSync(int) {
    AppServices* app = theApp();
    if (!app) return;
    app->setMinimisePending(true);
    app->lockState();
    app->setRunMode(RunMode::Synchronised);
    app->unlockState();
    showItem(IDC_WAITING_NOTICE);
}

void StartupDialog::onStandalone(int) {
    AppServices* app = theApp();
    if (!app) return;
    // The window stays: the run cycle hides it.
    app->lockState();
    app->setRunMode(RunMode::Standalone);
    app->unlockState();
}

void StartupDialog::quitUnlessStandalone() {
    AppServices* app = theApp();
    if (!app) return;
    // After Standalone the run goes on without this window.
    app->lockState();
    if (app->runMode() != RunMode::Standalone) app->setRunMode(RunMode::Quit);
    app->unlockState();
}

void StartupDialog::onCancel() {
    quitUnlessStandalone();
    endDialog(IDCANCEL);
}

bool StartupDialog::onMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_PAINT:
        return paintIconic(bigIcon_);
    case WM_SYSCOMMAND:
        // The system keeps the low four bits of a command id for itself.
        if ((wParam & ~WPARAM{0xF}) != IDM_ABOUTBOX) return false;
        runAbout();
        return true;
    case WM_CLOSE:
        // The default processing then ends the dialog through IDCANCEL.
        quitUnlessStandalone();
        return false;
    case WM_DESTROY:
        window_ = nullptr;
        return false;
    case WM_TIMER:
        if (wParam != readyTimer) return false;
        onReady();
        return true;
    case closeMessage:
        if (about_) about_->endDialog(IDCANCEL);
        endDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

void StartupDialog::runAbout() {
    AboutDialog about;
    about_ = &about;
    about.runModal(hwnd());
    about_ = nullptr;
}

bool StartupDialog::exists() const {
    const HWND window = window_;
    return window && IsWindow(window);
}

bool StartupDialog::waitUntilUp(unsigned timeoutMs) const {
    if (settled_) WaitForSingleObject(settled_, timeoutMs);
    return exists();
}

// The show operations are asynchronous: the waiting thread may itself be
// waiting for the state lock that the caller holds.
void StartupDialog::minimise() {
    if (const HWND window = window_) ShowWindowAsync(window, SW_MINIMIZE);
}

void StartupDialog::hide() {
    if (const HWND window = window_) ShowWindowAsync(window, SW_HIDE);
}

void StartupDialog::restore() {
    if (const HWND window = window_) ShowWindowAsync(window, SW_SHOWNORMAL);
}

void StartupDialog::updateWaitingCaption() {
    AppServices* app = theApp();
    if (app) app->lockState();
    const HWND window = window_;
    std::string caption = window ? windowText(window, messageWaitMs) : std::string();
    if (!caption.empty() && caption.front() == ' ') {
        caption.front() = '.';
    } else {
        if (window) ShowWindowAsync(GetDlgItem(window, IDC_WAITING_NOTICE), SW_SHOW);
        caption = waitingCaption;
    }
    if (window) setWindowText(window, caption, messageWaitMs);
    if (app) app->unlockState();
}

void StartupDialog::requestClose() {
    closeRequested_ = true;
    if (const HWND window = window_) PostMessageA(window, closeMessage, 0, 0);
}

bool CSplsThrd::start(StartupDialog& window) {
    return UiThread::start([&window] {
        window.runOnWaitingThread();
        return 0;
    });
}

} // namespace velmora
