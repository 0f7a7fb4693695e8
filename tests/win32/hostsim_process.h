#pragma once
// Programs built beside the test binary, run as processes of their own and
// found by their windows; hostsim.exe among them, with the --result file it
// leaves. Every wait is bounded; the destructor ends what is left.

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

// With a trailing backslash.
inline std::string testBinaryDirectory() {
    char path[MAX_PATH] = {};
    const std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH) % MAX_PATH);
    return file.substr(0, file.find_last_of("\\/") + 1);
}

// A title no other test process uses at the same time.
inline std::string uniqueTitle() {
    static int serial = 0;
    return "HS-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

// A window's caption, read without a message to its thread.
inline std::string captionOf(HWND window) {
    char text[256] = {};
    return std::string(text, GetWindowTextA(window, text, sizeof text));
}

// The top-level windows, shown or not.
inline std::vector<HWND> topLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(
        [](HWND w, LPARAM list) { return reinterpret_cast<std::vector<HWND>*>(list)->push_back(w), TRUE; },
        reinterpret_cast<LPARAM>(&all));
    return all;
}
inline DWORD processOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

class Process {
public:
    // Its standard streams on the NUL device. No argument holds a quote or
    // ends in a backslash.
    Process(const std::string& program, const std::vector<std::string>& arguments,
            const std::string& directory = {}, WORD show = 0) {
        // Whatever happens to the driver, the job ends the process with it.
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        std::string commandLine = "\"" + program + "\"";
        for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        const HANDLE nul =
            CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                        OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES | (show ? STARTF_USESHOWWINDOW : 0);
        startup.wShowWindow = show;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
        // A loaded Wine server now and then refuses a start; once more then.
        for (int attempt = 0; attempt < 2 && !started(); ++attempt)
            if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                directory.empty() ? nullptr : directory.c_str(), &startup, &process_))
                process_ = {}, Sleep(200);
        CloseHandle(nul);
        if (process_.hThread) CloseHandle(process_.hThread);
        if (started()) AssignProcessToJobObject(job_, process_.hProcess);
    }
    ~Process() {
        if (running()) TerminateProcess(process_.hProcess, 99), WaitForSingleObject(process_.hProcess, 5000);
        if (started()) CloseHandle(process_.hProcess);
        CloseHandle(job_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    bool running() const { return started() && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    HANDLE handle() const { return process_.hProcess; }

    // The exit code, or nothing when the process still runs after `timeoutMs`.
    std::optional<DWORD> waitForExit(DWORD timeoutMs = 10000) {
        DWORD code = 0;
        const bool ended = started() && WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
        return ended && GetExitCodeProcess(process_.hProcess, &code) ? std::optional(code) : std::nullopt;
    }

    // The process's first top-level window, shown or not, that `match` takes.
    HWND find(const std::function<bool(HWND)>& match) const {
        for (HWND w : topLevelWindows())
            if (processOf(w) == process_.dwProcessId && match(w)) return w;
        return nullptr;
    }
    // Null after `timeoutMs` or once the process ended.
    HWND waitFor(const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000, DWORD stepMs = 5) {
        for (const ULONGLONG deadline = GetTickCount64() + timeoutMs;; Sleep(stepMs)) {
            if (HWND found = find(match)) return found;
            if (!running() || GetTickCount64() > deadline) return nullptr;
        }
    }

private:
    HANDLE job_ = CreateJobObjectA(nullptr, nullptr);
    PROCESS_INFORMATION process_{};
};

struct HostsimResult {
    std::string ending;             // "OK", "CANCEL" or "CLOSED", then the number of presses
    std::vector<std::string> texts; // the 24 register field texts
};

// The --result file, made before the process starts.
struct ResultFile {
    ~ResultFile() { DeleteFileA(resultPath_.c_str()); }
    std::string resultPath_ = (std::filesystem::temp_directory_path() / (uniqueTitle() + ".result")).string();
};

class HostsimProcess : private ResultFile, public Process {
public:
    // A window that takes activation makes every later activation wait for
    // its thread, which a hanging hostsim does not serve.
    explicit HostsimProcess(std::vector<std::string> arguments)
        : Process(testBinaryDirectory() + "hostsim.exe",
                  (arguments.push_back("--result"), arguments.push_back(resultPath_), arguments), {},
                  SW_SHOWNOACTIVATE) {}

    // This process's window titled `title`, null after `timeoutMs` or once it ended.
    HWND waitForWindow(const std::string& title, DWORD timeoutMs = 10000) {
        return window_ = waitFor([&](HWND w) { return captionOf(w) == title; }, timeoutMs);
    }
    // Asks the window found last to close, as its system menu would.
    std::optional<DWORD> close(DWORD timeoutMs = 10000) {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        return waitForExit(timeoutMs);
    }
    std::optional<HostsimResult> result() const {
        std::ifstream in(resultPath_, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        if (lines.size() != 27) return std::nullopt;
        return HostsimResult{lines[0] + " " + lines[25].substr(8), {lines.begin() + 1, lines.begin() + 25}};
    }

private:
    HWND window_ = nullptr;
};

} // namespace velmora::testing
