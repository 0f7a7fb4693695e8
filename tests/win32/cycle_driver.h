#pragma once
// The driver's side of a synchronised cycle, shared by the fault, long-run
// and figures tests: which window of velmora.exe is which, the module
// dialogs' controls reached from another process, the host's counters, and
// the words an OK must leave in the host's fields, as the command-line
// tool's encoding gives them (its core is linked into the test binary).

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "../../resources/analog_ids.h"
#include "../../resources/counter_ids.h"
#include "../../resources/multipurpose_ids.h"
#include "../../resources/resource.h"
#include "../../resources/universal_ids.h"
#include "core/catalogue.h"
#include "cli/commands.h"
#include "core/host_text.h"
#include "hostlink/window_description.h"
#include "win32/hostsim_process.h"
#include "win32/velmora_process.h"

namespace velmora::testing {

inline const std::string kWriteFailedText =
    "Concept I/O Parameters menu is not open!Could not update parameters.";

inline double nowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

inline std::string joinTexts(const std::vector<std::string>& texts) {
    std::string all;
    for (const std::string& text : texts) all += (all.empty() ? "" : ",") + text;
    return all;
}

// The start-up window, shown or not.
inline bool isStartupWindow(HWND window) {
    return GetDlgItem(window, IDC_CONCEPT_SYNC) != nullptr;
}

// The start-up window as it waits for the host: minimised, with the waiting caption.
inline bool waitingMinimised(HWND window) {
    return isStartupWindow(window) && IsWindowVisible(window) && IsIconic(window) &&
           endsWith(textOf(window), "Waiting for Concept.");
}

// A control that only the dialog template of this module's family has.
inline int familyControl(ModuleKind kind) {
    switch (moduleInfo(kind).family) {
    case EditorFamily::Analog:
        return IDC_ANALOG_RANGE1;
    case EditorFamily::Universal:
        return IDC_UNI_GROUP1;
    case EditorFamily::Counter:
        return IDC_CNT_CHANNEL1;
    case EditorFamily::MultiPurpose:
        return IDC_MP_CHANNEL1;
    }
    return 0;
}

inline std::function<bool(HWND)> moduleDialog(ModuleKind kind) {
    return VelmoraProcess::withControl(familyControl(kind));
}

// The hexadecimal register fields of the module's dialog, Reg1 onwards.
inline std::vector<int> registerFieldIds(ModuleKind kind) {
    switch (moduleInfo(kind).family) {
    case EditorFamily::Analog:
        return {IDC_ANALOG_REG1, IDC_ANALOG_REG2, IDC_ANALOG_REG3};
    case EditorFamily::Universal:
        return {IDC_UNI_REG1, IDC_UNI_REG2, IDC_UNI_REG3, IDC_UNI_REG4,
                IDC_UNI_REG5, IDC_UNI_REG6, IDC_UNI_REG7, IDC_UNI_REG8};
    case EditorFamily::Counter:
        return {IDC_CNT_REG1, IDC_CNT_REG2, IDC_CNT_REG3, IDC_CNT_REG4, IDC_CNT_REG5,
                IDC_CNT_REG6, IDC_CNT_REG7, IDC_CNT_REG8, IDC_CNT_REG9};
    case EditorFamily::MultiPurpose:
        return {IDC_MP_REG1, IDC_MP_REG2, IDC_MP_REG3, IDC_MP_REG4, IDC_MP_REG5,
                IDC_MP_REG6, IDC_MP_REG7, IDC_MP_REG8, IDC_MP_REG9};
    }
    return {};
}

// The register fields' texts of an open module dialog.
inline std::vector<std::string> shownRegisters(HWND dialog, ModuleKind kind) {
    std::vector<std::string> texts;
    for (int id : registerFieldIds(kind)) texts.push_back(itemTextOf(dialog, id));
    return texts;
}

inline std::string hex4(std::uint16_t word) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(word));
    return text;
}

// Ends a message box of the tool showing `text` with its OK button.
inline bool acknowledge(VelmoraProcess& tool, const std::string& text, DWORD timeoutMs = 8000) {
    const HWND box = tool.waitFor(VelmoraProcess::showing(text), timeoutMs, 10);
    if (!box) return false;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return true;
}

