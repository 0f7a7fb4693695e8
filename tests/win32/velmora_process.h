#pragma once
// Drives velmora.exe, built beside the test binary, as a user would: start it
// in a directory of its own (with a window description file that gives every
// module a title no other test uses), find its windows, read their controls,
// click, and end it. Every wait is bounded; the destructor ends what is left.

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "win32/hostsim_process.h"

namespace velmora::testing {

inline std::string velmoraPath() {
    return testBinaryDirectory() + "velmora.exe";
}
// velmora.exe with the pause after an exchange given as its first word.
inline std::string quickPausePath() {
    return testBinaryDirectory() + "velmora-quick-pause.exe";
}

inline std::string textOf(HWND window) {
    char text[512] = {};
    // Bounded, but not SMTO_ABORTIFHUNG: the tool's main thread pumps no
    // messages while it polls, so Wine counts its windows as hung until the
    // modal loop of a freshly shown dialog first asks for a message.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                             2000, &length))
        return {};
    return std::string(text, length < sizeof text ? length : 0);
}

inline std::string itemTextOf(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    return item ? textOf(item) : std::string();
}

inline bool isChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    const HWND item = GetDlgItem(dialog, id);
    return item && SendMessageTimeoutA(item, BM_GETCHECK, 0, 0, SMTO_NORMAL, 2000, &state) &&
           state == BST_CHECKED;
}

// A click, done when it returns: the button's own BM_CLICK, so no focus
// change can come between its button-down and button-up.
inline void sendClick(HWND dialog, int id) {
    DWORD_PTR ignored = 0;
    if (const HWND button = GetDlgItem(dialog, id))
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, 5000, &ignored);
}

// A text change in an entry field, with the field's change notification.
inline void sendText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR ignored = 0;
    if (const HWND item = GetDlgItem(dialog, id))
        SendMessageTimeoutA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 5000,
                            &ignored);
}

