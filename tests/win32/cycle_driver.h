#pragma once
// The one driver of the end-to-end tests and of bench/'s figures: velmora.exe
// started in a directory of its own, its windows found and their controls
// read and clicked from outside. Every wait is bounded; the destructors end
// what is left.

#include <chrono>

#include "../../resources/analog_ids.h"
#include "../../resources/counter_ids.h"
#include "../../resources/multipurpose_ids.h"
#include "../../resources/resource.h"
#include "../../resources/universal_ids.h"
#include "core/catalogue.h"
#include "core/host_text.h"
#include "win32/hostsim_process.h"

namespace velmora::testing {

inline const std::string kWriteFailedText =
    "Concept I/O Parameters menu is not open!Could not update parameters.";

inline const std::string kVelmoraExe = testBinaryDirectory() + "velmora.exe";
// velmora.exe with the pause after an exchange given as its first word.
inline const std::string kQuickPauseExe = testBinaryDirectory() + "velmora-quick-pause.exe";

inline double nowMs() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline std::string joinTexts(const std::vector<std::string>& texts, const char* separator = ",") {
    std::string all;
    for (const std::string& text : texts) all += (all.empty() ? "" : separator) + text;
    return all;
}

// Bounded, but not SMTO_ABORTIFHUNG: the tool's main thread pumps no
// messages while it polls, so Wine counts its windows as hung until the modal
// loop of a freshly shown dialog first asks for a message. -1 when unanswered.
inline DWORD_PTR sendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                        DWORD timeoutMs = 5000) {
    DWORD_PTR answer = 0;
    if (!window || !SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &answer))
        return static_cast<DWORD_PTR>(-1);
    return answer;
}
// Whether the thread of `window` serves a message within `timeoutMs`.
inline bool answers(HWND window, DWORD timeoutMs) {
    return sendTo(window, WM_NULL, 0, 0, timeoutMs) != static_cast<DWORD_PTR>(-1);
}