// Whether the thread of `window` serves a message within `timeoutMs`.
inline bool answers(HWND window, DWORD timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

// A click on a button of another process, and how long its handler took.
inline double timedClick(HWND dialog, int id, DWORD timeoutMs = 10000) {
    const double start = nowMs();
    DWORD_PTR ignored = 0;
    if (const HWND button = GetDlgItem(dialog, id))
        SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &ignored);
    return nowMs() - start;
}

inline bool isItemEnabled(HWND dialog, int id) {
    const HWND item = GetDlgItem(dialog, id);
    return item && IsWindowEnabled(item) && IsWindowVisible(item);
}

inline DWORD_PTR sendItem(HWND dialog, int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR answer = 0;
    if (const HWND item = GetDlgItem(dialog, id))
        if (!SendMessageTimeoutA(item, message, wParam, lParam, SMTO_NORMAL, 5000, &answer))
            return static_cast<DWORD_PTR>(-1);
    return answer;
}

// The entries of a list box of another process. Asked in UTF-16: Wine hands
// a list box's text across processes unconverted.
inline std::vector<std::string> listEntries(HWND dialog, int id) {
    std::vector<std::string> entries;
    const HWND list = GetDlgItem(dialog, id);
    DWORD_PTR count = 0;
    if (!list || !SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 5000, &count)) return entries;
    for (DWORD_PTR i = 0; i < count && i < 256; ++i) {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_NORMAL, 5000, &length) || length > 255)
            length = 0;
        wchar_t wide[256] = {};
        if (length)
            SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide), SMTO_NORMAL, 5000,
                                &length);
        char text[512] = {};
        const int bytes = length ? WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), text,
                                                       sizeof text - 1, nullptr, nullptr)
                                 : 0;
        entries.emplace_back(text, bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
    }
    return entries;
}

inline int listSelection(HWND dialog, int id) {
    return static_cast<int>(static_cast<LONG_PTR>(sendItem(dialog, id, LB_GETCURSEL)));
}

// A user's selection in a list box of another process: the selection, then
// the notification the list box sends its dialog.
inline void selectListEntry(HWND dialog, int id, int index) {
    sendItem(dialog, id, LB_SETCURSEL, static_cast<WPARAM>(index));
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)), SMTO_NORMAL, 5000, &ignored);
}