// Whether any child of `window` shows exactly `text`.
inline bool hasChildText(HWND window, const std::string& text) {
    struct Search {
        const std::string* text;
        bool found;
    } search{&text, false};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            s->found = textOf(child) == *s->text;
            return !s->found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Serialises the end-to-end tests of every test process on this Wine server:
// velmora.exe runs once per session, and its windows are looked up by title.
// While held it also keeps a hidden window of its own: Wine closes its virtual
// desktop soon after the last window on it goes, and a process started while
// it closes dies of an X error, as one a test starts right after ending others.
class EndToEndLock {
public:
    EndToEndLock()
        : mutex_(CreateMutexA(nullptr, FALSE, "velmora end-to-end driver")),
          desktopHold_(
              CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)) {
        if (mutex_) {
            const DWORD wait = WaitForSingleObject(mutex_, 240000);
            owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~EndToEndLock() {
        if (owned_) ReleaseMutex(mutex_);
        if (mutex_) CloseHandle(mutex_);
        if (desktopHold_) DestroyWindow(desktopHold_);
    }
    EndToEndLock(const EndToEndLock&) = delete;
    EndToEndLock& operator=(const EndToEndLock&) = delete;

    bool owned() const { return owned_; }

private:
    HANDLE mutex_;
    HWND desktopHold_;
    bool owned_ = false;
};

// A working directory whose window description file names every module's
// host window with a title of this test alone.
class Workspace {
public:
    Workspace() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
        directory_ = std::string(temp) + "velmora-e2e-" + tag;
        CreateDirectoryA(directory_.c_str(), nullptr);
        std::ofstream file(descriptionPath(), std::ios::binary);
        for (int kind = 0; kind < kModuleCount; ++kind) {
            // At most 19 characters, as the application holds them.
            titles_.push_back("E2E" + tag + "-" + std::to_string(kind));
            file << ModuleCatalogue[kind].hostKey << "=\"" << titles_.back() << "\"\r\n";
        }
    }
    ~Workspace() {
        DeleteFileA(descriptionPath().c_str());
        RemoveDirectoryA(directory_.c_str());
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    const std::string& directory() const { return directory_; }
    const std::string& title(int kind) const { return titles_[static_cast<std::size_t>(kind)]; }

private:
    std::string descriptionPath() const { return directory_ + "\\VELMORA.WDB"; }

    std::string directory_;
    std::vector<std::string> titles_;
};

class VelmoraProcess {
public:
    VelmoraProcess(const std::vector<std::string>& arguments, const std::string& directory,
                   const std::string& program = velmoraPath()) {
        // Whatever happens to the driver, the job ends the tool with it.
        job_ = CreateJobObjectA(nullptr, nullptr);
        if (job_) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        }
        std::string commandLine = quoteArgument(program);
        for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            directory.c_str(), &startup, &process_)) {
            process_ = {};
            return;
        }
        CloseHandle(process_.hThread);
        process_.hThread = nullptr;
        if (job_) AssignProcessToJobObject(job_, process_.hProcess);
    }

    ~VelmoraProcess() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 99);
                WaitForSingleObject(process_.hProcess, 5000);
            }
            CloseHandle(process_.hProcess);
        }
        if (job_) CloseHandle(job_);
    }

    VelmoraProcess(const VelmoraProcess&) = delete;
    VelmoraProcess& operator=(const VelmoraProcess&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    bool running() const { return started() && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    HANDLE handle() const { return process_.hProcess; }

    // The exit code, or nothing when the process still runs after `timeoutMs`.
    std::optional<DWORD> waitForExit(DWORD timeoutMs) {
        if (!started() || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // The process's top-level windows, shown or not.
    std::vector<HWND> windows() const {
        struct Search {
            DWORD processId;
            std::vector<HWND> found;
        } search{process_.dwProcessId, {}};
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->processId) s->found.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    HWND find(const std::function<bool(HWND)>& match) const {
        for (HWND window : windows())
            if (match(window)) return window;
        return nullptr;
    }

    // Polls every `stepMs` until `match` finds a window; null after
    // `timeoutMs` or once the process ended.
    HWND waitFor(const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000, DWORD stepMs = 5) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            if (HWND found = find(match)) return found;
            if (!running() || GetTickCount64() > deadline) return nullptr;
            Sleep(stepMs);
        }
    }

    // The window of a template, known by one of its controls.
    static std::function<bool(HWND)> withControl(int id, bool visible = true) {
        return [=](HWND window) {
            return GetDlgItem(window, id) != nullptr && (!visible || IsWindowVisible(window));
        };
    }
    // A message box (or any window) showing `text`.
    static std::function<bool(HWND)> showing(const std::string& text) {
        return [=](HWND window) { return IsWindowVisible(window) && hasChildText(window, text); };
    }

    // What the process shows, for failure messages.
    std::string describeWindows() const {
        std::string all;
        for (HWND window : windows()) {
            char line[600];
            std::snprintf(line, sizeof line, "\n  %p \"%s\"%s%s", static_cast<void*>(window),
                          textOf(window).c_str(), IsWindowVisible(window) ? " visible" : "",
                          IsIconic(window) ? " minimised" : "");
            all += line;
        }
        return all.empty() ? "\n  (no windows)" : all;
    }

    // Peak working set in bytes; 0 when the system does not tell.
    SIZE_T peakWorkingSet() const {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        return started() && GetProcessMemoryInfo(process_.hProcess, &counters, sizeof counters)
                   ? counters.PeakWorkingSetSize
                   : 0;
    }

    // Processor time used so far, in milliseconds.
    double cpuMs() const {
        FILETIME created, exited, kernel, user;
        if (!started() || !GetProcessTimes(process_.hProcess, &created, &exited, &kernel, &user)) return 0;
        auto ms = [](const FILETIME& t) {
            return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
                   10000.0;
        };
        return ms(kernel) + ms(user);
    }

private:
    PROCESS_INFORMATION process_{};
    HANDLE job_ = nullptr;
};

} // namespace velmora::testing