inline std::string textOf(HWND window) {
    char text[512] = {};
    const DWORD_PTR length = sendTo(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), 2000);
    return std::string(text, length < sizeof text ? length : 0);
}
// The texts of controls `ids`, blank-separated.
inline std::string texts(HWND dialog, const std::vector<int>& ids) {
    std::vector<std::string> all;
    for (int id : ids) all.push_back(textOf(GetDlgItem(dialog, id)));
    return joinTexts(all, " ");
}
// A click, done when it returns (the button's own BM_CLICK, so no focus
// change comes between its down and up), and how long its handler took.
inline double sendClick(HWND dialog, int id, DWORD timeoutMs = 10000) {
    const double start = nowMs();
    sendTo(GetDlgItem(dialog, id), BM_CLICK, 0, 0, timeoutMs);
    return nowMs() - start;
}
// A text change in an entry field, with the field's change notification.
inline void sendText(HWND dialog, int id, const char* text) {
    sendTo(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// A working directory whose VELMORA.WDB gives every module a title of this
// process alone. It holds the lock that serialises the end-to-end drivers on
// this Wine server (velmora.exe runs once per session), and a hidden window:
// Wine closes its virtual desktop soon after the last window on it goes, and
// a process started while it closes dies of an X error.
class Workspace {
public:
    Workspace() {
        const DWORD wait = WaitForSingleObject(lock_, 240000);
        locked_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        const std::string tag = uniqueTitle();
        directory_ = (std::filesystem::temp_directory_path() / ("velmora-e2e-" + tag)).string();
        CreateDirectoryA(directory_.c_str(), nullptr);
        std::ofstream file(directory_ + "\\VELMORA.WDB", std::ios::binary);
        for (int kind = 0; kind < kModuleCount; ++kind) {
            titles_.push_back("E2E" + tag + "-" + std::to_string(kind)); // at most 19 characters
            file << ModuleCatalogue[kind].hostKey << "=\"" << titles_.back() << "\"\r\n";
        }
    }
    ~Workspace() {
        DeleteFileA((directory_ + "\\VELMORA.WDB").c_str());
        RemoveDirectoryA(directory_.c_str());
        if (locked_) ReleaseMutex(lock_);
        CloseHandle(lock_);
        DestroyWindow(desktopHold_);
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& directory() const { return directory_; }
    const std::string& title(int kind) const { return titles_[static_cast<std::size_t>(kind)]; }
    bool locked() const { return locked_; }

private:
    HANDLE lock_ = CreateMutexA(nullptr, FALSE, "velmora end-to-end driver");
    HWND desktopHold_ =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    bool locked_ = false;
    std::string directory_;
    std::vector<std::string> titles_;
};

class VelmoraProcess : public Process {
public:
    VelmoraProcess(const std::vector<std::string>& arguments, const std::string& directory,
                   const std::string& program = kVelmoraExe)
        : Process(program, arguments, directory) {}

    // What the process shows, for failure messages.
    std::string describeWindows() const {
        std::string all = "\n  (windows)";
        find([&](HWND w) {
            all += "\n  \"" + captionOf(w) + (IsWindowVisible(w) ? "\" visible" : "\"") +
                   (IsIconic(w) ? " minimised" : "");
            return false;
        });
        return all;
    }
};

// The window of a template, known by one of its controls.
inline std::function<bool(HWND)> withControl(int id) {
    return [=](HWND w) { return GetDlgItem(w, id) != nullptr && IsWindowVisible(w); };
}
// A message box (or any window) showing `text`.
inline std::function<bool(HWND)> showing(const std::string& text) {
    return [=](HWND w) {
        for (HWND child = GetWindow(w, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (textOf(child) == text) return IsWindowVisible(w) != FALSE;
        return false;
    };
}

inline bool isStartupWindow(HWND window) {
    return GetDlgItem(window, IDC_CONCEPT_SYNC) != nullptr;
}
// The start-up window as it waits for the host: minimised, with the waiting caption.
inline bool waitingMinimised(HWND window) {
    return isStartupWindow(window) && IsWindowVisible(window) && IsIconic(window) &&
           captionOf(window).ends_with("Waiting for Concept.");
}

// Ends a message box of the tool showing `text` with its OK button.
inline bool acknowledge(VelmoraProcess& tool, const std::string& text, DWORD timeoutMs = 8000) {
    const HWND box = tool.waitFor(showing(text), timeoutMs, 10);
    return box && PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// Per family: a control only its module dialog has, then its register fields, Reg1 onwards.
inline const std::vector<int>& familyIds(ModuleKind kind) {
    static const std::vector<int> ids[] = {
        {IDC_ANALOG_RANGE1, IDC_ANALOG_REG1, IDC_ANALOG_REG2, IDC_ANALOG_REG3},
        {IDC_UNI_GROUP1, IDC_UNI_REG1, IDC_UNI_REG2, IDC_UNI_REG3, IDC_UNI_REG4, IDC_UNI_REG5, IDC_UNI_REG6,
         IDC_UNI_REG7, IDC_UNI_REG8},
        {IDC_CNT_CHANNEL1, IDC_CNT_REG1, IDC_CNT_REG2, IDC_CNT_REG3, IDC_CNT_REG4, IDC_CNT_REG5, IDC_CNT_REG6,
         IDC_CNT_REG7, IDC_CNT_REG8, IDC_CNT_REG9},
        {IDC_MP_CHANNEL1, IDC_MP_REG1, IDC_MP_REG2, IDC_MP_REG3, IDC_MP_REG4, IDC_MP_REG5, IDC_MP_REG6,
         IDC_MP_REG7, IDC_MP_REG8, IDC_MP_REG9}};
    return ids[static_cast<int>(moduleInfo(kind).family)];
}
inline std::function<bool(HWND)> moduleDialog(ModuleKind kind) {
    return withControl(familyIds(kind)[0]);
}
// The dialog's register fields, Reg1 onwards, blank-separated.
inline std::string shownRegisters(HWND dialog, ModuleKind kind) {
    return texts(dialog, {familyIds(kind).begin() + 1, familyIds(kind).end()});
}

} // namespace velmora::testing