// The host's counters line, "Text messages: N    Button presses: M": the
// presses, or -1 when the line is not there.
inline int hostPresses(HWND hostWindow) {
    int presses = -1;
    struct Search {
        int* presses;
    } search{&presses};
    EnumChildWindows(
        hostWindow,
        [](HWND child, LPARAM context) -> BOOL {
            char text[128] = {};
            GetWindowTextA(child, text, sizeof text);
            const std::string line = text;
            const auto at = line.find("Button presses: ");
            if (line.rfind("Text messages:", 0) != 0 || at == std::string::npos) return TRUE;
            *reinterpret_cast<Search*>(context)->presses = std::atoi(line.c_str() + at + 16);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return presses;
}

// The host field (0-23) at child position `position`, -1 for a position that
// holds no register field of hostsim's window.
inline int hostFieldAt(int position) {
    if (position < 1 || position > 40) return -1;
    const int column = (position - 1) / 16;
    const int offset = (position - 1) % 16;
    return offset < 8 ? column * 8 + offset : -1;
}

inline RegisterWords wordsOfTexts(const std::vector<std::string>& texts) {
    RegisterWords words{};
    for (std::size_t i = 0; i < texts.size() && i < words.size(); ++i) words[i] = readHostText(texts[i]);
    return words;
}

// The registers OK writes after the dialog started from `read` and the user
// made `actions` (NAME=VALUE, "defaults"): velmora-cli's encode.
inline RegisterWords wordsAfterOk(ModuleKind kind, const RegisterWords& read,
                                  const std::vector<std::string>& actions = {}) {
    cli::EncodeRequest request;
    request.kind = kind;
    request.from = read;
    for (const std::string& action : actions) request.actions.push_back(cli::parseAction(action));
    RegisterWords words = read;
    const cli::Encoded encoded = cli::encodeModule(request);
    for (std::size_t i = 0; i < encoded.registers.size(); ++i) words[i] = encoded.registers[i];
    return words;
}

// The words a synchronised dialog shows right after it read `read`.
inline RegisterWords wordsShownAfterRead(ModuleKind kind, const RegisterWords& read) {
    const auto model = cli::makeModuleModel(kind);
    model->startSynchronised(read);
    return model->currentWords();
}

// The host's field texts after an OK that wrote `written` (the module's
// written registers) through `layout`: the written fields in the tool's
// spelling, every other field as it was.
inline std::vector<std::string> hostTextsAfterOk(const std::vector<std::string>& before,
                                                 const RegisterWords& written, ModuleKind kind,
                                                 const WindowLayout& layout = WindowLayout::defaults()) {
    std::vector<std::string> texts = before;
    for (int reg = 0; reg < moduleInfo(kind).writtenCount; ++reg) {
        const int field = hostFieldAt(layout.controlPositions[static_cast<std::size_t>(reg)]);
        if (field >= 0)
            texts[static_cast<std::size_t>(field)] = writeHostText(written[static_cast<std::size_t>(reg)]);
    }
    return texts;
}

// Sets an environment variable of this process (which the processes it
// starts inherit) for a scope.
class EnvironmentSetting {
public:
    EnvironmentSetting(const char* name, const char* value) : name_(name) {
        char old[256] = {};
        const DWORD length = GetEnvironmentVariableA(name, old, sizeof old);
        if (length > 0 && length < sizeof old) old_ = old;
        had_ = length > 0 && length < sizeof old;
        SetEnvironmentVariableA(name, value);
    }
    ~EnvironmentSetting() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }
    EnvironmentSetting(const EnvironmentSetting&) = delete;
    EnvironmentSetting& operator=(const EnvironmentSetting&) = delete;

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

inline std::string cliPath() {
    return testBinaryDirectory() + "velmora-cli.exe";
}

struct ConsoleRun {
    std::optional<DWORD> status; // none when it did not start or end in time
    std::string out;
    std::string err;
    std::string failure; // why there is no status
};

inline std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs a console program in `directory` (empty: this process's), its output
// and error streams into files, so that no pipe can stall it; ended after
// `timeoutMs`.
inline ConsoleRun runConsole(const std::string& program, const std::vector<std::string>& arguments,
                             const std::string& directory = {}, DWORD timeoutMs = 20000) {
    char temp[MAX_PATH] = {};
    char outPath[MAX_PATH] = {};
    char errPath[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    GetTempFileNameA(temp, "co", 0, outPath);
    GetTempFileNameA(temp, "ce", 0, errPath);
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    auto open = [&](const char* path) {
        return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS, 0, nullptr);
    };
    HANDLE out = open(outPath);
    HANDLE err = open(errPath);
    std::string commandLine = quoteArgument(program);
    for (const std::string& argument : arguments) commandLine += " " + quoteArgument(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ConsoleRun run;
    // A loaded Wine server now and then refuses a start; once more then.
    auto start = [&] {
        return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                              directory.empty() ? nullptr : directory.c_str(), &startup, &process) != 0;
    };
    bool started = start();
    if (!started) {
        run.failure = "not started, error " + std::to_string(GetLastError()) + "; ";
        Sleep(200);
        started = start();
    }
    if (started) {
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            run.status = code;
        } else {
            run.failure += "still running after " + std::to_string(timeoutMs) + " ms";
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        run.failure += "not started, error " + std::to_string(GetLastError());
    }
    CloseHandle(out);
    CloseHandle(err);
    run.out = readWholeFile(outPath);
    run.err = readWholeFile(errPath);
    DeleteFileA(outPath);
    DeleteFileA(errPath);
    return run;
}

// Replaces the window description file of a workspace.
inline void writeDescription(const Workspace& workspace, const std::string& bytes) {
    std::ofstream file(workspace.directory() + "\\VELMORA.WDB", std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace velmora::testing
