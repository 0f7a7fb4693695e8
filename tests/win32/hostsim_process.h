#pragma once
// Runs hostsim.exe, built beside the test binary, as a separate process:
// start it with options, wait (bounded) for its window, close it, and read
// the --result file it leaves.

#include <windows.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace velmora::testing {

struct HostsimResult {
    std::string outcome;            // "OK", "CANCEL" or "CLOSED"
    std::vector<std::string> texts; // the 24 register field texts
    int presses = -1;
    int setTexts = -1; // set-text messages the fields and buttons received
};

// The directory of the running test binary, with a trailing backslash.
inline std::string testBinaryDirectory() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length < MAX_PATH ? length : 0);
    const auto slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
}

inline std::string hostsimPath() {
    return testBinaryDirectory() + "hostsim.exe";
}

// A title no other test process uses at the same time: tests may run in
// parallel on one Wine desktop.
inline std::string uniqueTitle() {
    static int serial = 0;
    return "HS-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

// One argument quoted the way the C runtime splits a command line.
inline std::string quoteArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + "\"";
}

inline std::optional<HostsimResult> readHostsimResult(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    HostsimResult result;
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() != 27 || lines[25].rfind("presses ", 0) != 0 || lines[26].rfind("set-texts ", 0) != 0)
        return std::nullopt;
    result.outcome = lines.front();
    result.texts.assign(lines.begin() + 1, lines.begin() + 25);
    result.presses = std::stoi(lines[25].substr(8));
    result.setTexts = std::stoi(lines[26].substr(10));
    return result;
}

class HostsimProcess {
public:
    // Starts hostsim with `arguments` and, with a result file, "--result FILE".
    explicit HostsimProcess(const std::vector<std::string>& arguments, bool withResult = true) {
        if (withResult) {
            char directory[MAX_PATH] = {};
            char file[MAX_PATH] = {};
            if (GetTempPathA(MAX_PATH, directory) && GetTempFileNameA(directory, "hs", 0, file))
                resultPath_ = file;
        }
        std::string commandLine = quoteArgument(hostsimPath());
        for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
        if (!resultPath_.empty()) commandLine += " --result " + quoteArgument(resultPath_);
        // hostsim's only output is its usage message, which tests do not want.
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inheritable, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        // A window that takes activation makes every later activation wait for
        // its thread, which a hanging hostsim does not serve.
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNOACTIVATE;
        if (nul != INVALID_HANDLE_VALUE) {
            startup.dwFlags |= STARTF_USESTDHANDLES;
            startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
        }
        const bool created =
            CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, nul != INVALID_HANDLE_VALUE, 0,
                           nullptr, nullptr, &startup, &process_);
        if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
        if (created) {
            CloseHandle(process_.hThread);
            process_.hThread = nullptr;
        } else {
            process_ = {};
        }
    }

    ~HostsimProcess() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process_.hProcess, 99);
                WaitForSingleObject(process_.hProcess, 5000);
            }
            CloseHandle(process_.hProcess);
        }
        if (!resultPath_.empty()) DeleteFileA(resultPath_.c_str());
    }

    HostsimProcess(const HostsimProcess&) = delete;
    HostsimProcess& operator=(const HostsimProcess&) = delete;

    bool started() const { return process_.hProcess != nullptr; }
    DWORD processId() const { return process_.dwProcessId; }

    // This process's top-level window titled `title`; null once `timeoutMs`
    // passed or the process ended first.
    HWND waitForWindow(const std::string& title, DWORD timeoutMs = 10000) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        for (;;) {
            if (HWND found = findOwnWindow(title)) return window_ = found;
            if (!started() || WaitForSingleObject(process_.hProcess, 5) != WAIT_TIMEOUT ||
                GetTickCount64() > deadline)
                return nullptr;
        }
    }

    // The exit code, or nothing when the process still runs after `timeoutMs`.
    std::optional<DWORD> waitForExit(DWORD timeoutMs = 10000) {
        if (!started() || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0)
            return std::nullopt;
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

    // Asks the window found last to close, as its system menu would.
    std::optional<DWORD> close(DWORD timeoutMs = 10000) {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        return waitForExit(timeoutMs);
    }

    std::optional<HostsimResult> result() const { return readHostsimResult(resultPath_); }

    // This process's top-level windows titled `title`, now.
    std::vector<HWND> windowsTitled(const std::string& title) const {
        struct Search {
            const std::string* title;
            DWORD processId;
            std::vector<HWND> found;
        } search{&title, process_.dwProcessId, {}};
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto* s = reinterpret_cast<Search*>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                char text[256] = {};
                if (owner == s->processId && GetWindowTextA(window, text, sizeof text) >= 0 &&
                    *s->title == text)
                    s->found.push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    HWND findOwnWindow(const std::string& title) const {
        const std::vector<HWND> found = windowsTitled(title);
        return found.empty() ? nullptr : found.front();
    }

    PROCESS_INFORMATION process_{};
    std::string resultPath_;
    HWND window_ = nullptr;
};

} // namespace velmora::testing
